// Recognising a start that names only pictures and documents, as a file manager's "open with"
// passes them: none of them is meant as an output.
#include "app/Conversion.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DocumentFile.h"
#include "document/DynaArray.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

class StartWithInputsOnly : public ::testing::Test {
  protected:
    std::string picture(const std::string& name, int format) {
        qlytest::OwnedDib d;
        qlytest::makePattern(d, 20, 10, 24, 7);
        const std::string file = dir.file(name);
        EXPECT_EQ(SaveDib(*d, file, format), 1);
        return file;
    }
    std::string document(const std::string& name) {
        qlytest::OwnedDib d;
        qlytest::makePattern(d, 20, 10, 1, 3);
        void* current = nullptr;
        TDynaArray pages(sizeof(dib), &current);
        std::memcpy(pages.Add(), &*d, sizeof(dib));
        const std::string file = dir.file(name);
        EXPECT_EQ(saveDocument(file, pages, DocumentLayout{}), DocumentStatus::Ok);
        pages.Clear();
        return file;
    }
    std::string text(const std::string& name, const std::string& content) {
        std::ofstream(dir.file(name), std::ios::binary) << content;
        return dir.file(name);
    }
    qlytest::TempDir dir;
};

TEST_F(StartWithInputsOnly, PicturesAndDocumentsRecognisedByTheirBytesAreInputs) {
    const std::string bmp = picture("a.bmp", DIB_BMP);
    // TGA has no signature; a picture under a misleading name is still a picture.
    const std::string tga = picture("b.tga", DIB_TGA);
    const std::string png = picture("c.pdf", DIB_PNG);
    const std::string doc = document("d.qly");
    const std::string docNoSuffix = document("d.bak");
    for (const Args& args : {Args{bmp}, Args{bmp, tga}, Args{doc}, Args{tga, doc},
                             Args{doc, bmp, png}, Args{bmp, docNoSuffix}}) {
        EXPECT_TRUE(allArgumentsAreInputs(args)) << args.back();
    }
    EXPECT_EQ(DibFileFormat(tga), DIB_TGA);
    EXPECT_EQ(DibFileFormat(png), DIB_PNG);
}

TEST_F(StartWithInputsOnly, AnythingMeantAsOutputOrUnreadableIsNot) {
    const std::string bmp = picture("a.bmp", DIB_BMP);
    const std::string pdf = text("old.pdf", "%PDF-1.3\n% an earlier PDF\n");
    const std::string notes = text("notes.txt", "my notes");
    const std::string empty = text("empty.png", "");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const Args& args :
         {Args{}, Args{dir.file("new.pdf")}, Args{bmp, dir.file("new.pdf")}, Args{bmp, pdf},
          Args{bmp, notes}, Args{notes, bmp}, Args{bmp, empty}, Args{dir.file("missing.png"), bmp},
          Args{bmp, dir.path().string()}, Args{bmp, dir.file("fifo")}}) {
        EXPECT_FALSE(allArgumentsAreInputs(args)) << (args.empty() ? "" : args.back());
    }
    EXPECT_EQ(DibFileFormat(notes), DIB_AUTO);
    EXPECT_EQ(DibFileFormat(dir.file("fifo")), DIB_AUTO);
    EXPECT_EQ(DibFileFormat(dir.file("missing.png")), DIB_AUTO);
}

} // namespace

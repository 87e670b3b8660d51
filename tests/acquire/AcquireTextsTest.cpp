// The messages of reading and saving picture files: captions naming the file and the library's
// reason, German without a text lookup and in the user's language through it.
#include "acquire/AddPicture.h"
#include "acquire/SavePicture.h"
#include "common/MarkedTexts.h"
#include "common/RecordingSink.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

using qlytest::marked;

// A failed read or save of `file` and what the user is told: caption and text, German.
struct FileFailure {
    const char* what;
    bool (*run)(const std::string& file);
    const char* file;
    const char* context;
    const char* caption; // with %1 for the file
    const char* reason;  // the image library's
};

bool readInto(const std::string& file) {
    void* current = nullptr;
    TDynaArray pages(sizeof(dib), &current);
    const bool added = AddPicture_(pages, file);
    releaseAllPages(pages);
    return added;
}

bool save(const std::string& file) {
    qlytest::OwnedDib pic;
    qlytest::makePattern(pic, 4, 4, 24, 5);
    return SavePicture(*pic, file, DIB_PNG);
}

const FileFailure kFailures[] = {
    {"missing file", readInto, "missing.png", "AddPicture", "Fehler beim Öffnen von %1!",
     "Datei kann nicht geöffnet werden"},
    {"not a picture", readInto, "text.png", "AddPicture", "Fehler beim Öffnen von %1!",
     "Unbekanntes Dateiformat"},
    {"folder that does not exist", save, "no-such-folder/page.png", "SavePicture",
     "Fehler beim Speichern von %1!", "Datei kann nicht geschrieben werden"},
};

TEST(AcquireTexts, FailuresNameTheFileAndTheReasonInTheUsersLanguage) {
    for (const bool lookup : {false, true}) {
        for (const FileFailure& f : kFailures) {
            SCOPED_TRACE(std::string(f.what) + (lookup ? ", with the lookup" : ""));
            qlytest::TempDir dir;
            std::ofstream(dir.file("text.png")) << "only words, no picture";
            const std::string file = dir.file(f.file);
            qlytest::ScopedRecordingSink sink;
            {
                std::unique_ptr<qlytest::ScopedMarkedTexts> texts;
                if (lookup) {
                    texts = std::make_unique<qlytest::ScopedMarkedTexts>();
                }
                EXPECT_FALSE(f.run(file));
            }
            std::string caption = f.caption;
            caption.replace(caption.find("%1"), 2, file);
            ASSERT_EQ(sink.captions.size(), 1u);
            EXPECT_EQ(sink.captions[0], lookup ? marked(f.context, caption) : caption);
            EXPECT_EQ(sink.texts[0], lookup ? marked("ImageFormats", f.reason) : f.reason);
            EXPECT_EQ(sink.icons[0], qly::MessageIcon::Error);
        }
    }
}

} // namespace

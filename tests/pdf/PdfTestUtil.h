#pragma once
// Shared pieces of the PDF writer's tests: a private temporary folder per test, a recording message
// sink, reading back written files, running the external PDF tools, and a small reader for the
// structure the writer produces (objects by number, cross-reference table, streams).

#include "common/RecordingSink.h"
#include "common/Shell.h"
#include "common/TestDib.h"
#include "platform/Messages.h"
#include "platform/Random.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace pdftest {

using qlytest::readFile;
using qlytest::writeFile;

using qlytest::CommandResult;
using qlytest::run;
inline std::string quote(const std::string& s) {
    return qlytest::quoted(s);
}

// qpdf's structural check: no errors and no warnings.
inline void expectQpdfClean(const std::string& pdf) {
    const CommandResult r = run("qpdf --check " + quote(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("No syntax or stream encoding errors found"), std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("WARNING"), std::string::npos) << r.output;
}

// Output of a tool without the notices that come from how the tool was built rather than from
// the file (Debian's mupdf is built without colour management and says so).
inline std::string withoutBuildNotices(std::string out) {
    const std::string icc = "warning: ICC support is not available\n";
    for (size_t i; (i = out.find(icc)) != std::string::npos;) {
        out.erase(i, icc.size());
    }
    return out;
}

// Renders every page with poppler, mupdf and ghostscript at a low resolution; each must succeed
// without a word on its error output.
inline void expectRendersCleanly(const std::string& pdf, const std::string& outDir) {
    CommandResult r = run("pdftoppm -r 10 -png " + quote(pdf) + " " + quote(outDir + "/pp"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "") << "pdftoppm: " << r.output;
    r = run("mutool draw -q -r 10 -o " + quote(outDir + "/mu%d.png") + " " + quote(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(withoutBuildNotices(r.output), "") << "mutool: " << r.output;
    r = run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=png16m -r10 -sOutputFile=" +
            quote(outDir + "/gs%d.png") + " " + quote(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "") << "gs: " << r.output;
}

// One line of `pdfimages -list`.
struct ListedImage {
    int page = 0;
    int num = 0;
    std::string type;
    int width = 0;
    int height = 0;
    std::string color;
    int comp = 0;
    int bpc = 0;
    std::string enc;
    int object = 0;
};

inline std::vector<ListedImage> pdfimagesList(const std::string& pdf) {
    const CommandResult r = run("pdfimages -list " + quote(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    std::vector<ListedImage> out;
    std::istringstream in(r.output);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (++n <= 2) {
            continue; // header and rule
        }
        std::istringstream f(line);
        ListedImage im;
        std::string interp;
        f >> im.page >> im.num >> im.type >> im.width >> im.height >> im.color >> im.comp >>
            im.bpc >> im.enc >> interp >> im.object;
        if (f) {
            out.push_back(im);
        }
    }
    return out;
}

// The objects of a file as the writer lays them out: "n 0 obj" at the offsets of the table.
struct ParsedPdf {
    std::string bytes;
    std::vector<int64_t> offsets; // per object number, from the xref table
    int64_t startxref = -1;
    int size = -1;

    // Text of object n from its "n 0 obj" line through its "endobj" line.
    std::string object(int n) const {
        const auto start = static_cast<size_t>(offsets.at(static_cast<size_t>(n)));
        const size_t end = bytes.find("endobj\n", start);
        return bytes.substr(start, end == std::string::npos ? std::string::npos : end + 7 - start);
    }
    // The raw stream data of object n, as long as its dictionary's /Length says (direct or
    // through a reference).
    std::string streamData(int n) const {
        const std::string obj = object(n);
        const size_t s = obj.find("stream\n");
        const size_t l = obj.find("/Length ");
        if (s == std::string::npos || l == std::string::npos) {
            return {};
        }
        long len = std::strtol(obj.c_str() + l + 8, nullptr, 10);
        const char* after = obj.c_str() + l + 8;
        while (*after >= '0' && *after <= '9') {
            ++after;
        }
        if (std::string(after, 4) == " 0 R") {
            const std::string lenObj = object(int(len));
            len = std::strtol(lenObj.c_str() + lenObj.find('\n') + 1, nullptr, 10);
        }
        return obj.substr(s + 7, static_cast<size_t>(len));
    }
};

inline std::string inflate(const std::string& packed) {
    std::string out(1 << 16, '\0');
    for (;;) {
        uLongf outLen = static_cast<uLongf>(out.size());
        const int rc = ::uncompress(reinterpret_cast<Bytef*>(out.data()), &outLen,
                                    reinterpret_cast<const Bytef*>(packed.data()),
                                    static_cast<uLong>(packed.size()));
        if (rc == Z_OK) {
            out.resize(outLen);
            return out;
        }
        if (rc != Z_BUF_ERROR || out.size() > (size_t{1} << 30)) {
            ADD_FAILURE() << "content stream does not inflate: " << rc;
            return {};
        }
        out.resize(out.size() * 4);
    }
}

// Reads the cross-reference table and trailer and checks the rules every file must keep: qpdf
// finds nothing to complain about, each entry is 20 bytes, entry 0 free with generation 65535,
// every other offset pointing at its "n 0 obj" line, startxref at the "x" of "xref", /Size equal to
// the entry count, and "%%EOF" as the very last bytes.
inline ParsedPdf parseAndCheck(const std::string& file) {
    ParsedPdf p;
    p.bytes = readFile(file);
    const std::string& b = p.bytes;
    EXPECT_GE(b.size(), 5u);
    EXPECT_EQ(b.substr(b.size() - 5), "%%EOF");
    const size_t sx = b.rfind("startxref\n");
    EXPECT_NE(sx, std::string::npos);
    if (sx == std::string::npos) {
        return p;
    }
    p.startxref = std::strtoll(b.c_str() + sx + 10, nullptr, 10);
    EXPECT_EQ(b.substr(static_cast<size_t>(p.startxref), 5), "xref\n");
    size_t pos = static_cast<size_t>(p.startxref) + 5;
    const size_t eol = b.find('\n', pos);
    const std::string sub = b.substr(pos, eol - pos);
    EXPECT_EQ(sub.substr(0, 2), "0 ");
    const int count = std::atoi(sub.c_str() + 2);
    pos = eol + 1;
    for (int i = 0; i < count; ++i, pos += 20) {
        const std::string entry = b.substr(pos, 20);
        EXPECT_EQ(entry.size(), 20u);
        EXPECT_EQ(entry[10], ' ');
        EXPECT_EQ(entry.substr(16), i == 0 ? " f \n" : " n \n") << "entry " << i;
        EXPECT_EQ(entry.substr(11, 5), i == 0 ? "65535" : "00000") << "entry " << i;
        const int64_t off = std::strtoll(entry.substr(0, 10).c_str(), nullptr, 10);
        p.offsets.push_back(off);
        if (i > 0) {
            const std::string head = std::to_string(i) + " 0 obj\n";
            EXPECT_EQ(b.substr(static_cast<size_t>(off), head.size()), head) << "entry " << i;
        } else {
            EXPECT_EQ(off, 0);
        }
    }
    EXPECT_EQ(b.substr(pos, 10), "trailer\n<<");
    const size_t sz = b.find("/Size ", pos);
    EXPECT_NE(sz, std::string::npos);
    if (sz != std::string::npos) {
        p.size = std::atoi(b.c_str() + sz + 6);
    }
    EXPECT_EQ(p.size, count);
    // Outside stream data the file is text with line feeds only.
    std::string text = b;
    for (int i = 1; i < count; ++i) {
        const std::string obj = p.object(i);
        const size_t s = obj.find("stream\n");
        if (s != std::string::npos && obj.find("/Length") != std::string::npos) {
            const size_t len = p.streamData(i).size();
            text.replace(static_cast<size_t>(p.offsets[size_t(i)]) + s + 7, len,
                         std::string(len, ' '));
        }
    }
    EXPECT_EQ(text.find('\r'), std::string::npos) << "carriage return outside stream data";
    expectQpdfClean(file);
    return p;
}

using qlytest::RecordingSink;

// Each test gets its own temporary folder (TMPDIR), in which the process's private temporary
// folder is made anew for the test, a recording message sink and a fixed seed for the file
// identifiers.
class PdfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        oldTmp_ = hadTmp_ ? old : "";
        ::setenv("TMPDIR", tmp_.path().c_str(), 1);
        qly::removeTempFolder(); // the next one is made under this test's TMPDIR
        previousSink_ = qly::setMessageSink(&sink_);
        qly::RandSeed(1234);
    }
    void TearDown() override {
        qly::removeTempFolder();
        qly::setMessageSink(previousSink_);
        if (hadTmp_) {
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    // Names of the files left anywhere in the test's TMPDIR (the private folder included).
    std::vector<std::string> tempFiles() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(tmp_.path())) {
            if (!e.is_directory()) {
                names.push_back(e.path().filename().string());
            }
        }
        return names;
    }
    // A name in the process's private temporary folder.
    static std::string privateTemp(const std::string& name) { return qly::tempFolder() + name; }
    std::string out(const std::string& name) const { return dir_.file(name); }

    qlytest::TempDir dir_; // output files
    qlytest::TempDir tmp_; // the writer's temporary folder
    RecordingSink sink_;

  private:
    qly::MessageSink* previousSink_ = nullptr;
    bool hadTmp_ = false;
    std::string oldTmp_;
};

} // namespace pdftest

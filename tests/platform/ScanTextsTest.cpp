// What the user reads when scanning fails: SANE's states as sentences in the context "Scanner",
// and a page the scanner left incomplete with the image library's reason.
#include "common/MarkedTexts.h"
#include "platform/GrafikRW3.h"
#include "platform/scan/Sane.h"
#include "platform/scan/ScanReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qlytest::marked;

struct StatusCase {
    SANE_Status status;
    const char* german;
};

const StatusCase kStates[] = {
    {SANE_STATUS_CANCELLED, "Der Scanvorgang wurde abgebrochen."},
    {SANE_STATUS_DEVICE_BUSY, "Der Scanner ist belegt."},
    {SANE_STATUS_JAMMED, "Papierstau im Vorlageneinzug."},
    {SANE_STATUS_NO_DOCS, "Der Vorlageneinzug ist leer."},
    {SANE_STATUS_COVER_OPEN, "Die Abdeckung des Scanners ist offen."},
    {SANE_STATUS_IO_ERROR, "Fehler bei der Verbindung zum Scanner."},
    {SANE_STATUS_NO_MEM, "Nicht genug Arbeitsspeicher zum Scannen."},
    {SANE_STATUS_ACCESS_DENIED, "Der Zugriff auf den Scanner wurde verweigert."},
};

TEST(ScannerTexts, StatesAreGermanWithoutALookupAndTranslatedWithOne) {
    for (const StatusCase& c : kStates) {
        EXPECT_EQ(qly::sane::statusText(c.status), c.german) << c.status;
    }
    EXPECT_EQ(qly::sane::statusText(SANE_STATUS_GOOD), "");
    const qlytest::ScopedMarkedTexts texts;
    for (const StatusCase& c : kStates) {
        EXPECT_EQ(qly::sane::statusText(c.status), marked("Scanner", c.german)) << c.status;
    }
    EXPECT_EQ(qly::sane::statusText(SANE_STATUS_GOOD), "");
}

TEST(ScannerTexts, AnyOtherStateNamesSanesOwnTextInTheSentence) {
    const std::string sane = sane_strstatus(SANE_STATUS_INVAL);
    EXPECT_EQ(qly::sane::statusText(SANE_STATUS_INVAL), "Der Scanner meldet einen Fehler: " + sane);
    const qlytest::ScopedMarkedTexts texts;
    EXPECT_EQ(qly::sane::statusText(SANE_STATUS_INVAL),
              marked("Scanner", "Der Scanner meldet einen Fehler: ") + sane);
}

// A page without image data, and one whose colour frames are incomplete.
std::vector<std::string> incompletePages() {
    std::vector<std::string> reasons;
    qly::sane::PageAssembler nothing;
    dib page{};
    nothing.finish(page, 300);
    EXPECT_EQ(page.poi, nullptr);
    reasons.push_back(DibErrorText(page));

    qly::sane::PageAssembler red;
    SANE_Parameters p{};
    p.format = SANE_FRAME_RED;
    p.last_frame = SANE_FALSE;
    p.bytes_per_line = 4;
    p.pixels_per_line = 4;
    p.lines = 2;
    p.depth = 8;
    red.beginFrame(p);
    const std::vector<SANE_Byte> bytes(8, 200);
    red.add(bytes.data(), bytes.size());
    red.finish(page, 300);
    EXPECT_EQ(page.poi, nullptr);
    reasons.push_back(DibErrorText(page));
    return reasons;
}

TEST(ScannerTexts, AnIncompletePageIsReportedInTheImageLibrarysContext) {
    const std::vector<std::string> german = {"Der Scanner hat kein Bild geliefert.",
                                             "Der Scanner hat nicht alle Farbauszüge geliefert."};
    EXPECT_EQ(incompletePages(), german);
    const qlytest::ScopedMarkedTexts texts;
    EXPECT_EQ(incompletePages(), (std::vector<std::string>{marked("ImageFormats", german[0]),
                                                           marked("ImageFormats", german[1])}));
}

} // namespace

// Code page conversions, the process-wide pseudo-random generator and the I/O error type.
#include "platform/CodePage.h"
#include "platform/IoError.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(CodePage, Windows1252KeepsLatin1AndMapsTheTypographicCharacters) {
    EXPECT_EQ(qly::toAnsi(u"abc \u00A0\u00E4\u00FF"), "abc \xA0\xE4\xFF");
    EXPECT_EQ(qly::toAnsi(u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039"
                          u"\u0152\u017D\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122"
                          u"\u0161\u203A\u0153\u017E\u0178"),
              "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97"
              "\x98\x99\x9A\x9B\x9C\x9E\x9F");
    // The five bytes the code page leaves open keep their C1 controls.
    EXPECT_EQ(qly::toAnsi(u"\u0081\u008D\u008F\u0090\u009D"), "\x81\x8D\x8F\x90\x9D");
}

TEST(CodePage, CharactersOutsideWindows1252BecomeOneQuestionMarkEach) {
    EXPECT_EQ(qly::toAnsi(u"\u0416\u4E2D\u0080"), "???");
    EXPECT_EQ(qly::toAnsi(u"a\U0001F600b"), "a?b"); // a surrogate pair is one character
    const char16_t lone[] = {u'x', char16_t(0xD800), u'y', char16_t(0xDC00), 0};
    EXPECT_EQ(qly::toAnsi(lone), "x?y?");
    EXPECT_EQ(qly::toAnsi(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(CodePage, EveryWindows1252ByteReadsBackAsTheCharacterItStandsFor) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::u16string text = qly::fromAnsi(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(qly::toAnsi(text), all);
    EXPECT_EQ(text[0x41], u'A');
    EXPECT_EQ(text[0x80], u'\u20AC');
    EXPECT_EQ(text[0x9F], u'\u0178');
    EXPECT_EQ(text[0x8D], u'\u008D');
    EXPECT_EQ(text[0xE4], u'\u00E4');
}

TEST(CodePage, Utf8AndUtf16RoundTripAndRepairMalformedInput) {
    const std::u16string text = u"Gr\u00F6\u00DFe \u20AC \U0001F600 \u4E2D";
    EXPECT_EQ(qly::utf8ToUtf16(qly::utf16ToUtf8(text)), text);
    EXPECT_EQ(qly::utf16ToUtf8(u"\u00E4"), "\xC3\xA4");
    EXPECT_EQ(qly::utf8ToUtf16("a\xC3"), u"a\uFFFD");                   // cut off
    EXPECT_EQ(qly::utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(qly::utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(qly::utf8ToUtf16("\x80z"), u"\uFFFDz");
    const char16_t lone[] = {char16_t(0xDC00), 0};
    EXPECT_EQ(qly::utf16ToUtf8(lone), "\xEF\xBF\xBD");
}

TEST(Random, SameSeedGivesSameSequenceInRange) {
    std::vector<int32_t> a, b;
    qly::RandSeed(42);
    for (int i = 0; i < 1000; ++i) {
        a.push_back(qly::Random(256));
    }
    qly::RandSeed(42);
    for (int i = 0; i < 1000; ++i) {
        b.push_back(qly::Random(256));
    }
    EXPECT_EQ(a, b);
    std::set<int32_t> seen(a.begin(), a.end());
    EXPECT_GT(seen.size(), 200u); // spread over the range
    EXPECT_GE(*seen.begin(), 0);
    EXPECT_LE(*seen.rbegin(), 255);
    EXPECT_EQ(qly::Random(0), 0);
    EXPECT_EQ(qly::Random(-5), 0);
    EXPECT_EQ(qly::Random(1), 0);
    qly::RandSeed(43);
    std::vector<int32_t> c;
    for (int i = 0; i < 1000; ++i) {
        c.push_back(qly::Random(256));
    }
    EXPECT_NE(a, c);
}

TEST(IoError, CarriesWhatFileAndOffset) {
    const qly::IoError e("No space left on device", "out.pdf", 1234);
    EXPECT_EQ(e.reason(), "No space left on device");
    EXPECT_EQ(e.file(), "out.pdf");
    EXPECT_EQ(e.offset(), 1234);
    EXPECT_STREQ(e.what(), "No space left on device (out.pdf, offset 1234)");
    EXPECT_STREQ(qly::IoError("x", "f", -1).what(), "x (f)");
}

} // namespace

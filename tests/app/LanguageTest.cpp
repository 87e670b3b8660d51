// The language chosen from the user's languages, the texts' markers, and the command line's texts
// in English.
#include "app/Language.h"
#include "app/CommandLine.h"
#include "platform/Texts.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

namespace {

using qly::texts::Language;

TEST(Language, TheFirstOfTheUsersLanguagesThatTheProgramHasIsChosen) {
    const struct {
        QStringList languages;
        Language chosen;
    } cases[] = {
        {{"de-DE"}, Language::German},
        {{"de-AT"}, Language::German},
        {{"de"}, Language::German},
        {{"en-GB"}, Language::English},
        {{"en-US", "de-DE"}, Language::English},
        {{"C"}, Language::English},
        {{"fr-FR", "de-DE"}, Language::German},
        {{"fr-FR", "en-GB", "de-DE"}, Language::English},
        {{"fr-FR"}, Language::English},
        {{}, Language::English},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languages.join(',').toStdString());
        EXPECT_EQ(qly::texts::chooseLanguage(c.languages), c.chosen);
    }
}

TEST(Language, MarkersAreReplacedByTheirValuesOnce) {
    const struct {
        const char* pattern;
        std::initializer_list<std::string_view> values;
        const char* out;
    } cases[] = {
        {"%1 Seite(n) nach %2 geschrieben", {"3", "a.pdf"}, "3 Seite(n) nach a.pdf geschrieben"},
        // In any order, and more than once.
        {"%2 vor %1, %1 wieder", {"eins", "zwei"}, "zwei vor eins, eins wieder"},
        {"%9", {"1", "2", "3", "4", "5", "6", "7", "8", "neun"}, "neun"},
        // A marker without its value stays as it is, as does a lone or a doubled percent sign.
        {"%1 und %3", {"a", "b"}, "a und %3"},
        {"ohne Wert %1", {}, "ohne Wert %1"},
        {"100% sicher, %", {"x"}, "100% sicher, %"},
        {"%%1", {"x"}, "%x"},
        {"%0 bleibt", {"x"}, "%0 bleibt"},
        // A value is never searched for markers: a file named "%1" or "%2" stays its name.
        {"Datei %1 und %2", {"%2.pdf", "%1"}, "Datei %2.pdf und %1"},
        {"%1", {"%1%1"}, "%1%1"},
        {"", {"x"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(qly::withArgs(c.pattern, c.values), c.out);
    }
}

// The command line's texts in English while it lives; then German, with the number locale as it
// was.
class English : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(qly::texts::useLanguage(Language::English)); }
    void TearDown() override {
        qly::texts::useLanguage(Language::German);
        QLocale::setDefault(numbers_);
    }
    QLocale numbers_;
};

TEST_F(English, TheUsageAndTheCommandLinesErrorsAreInTheChosenLanguage) {
    EXPECT_EQ(qly::texts::currentLanguage(), Language::English);
    const std::string usage = usageText();
    EXPECT_EQ(usage.rfind("Usage: quillory [OPTION...] [--] [PICTURE...] OUTPUT\n", 0), 0u)
        << usage;
    for (const char* line : {"  -h, --help     show this help and exit\n",
                             "      --version  show the version and exit\n", "--ocr-lang=LANGUAGES",
                             "quillory.ini", "Exit status: 0"}) {
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(usage.find("Aufruf"), std::string::npos);
    EXPECT_EQ(usage.back(), '\n');
    EXPECT_EQ(parseCommandLine({"-x"}).error, "unknown option -x");
    // The option's name goes in once, even when it looks like a marker.
    EXPECT_EQ(parseCommandLine({"-%1"}).error, "unknown option -%1");
    EXPECT_EQ(parseCommandLine({"a.png", "-style"}).error, "option -style needs a value");
    EXPECT_EQ(parseCommandLine({"--ocr-lang"}).error,
              "option --ocr-lang needs languages: --ocr-lang=deu+eng");
    EXPECT_EQ(parseCommandLine({"--ocr-lang=de!"}).error,
              "invalid languages in --ocr-lang=de! (language codes joined by +, such as deu+eng)");
    EXPECT_EQ(versionText(), "quillory 1.7\n");
    // German again: the texts as the sources write them.
    qly::texts::useLanguage(Language::German);
    EXPECT_EQ(usageText().rfind("Aufruf: quillory [OPTION...] [--] [BILD...] AUSGABE\n", 0), 0u);
    EXPECT_EQ(parseCommandLine({"-x"}).error, "unbekannte Option -x");
}

// Numbers are written with the language's decimal separator, whatever LC_NUMERIC or LANG say
// (the tests run with LANG=C.UTF-8 and LANGUAGE=de, which make Qt's system locale a German that
// writes a decimal point).
TEST_F(English, NumbersTakeTheDecimalSeparatorOfTheLanguage) {
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral("."));
    EXPECT_EQ(QLocale().toString(12.5, 'f', 2), QStringLiteral("12.50"));
    qly::texts::useLanguage(Language::German);
    EXPECT_EQ(QLocale().language(), QLocale::German);
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    EXPECT_EQ(QLocale().toString(12.5, 'f', 2), QStringLiteral("12,50"));
    bool ok = false;
    EXPECT_DOUBLE_EQ(QLocale().toDouble(QStringLiteral("12,5"), &ok), 12.5);
    EXPECT_TRUE(ok);
    qly::texts::useLanguage(Language::English);
    EXPECT_EQ(QLocale().language(), QLocale::English);
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral("."));
}

} // namespace

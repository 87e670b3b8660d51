// What the settings store tells the user about its file, in English with the program's translation
// and in German as today, the file's name and the values' names put in unchanged.
#include "app/Language.h"
#include "platform/SettingsStore.h"

#include "common/TestDib.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Language = qly::texts::Language;

struct Report {
    const char* what;
    std::function<std::string(const std::string& file)> error;
    const char* german;  // with %1 for the file
    const char* english; // with %1 for the file
};

std::string readDamaged(const std::string& file) {
    std::ofstream(file) << "[TMainForm]\nA=1\n[broken\n\x01\x02garbage=\n";
    std::map<std::string, std::string> values;
    std::string error;
    EXPECT_FALSE(qly::SettingsStore(file).read("TMainForm", values, error));
    return error;
}

std::string writeIntoFolder(const std::string& file) {
    std::filesystem::create_directories(file);
    std::string error;
    EXPECT_FALSE(qly::SettingsStore(file).write("TMainForm", {{"A", "1"}}, error));
    return error;
}

std::string restoreUnreadable(const std::string& file) {
    std::ofstream(file) << "[TPrintForm]\nBreitEdit_Value=abc\n";
    std::string error;
    EXPECT_FALSE(qly::restoreSection(
        file, "TPrintForm",
        [](const std::map<std::string, std::string>&, std::vector<std::string>& unreadable) {
            unreadable.push_back("BreitEdit_Value");
        },
        error));
    return error;
}

const Report kReports[] = {
    {"damaged file", readDamaged,
     "Die Einstellungsdatei %1 ist beschädigt; es gelten die Voreinstellungen.",
     "The settings file %1 is damaged; the default settings apply."},
    {"folder in place of the file", writeIntoFolder,
     "Die Einstellungsdatei %1 kann nicht gelesen oder geschrieben werden.",
     "The settings file %1 cannot be read or written."},
    {"unreadable value", restoreUnreadable,
     "In der Einstellungsdatei %1 sind Werte unlesbar: BreitEdit_Value",
     "Unreadable values in the settings file %1: BreitEdit_Value"},
};

TEST(SettingsTexts, FileReportsAreEnglishWithTheTranslationAndTodaysInGerman) {
    int argc = 1;
    char name[] = "settings_texts_tests";
    char* argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    for (const Language language : {Language::English, Language::German}) {
        ASSERT_TRUE(qly::texts::useLanguage(language));
        for (const Report& r : kReports) {
            qlytest::TempDir dir;
            const std::string file = dir.file("quillory.ini");
            std::string expected = language == Language::English ? r.english : r.german;
            expected.replace(expected.find("%1"), 2, file);
            EXPECT_EQ(r.error(file), expected) << r.what;
        }
    }
}

} // namespace

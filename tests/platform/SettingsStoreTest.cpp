#include "platform/SettingsStore.h"

#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using qlytest::TempDir;

namespace {

std::string slurp(const std::string& name) {
    std::ifstream f(name);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

TEST(SettingTexts, NumbersUseADotWhateverTheLocaleAndBooleansTrueFalse) {
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // may be missing; the forms must not depend on it
    EXPECT_EQ(qly::settingNumberText(210), "210");
    EXPECT_EQ(qly::settingNumberText(0.5), "0.5");
    EXPECT_EQ(qly::settingNumberText(215.9), "215.9");
    EXPECT_EQ(qly::settingNumberText(0.01), "0.01");
    EXPECT_EQ(qly::settingNumberText(1.0 / 3), "0.3333333333333333");
    std::setlocale(LC_ALL, "C");
    double v = 0;
    EXPECT_TRUE(qly::parseSettingNumber("215.9", v));
    EXPECT_EQ(v, 215.9);
    EXPECT_TRUE(qly::parseSettingNumber(" +3 ", v));
    EXPECT_EQ(v, 3);
    EXPECT_FALSE(qly::parseSettingNumber("215,9", v));
    EXPECT_FALSE(qly::parseSettingNumber("abc", v));
    EXPECT_FALSE(qly::parseSettingNumber("", v));
    EXPECT_FALSE(qly::parseSettingNumber("nan", v));
    EXPECT_EQ(qly::settingBoolText(true), "True");
    EXPECT_EQ(qly::settingBoolText(false), "False");
    bool b = false;
    EXPECT_TRUE(qly::parseSettingBool("TRUE", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(qly::parseSettingBool("False", b));
    EXPECT_FALSE(b);
    EXPECT_FALSE(qly::parseSettingBool("yes", b));
}

TEST(SettingsStore, WritesSectionsAndReadsThemBack) {
    TempDir dir;
    const std::string file = dir.file("sub/quillory.ini");
    qly::SettingsStore store(file);
    std::map<std::string, std::string> values;
    std::string error;
    EXPECT_TRUE(store.read("TMainForm", values, error)); // no file yet: no values, no error
    EXPECT_TRUE(values.empty());
    ASSERT_TRUE(store.write(
        "TMainForm",
        {{"BreitEd_Value", "148"}, {"ZentCheck_Checked", "True"}, {"NormPos", "10,20,744,494"}},
        error))
        << error;
    ASSERT_TRUE(store.write("TPrintForm", {{"ShowCmd", "1"}}, error)) << error;
    const std::string text = slurp(file);
    EXPECT_NE(text.find("[TMainForm]"), std::string::npos);
    EXPECT_NE(text.find("BreitEd_Value=148"), std::string::npos);
    EXPECT_NE(text.find("ZentCheck_Checked=True"), std::string::npos);
    EXPECT_NE(text.find("[TPrintForm]"), std::string::npos);
    ASSERT_TRUE(store.read("TMainForm", values, error)) << error;
    EXPECT_EQ(values["BreitEd_Value"], "148");
    EXPECT_EQ(values["ZentCheck_Checked"], "True");
    EXPECT_EQ(values["NormPos"], "10,20,744,494");
    EXPECT_EQ(values.count("ShowCmd"), 0u);
}

TEST(SettingsStore, DamagedOrUnreadableFilesAreReportedAndGiveNoValues) {
    TempDir dir;
    const std::string file = dir.file("quillory.ini");
    {
        std::ofstream f(file);
        f << "[TMainForm]\nBreitEd_Value=148\n[broken\n\x01\x02garbage=\n";
    }
    qly::SettingsStore store(file);
    std::map<std::string, std::string> values;
    std::string error;
    EXPECT_FALSE(store.read("TMainForm", values, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(values.empty());
    // Saving replaces the damaged file with a good one.
    ASSERT_TRUE(store.write("TMainForm", {{"BreitEd_Value", "200"}}, error)) << error;
    ASSERT_TRUE(store.read("TMainForm", values, error)) << error;
    EXPECT_EQ(values["BreitEd_Value"], "200");
    // A folder in place of the file cannot be written.
    qly::SettingsStore folder(dir.path().string());
    EXPECT_FALSE(folder.write("TMainForm", {{"A", "1"}}, error));
    EXPECT_FALSE(error.empty());
}

TEST(SettingsStore, APipeInPlaceOfTheFileIsReportedWithoutWaiting) {
    TempDir dir;
    const std::string fifo = dir.file("quillory.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer that keeps the pipe open lets a read that should not happen end.
    const int keep = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    auto both = std::async(std::launch::async, [&fifo] {
        qly::SettingsStore store(fifo);
        std::map<std::string, std::string> values;
        std::string readError, writeError;
        const bool read = store.read("TMainForm", values, readError);
        const bool written = store.write("TMainForm", {{"A", "1"}}, writeError);
        return !read && !written && !readError.empty() && !writeError.empty();
    });
    EXPECT_EQ(both.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    ::close(keep);
    EXPECT_TRUE(both.get());
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(SettingsStore, FileLivesInTheXdgConfigFolderNamedAfterTheProgram) {
    setenv("XDG_CONFIG_HOME", "/tmp/qly-xdg-test", 1);
    const std::string path = qly::settingsFilePath();
    EXPECT_EQ(path.rfind("/tmp/qly-xdg-test/", 0), 0u);
    EXPECT_EQ(path.substr(path.size() - 4), ".ini");
    setenv("XDG_CONFIG_HOME", "relative/dir", 1); // not absolute: ignored
    setenv("HOME", "/tmp/qly-home", 1);
    EXPECT_EQ(qly::settingsFilePath().rfind("/tmp/qly-home/.config/", 0), 0u);
    unsetenv("XDG_CONFIG_HOME");
}

} // namespace

// The window tests run on one offscreen QApplication.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The expected texts are German; programs the tests start speak German too.
    qputenv("LANGUAGE", "de");
    // The windows keep their pages in session folders of a state folder of the tests' own.
    std::string state = (std::filesystem::temp_directory_path() / "qly-state-XXXXXX").string();
    if (::mkdtemp(state.data()) == nullptr) {
        return 2;
    }
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    struct RemoveAtEnd {
        std::string folder;
        ~RemoveAtEnd() {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    } removeAtEnd{state};
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Test main for the tests that need the user-interface thread: a
// QCoreApplication on the main thread and a private config directory, so
// that the COM links a test makes never meet another test's or the user's.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string dir = (std::filesystem::temp_directory_path() / "tovrix-serial-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) {
        return 2;
    }
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return result;
}

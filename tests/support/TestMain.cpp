#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// Every test process gets its own home and XDG folders, so no test reads or
// writes the real user's settings and data.
int main(int argc, char** argv) {
    const auto home =
        std::filesystem::temp_directory_path() / ("corvane-home-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "config");
    std::filesystem::create_directories(home / "data");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::error_code error;
    std::filesystem::remove_all(home, error);
    return status;
}

#include <gtest/gtest.h>

#include <fstream>

#include "AppSettings.h"
#include "InMemorySettingsStore.h"
#include "TempDir.h"

namespace corvane {
namespace {

TEST(AppSettingsTest, AFirstRunSeesTheDefaults) {
    InMemorySettingsStore empty;
    const AppSettings settings = LoadSettings(empty);
    EXPECT_EQ(settings, AppSettings{});
    EXPECT_EQ(settings.onShutdown, 1);
    EXPECT_EQ(settings.onDelete, 1);
    EXPECT_EQ(settings.onOverwrite, 1);
    EXPECT_EQ(settings.startupDirectory, 0);
    EXPECT_TRUE(settings.lastDirectory.empty());
    EXPECT_EQ(ResolveStartupDirectory(settings, "/"), "/");
}

TEST(AppSettingsTest, ExitWritesOnlyItsListTheSheetWritesTheRest) {
    AppSettings changed;
    changed.lastDirectory = "/data/ms/";
    changed.lastUpdate = "20110105";
    changed.conversionOptions = ConversionOptions::Defaults();
    changed.onDelete = 0;
    changed.tasks[3] = {1, 2, 17, 30, "/data/ms/", "Evening"};
    InMemorySettingsStore store;
    SaveSettings(store, changed);
    AppSettings loaded = LoadSettings(store);
    EXPECT_EQ(loaded.lastDirectory, "/data/ms/");
    EXPECT_EQ(loaded.lastUpdate, "20110105");
    EXPECT_EQ(loaded.conversionOptions, ConversionOptions::Defaults());
    EXPECT_EQ(loaded.onDelete, 1);  // a sheet setting: not written at exit
    EXPECT_EQ(loaded.tasks[3], ScheduleTask{});
    SaveSheetSettings(store, changed);
    loaded = LoadSettings(store);
    EXPECT_EQ(loaded.onDelete, 0);
    EXPECT_EQ(loaded.tasks[3].title, "Evening");
    EXPECT_EQ(store.ReadInt("Scheduler3", "Min", 0), 30);
}

TEST(AppSettingsTest, StartupDirectoryChoices) {
    struct Case {
        int choice;
        const char* last;
        const char* chosen;
        const char* expected;
    };
    const Case cases[] = {
        {0, "/data/last/", "/data/chosen", "/data/last/"},
        {kStartupLastDirectory, "/data/last/", "/data/chosen", "/data/last/"},
        {kStartupLastDirectory, "", "/data/chosen", "/data/chosen/"},
        {kStartupChosenDirectory, "/data/last/", "/data/chosen", "/data/chosen/"},
        {kStartupSystemRoot, "/data/last/", "/data/chosen", "/"},
    };
    for (const auto& c : cases) {
        AppSettings settings;
        settings.startupDirectory = c.choice;
        settings.lastDirectory = c.last;
        settings.directoryPath = c.chosen;
        EXPECT_EQ(ResolveStartupDirectory(settings, "/"), c.expected) << c.choice;
    }
}

TEST(AppSettingsTest, AutostartEntryFollowsTheSettingAndKeepsAnExistingOne) {
    test::TempDir dir;
    const auto autostart = dir / "autostart";
    AppSettings settings;
    settings.startWithWindows = 1;
    ASSERT_TRUE(ApplyStartWithWindows(settings, autostart, "/opt/corvane/corvane"));
    std::ifstream in(autostart / "Corvane.desktop");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec=/opt/corvane/corvane\n"), std::string::npos);
    ASSERT_TRUE(ApplyStartWithWindows(settings, autostart, "/elsewhere/corvane"));
    EXPECT_EQ(test::ReadBytes(autostart / "Corvane.desktop").size(), text.size());
    settings.startWithWindows = 0;
    ASSERT_TRUE(ApplyStartWithWindows(settings, autostart, "/opt/corvane/corvane"));
    EXPECT_FALSE(std::filesystem::exists(autostart / "Corvane.desktop"));
}

TEST(AppSettingsTest, AutostartEntryNamesTheExecutableWhateverItsPath) {
    // The Exec key splits its value at spaces and gives meaning to quotes,
    // dollars, backslashes and percents.
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/corvane/corvane", "Exec=/opt/corvane/corvane\n"},
        {"/home/ann/My Apps/corvane", "Exec=\"/home/ann/My Apps/corvane\"\n"},
        {"/opt/a$b\\c%d/corvane", "Exec=\"/opt/a\\\\$b\\\\\\\\c%%d/corvane\"\n"},
    };
    for (const auto& [executable, line] : cases) {
        test::TempDir dir;
        AppSettings settings;
        settings.startWithWindows = 1;
        ASSERT_TRUE(ApplyStartWithWindows(settings, dir / "autostart", executable));
        const auto bytes = test::ReadBytes(dir / "autostart" / "Corvane.desktop");
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_NE(text.find(line), std::string::npos) << text;
        EXPECT_FALSE(std::filesystem::exists(dir / "autostart" / "Corvane.desktop.corvane-new"));
    }
    test::TempDir dir;
    AppSettings settings;
    settings.startWithWindows = 1;
    EXPECT_FALSE(ApplyStartWithWindows(settings, dir / "autostart", "/opt/two\nlines"));
    EXPECT_FALSE(std::filesystem::exists(dir / "autostart" / "Corvane.desktop"));
}

}  // namespace
}  // namespace corvane

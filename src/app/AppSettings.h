#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "ConversionOptions.h"
#include "SettingsStore.h"

namespace corvane {

// One row of the scheduler table.
struct ScheduleTask {
    int enabled = 0;
    int days = 0;
    int hour = 0;
    int minute = 0;
    std::string path;
    std::string title;

    bool operator==(const ScheduleTask&) const = default;
};

// Radio-button codes kept in the settings as they are.
inline constexpr int kStartupLastDirectory = 1217;
inline constexpr int kStartupSystemRoot = 1218;
inline constexpr int kStartupChosenDirectory = 1219;
inline constexpr int kSoundNone = 1234;
inline constexpr int kSoundBeep = 1235;
inline constexpr int kSoundFile = 1236;

// Every setting of the application, alive from start to exit. Filled and
// saved through a SettingsStore; widgets never touch the store directly.
struct AppSettings {
    ConversionOptions conversionOptions;
    std::string lastDirectory;  // ends with a separator
    std::array<ScheduleTask, 10> tasks;
    int shutMinimize = 0;
    int afterDownload = 0;
    int checkVersion = 0;
    int startMinimized = 0;
    int startWithWindows = 0;
    std::string directoryPath;
    int checkPeriodicity = 0;  // 0 daily, 1 weekly, 2 monthly
    int startupDirectory = 0;  // 0, 1217, 1218 or 1219
    int onShutdown = 1;
    int onDelete = 1;
    int onOverwrite = 1;
    int downloadSound = 0;  // 0 or 1234 none, 1235 beep, 1236 sound file
    std::string soundPath;
    std::string lastUpdate;  // YYYYMMDD of the last update check
    int versionNumber = 108000;

    bool operator==(const AppSettings&) const = default;
};

// Reads every value read at start-up, each with its default when absent.
AppSettings LoadSettings(const SettingsStore& store);
// Writes what the exit writes: the current conversion options, the last
// directory and the date of the last update check.
void SaveSettings(SettingsStore& store, const AppSettings& settings);
// What each page of the settings sheet writes when applied, and all four, as
// the accepted sheet writes them.
void SaveTaskSettings(SettingsStore& store, const AppSettings& settings);
void SaveStartupSettings(SettingsStore& store, const AppSettings& settings);
void SaveShutdownSettings(SettingsStore& store, const AppSettings& settings);
void SaveAlertSettings(SettingsStore& store, const AppSettings& settings);
void SaveSheetSettings(SettingsStore& store, const AppSettings& settings);

// The folder the explorer opens at start-up. systemRoot stands for the
// operating system's drive ("/" here).
std::string ResolveStartupDirectory(const AppSettings& settings, const std::string& systemRoot);

// Brings the desktop's autostart entry "Corvane.desktop" in line with start
// with windows: created (Exec = the executable) when on and missing, removed
// when off. An existing entry is left as it is. False when the folder or the
// file cannot be written.
bool ApplyStartWithWindows(const AppSettings& settings, const std::filesystem::path& autostartDir,
                           const std::filesystem::path& executable);

}  // namespace corvane

#include "AppSettings.h"

#include <optional>
#include <span>

#include "NativeFile.h"

namespace corvane {
namespace {

constexpr const char* kSettings = "Settings";

std::string SchedulerSection(std::size_t index) {
    return "Scheduler" + std::to_string(index);
}

// The executable as the Exec key of a desktop entry reads it: quoted when it
// holds a character the key reserves, with the key's escapes; nothing for a
// path no entry can name (a line break).
std::optional<std::string> DesktopExec(const std::string& path) {
    if (path.find_first_of("\r\n") != std::string::npos) return std::nullopt;
    const bool quoted = path.find_first_of(" \t\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string argument;
    for (char c : path) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
        argument += c;
        if (c == '%') argument += '%';
    }
    if (quoted) argument = '"' + argument + '"';
    // The key is a string value first: its own backslashes are doubled.
    std::string value;
    for (char c : argument) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

// Written beside and renamed into place: a crash leaves no half entry.
bool ReplaceFile(const std::filesystem::path& path, const std::string& text) {
    const std::filesystem::path beside = path.string() + ".corvane-new";
    NativeFile file;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!file.Open(beside, NativeFile::Mode::OwnFile) || !file.Truncate(0) ||
        !file.WriteAt(0, bytes) || !file.Sync()) {
        file.Close();
        (void)RemoveFile(beside);
        return false;
    }
    file.Close();
    return RenameFile(beside, path);
}

}  // namespace

AppSettings LoadSettings(const SettingsStore& store) {
    AppSettings s;
    s.conversionOptions = LoadConversionOptions(store, kCurrentOptionSection);
    s.lastDirectory = store.ReadString(kCurrentOptionSection, "LastDirectory", "");
    for (std::size_t i = 0; i < s.tasks.size(); ++i) {
        const std::string section = SchedulerSection(i);
        ScheduleTask& task = s.tasks[i];
        task.enabled = store.ReadInt(section, "Enabled", 0);
        task.days = store.ReadInt(section, "Days", 0);
        task.hour = store.ReadInt(section, "Hour", 0);
        task.minute = store.ReadInt(section, "Min", 0);
        task.path = store.ReadString(section, "Path", "");
        task.title = store.ReadString(section, "Title", "");
    }
    s.shutMinimize = store.ReadInt(kSettings, "ShutMinimize", 0);
    s.afterDownload = store.ReadInt(kSettings, "AfterDownload", 0);
    s.checkVersion = store.ReadInt(kSettings, "CheckVersion", 0);
    s.startMinimized = store.ReadInt(kSettings, "StartMinimized", 0);
    s.startWithWindows = store.ReadInt(kSettings, "StartWithWindows", 0);
    s.checkPeriodicity = store.ReadInt(kSettings, "CheckPeriodicity", 0);
    s.startupDirectory = store.ReadInt(kSettings, "StartupDirectory", 0);
    s.directoryPath = store.ReadString(kSettings, "DirectoryPath", "");
    s.lastUpdate = store.ReadString(kSettings, "LastUpdate", "");
    s.onShutdown = store.ReadInt(kSettings, "OnShutdown", 1);
    s.onDelete = store.ReadInt(kSettings, "OnDelete", 1);
    s.onOverwrite = store.ReadInt(kSettings, "OnOverwrite", 1);
    s.downloadSound = store.ReadInt(kSettings, "DownloadSound", 0);
    s.soundPath = store.ReadString(kSettings, "SoundPath", "");
    return s;
}

void SaveSettings(SettingsStore& store, const AppSettings& settings) {
    SaveConversionOptions(store, kCurrentOptionSection, settings.conversionOptions);
    store.WriteString(kCurrentOptionSection, "LastDirectory", settings.lastDirectory);
    store.WriteString(kSettings, "LastUpdate", settings.lastUpdate);
}

void SaveTaskSettings(SettingsStore& store, const AppSettings& settings) {
    for (std::size_t i = 0; i < settings.tasks.size(); ++i) {
        const std::string section = SchedulerSection(i);
        const ScheduleTask& task = settings.tasks[i];
        store.WriteInt(section, "Enabled", task.enabled);
        store.WriteInt(section, "Days", task.days);
        store.WriteInt(section, "Hour", task.hour);
        store.WriteInt(section, "Min", task.minute);
        store.WriteString(section, "Path", task.path);
        store.WriteString(section, "Title", task.title);
    }
}

void SaveStartupSettings(SettingsStore& store, const AppSettings& settings) {
    store.WriteInt(kSettings, "CheckVersion", settings.checkVersion);
    store.WriteInt(kSettings, "StartMinimized", settings.startMinimized);
    store.WriteInt(kSettings, "StartWithWindows", settings.startWithWindows);
    store.WriteInt(kSettings, "CheckPeriodicity", settings.checkPeriodicity);
    store.WriteInt(kSettings, "StartupDirectory", settings.startupDirectory);
    store.WriteString(kSettings, "DirectoryPath", settings.directoryPath);
}

void SaveShutdownSettings(SettingsStore& store, const AppSettings& settings) {
    store.WriteInt(kSettings, "ShutMinimize", settings.shutMinimize);
    store.WriteInt(kSettings, "AfterDownload", settings.afterDownload);
}

void SaveAlertSettings(SettingsStore& store, const AppSettings& settings) {
    store.WriteInt(kSettings, "OnShutdown", settings.onShutdown);
    store.WriteInt(kSettings, "OnDelete", settings.onDelete);
    store.WriteInt(kSettings, "OnOverwrite", settings.onOverwrite);
    store.WriteInt(kSettings, "DownloadSound", settings.downloadSound);
    store.WriteString(kSettings, "SoundPath", settings.soundPath);
}

void SaveSheetSettings(SettingsStore& store, const AppSettings& settings) {
    SaveTaskSettings(store, settings);
    SaveShutdownSettings(store, settings);
    SaveStartupSettings(store, settings);
    SaveAlertSettings(store, settings);
}

std::string ResolveStartupDirectory(const AppSettings& settings, const std::string& systemRoot) {
    std::string directory = settings.lastDirectory;
    if (settings.startupDirectory == kStartupChosenDirectory || directory.empty())
        directory = settings.directoryPath + "/";
    if (settings.startupDirectory == kStartupSystemRoot) directory = systemRoot;
    return directory;
}

bool ApplyStartWithWindows(const AppSettings& settings, const std::filesystem::path& autostartDir,
                           const std::filesystem::path& executable) {
    const std::filesystem::path entry = autostartDir / "Corvane.desktop";
    const bool exists = PathExists(entry);
    if (settings.startWithWindows != 0 && !exists) {
        const std::optional<std::string> exec = DesktopExec(executable.string());
        if (!exec || !MakeDirectories(autostartDir)) return false;
        return ReplaceFile(entry,
                           "[Desktop Entry]\nType=Application\nName=Corvane\nExec=" + *exec + "\n");
    }
    if (settings.startWithWindows == 0 && exists) return RemoveFile(entry);
    return true;
}

}  // namespace corvane

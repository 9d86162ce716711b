#pragma once

#include <QLockFile>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "AppSettings.h"
#include "CCorvaneDoc.h"
#include "CMainFrame.h"
#include "Clock.h"
#include "HttpClient.h"
#include "Prompt.h"
#include "QtEventPump.h"
#include "SettingsStore.h"
#include "SoundOutput.h"

namespace corvane {

// What the application object is started with: the machine's parts.
struct AppEnvironment {
    SettingsStore& store;
    Prompt& prompt;
    const Clock& clock;
    SoundOutput& sound;
    HttpClient& http;
    std::function<void(const QUrl&)> openUrl;
    std::filesystem::path instanceLock;  // the per-user single-instance lock file
};

// The application object: start-up and exit, the settings record for the
// whole run, and the small operations that long operations end with.
class CorvaneApp {
public:
    explicit CorvaneApp(AppEnvironment environment);
    ~CorvaneApp();

    // False when the system must end at once. A refused second copy returns
    // true with no main window.
    bool RunStartup();
    // Saves the exit settings and returns the exit code.
    int RunExit();
    bool LoadSettings();
    bool SaveSettings();
    bool ApplyStartWithWindows();
    std::string ResolveStartupDirectory() const;
    void PlayDownloadSignal();
    // Ends the system one second from now when "after download" is set.
    bool FinishAfterDownload();

    AppSettings& Settings() { return settings_; }
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

private:
    AppEnvironment env_;
    AppSettings settings_;
    CCorvaneDoc doc_;
    QtEventPump pump_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<QLockFile> instanceLock_;
};

}  // namespace corvane

#include "CorvaneApp.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QTimer>

#include "DownloadReport.h"
#include "ServiceSettings.h"
#include "ShippedFiles.h"
#include "UserPaths.h"
#include "VolumeRoots.h"

namespace corvane {

namespace {

std::filesystem::path AutostartDirectory() {
    return std::filesystem::path(
               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                   .toStdString()) /
           "autostart";
}

}  // namespace

CorvaneApp::CorvaneApp(AppEnvironment environment)
    : env_(std::move(environment)), doc_(env_.prompt, env_.clock) {}

CorvaneApp::~CorvaneApp() = default;

bool CorvaneApp::RunStartup() {
    LoadSettings();
    const std::filesystem::path shipped = ShippedDirectory();
    const std::filesystem::path icon = shipped / "icons" / "corvane.png";
    QApplication::setWindowIcon(QIcon(QString::fromStdString(icon.string())));
    FrameServices services{env_.openUrl,
                           env_.store,
                           env_.http,
                           pump_,
                           LoadServiceUrls(env_.store),
                           LoadMakerUrl(env_.store),
                           shipped / "help",
                           DefaultReportPath(),
                           UserDataDir(),
                           shipped,
                           [this] { PlayDownloadSignal(); },
                           [this] { return FinishAfterDownload(); },
                           [this] { return ApplyStartWithWindows(); },
                           [this](const std::string& path) { env_.sound.PlayFile(path); }};
    mainFrame_ = std::make_unique<CMainFrame>(doc_, settings_, std::move(services));
    mainFrame_->Create(MountedVolumes(), ResolveStartupDirectory());

    std::error_code error;
    std::filesystem::create_directories(env_.instanceLock.parent_path(), error);
    instanceLock_ = std::make_unique<QLockFile>(QString::fromStdString(env_.instanceLock.string()));
    // Only a dead owner makes the lock stale, however long the first copy runs.
    instanceLock_->setStaleLockTime(0);
    if (!instanceLock_->tryLock(0)) {
        (void)env_.prompt.Show("Previous Corvane instance's detected.", "Corvane Critical Error",
                               PromptIcon::Error, PromptButtons::Ok);
        instanceLock_.reset();
        mainFrame_.reset();
        return true;
    }
    if (settings_.startMinimized != 0)
        mainFrame_->showMinimized();
    else
        mainFrame_->show();
    mainFrame_->setWindowTitle(QStringLiteral("Corvane"));
    mainFrame_->repaint();
    mainFrame_->RunStartupUpdateCheck();
    return true;
}

int CorvaneApp::RunExit() {
    SaveSettings();
    mainFrame_.reset();
    instanceLock_.reset();
    return 0;
}

bool CorvaneApp::LoadSettings() {
    settings_ = corvane::LoadSettings(env_.store);
    return true;
}

bool CorvaneApp::SaveSettings() {
    corvane::SaveSettings(env_.store, settings_);
    return true;
}

bool CorvaneApp::ApplyStartWithWindows() {
    return corvane::ApplyStartWithWindows(settings_, AutostartDirectory(),
                                          QCoreApplication::applicationFilePath().toStdString());
}

std::string CorvaneApp::ResolveStartupDirectory() const {
    return corvane::ResolveStartupDirectory(settings_, "/");
}

void CorvaneApp::PlayDownloadSignal() {
    if (settings_.downloadSound == kSoundFile)
        env_.sound.PlayFile(settings_.soundPath);
    else if (settings_.downloadSound == kSoundBeep)
        env_.sound.Beep(1000, 500);
}

bool CorvaneApp::FinishAfterDownload() {
    if (settings_.afterDownload != 1 || !mainFrame_) return false;
    QTimer::singleShot(1000, mainFrame_.get(), [frame = mainFrame_.get()] { frame->EndSession(); });
    return true;
}

}  // namespace corvane

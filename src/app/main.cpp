#include <QApplication>
#include <QDesktopServices>

#include "CorvaneApp.h"
#include "CurlHttpClient.h"
#include "MessageBoxPrompt.h"
#include "QSettingsStore.h"
#include "QtSoundOutput.h"
#include "UrlOpening.h"
#include "UserPaths.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Halbrook Labs"));
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    // The window may wait in the tray, and progress windows come and go:
    // the system ends when the main window does.
    QApplication::setQuitOnLastWindowClosed(false);

    corvane::QSettingsStore store;
    corvane::MessageBoxPrompt prompt;
    corvane::SystemClock clock;
    corvane::QtSoundOutput sound;
    corvane::CurlHttpClient http;
    corvane::CorvaneApp app(
        {store, prompt, clock, sound, http,
         corvane::OpenerTellingFailures(
             prompt, [](const QUrl& url) { return QDesktopServices::openUrl(url); }),
         corvane::UserDataDir() / "corvane.lock"});
    if (!app.RunStartup()) return 1;
    if (corvane::CMainFrame* frame = app.MainFrame()) {
        prompt.SetOwner(frame);
        QObject::connect(frame, &corvane::CMainFrame::Ended, &application, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        QApplication::exec();
    }
    return app.RunExit();
}

#pragma once

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "AppSettings.h"
#include "CCorvaneDoc.h"
#include "CLeftTreeView.h"
#include "CRightListView.h"
#include "Commands.h"

class QAction;
class QActionGroup;
class QMenu;
class QSystemTrayIcon;
class QToolBar;

namespace corvane {

// What the main window reaches outside itself.
struct FrameServices {
    std::function<void(const QUrl&)> openUrl;  // the default browser or viewer
    std::string quoteUrl;                      // base of the chart and fundamentals pages
    std::string makerUrl;                      // the maker's web site, in About
    QString helpIndex;                         // the help's index page
};

// The single top-level window: menus, toolbar, status bar, the directory
// tree beside the security list, and the tray icon. Every command passes
// through here.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(CCorvaneDoc& doc, AppSettings& settings, FrameServices services,
               QWidget* parent = nullptr);

    // Fills the tree and opens the start-up directory.
    void Create(const std::vector<VolumeRoot>& roots, const std::string& startupDirectory);
    QAction* Command(int id) const;
    void UpdateCommandStates();
    // Ends the system without asking: the exit, the finish-after-download
    // rule and the single-instance rule come here.
    void EndSession();
    bool IsInTray() const { return inTray_; }
    CLeftTreeView& Tree() const { return *tree_; }
    CRightListView& List() const { return *list_; }
    QToolBar& ToolBar() const { return *toolBar_; }
    QMenu& TrayMenu() const { return *trayMenu_; }
    QMenu* BuildListContextMenu();

    void OnExit();
    void OnRestore();
    void OnWebPage(int command);

Q_SIGNALS:
    // The window has closed for good; the system ends.
    void Ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateCommands();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateTray();
    void Connect(int id, std::function<void()> handler);
    void HideToTray();
    bool ConfirmExit();
    bool IsAvailable(const CommandSpec& command) const;
    void AddProxy(QMenu& menu, int id, const QString& text);
    void ShowAbout();
    void ShowHelp();

    CCorvaneDoc& doc_;
    AppSettings& settings_;
    FrameServices services_;
    CRightListView* list_;
    CLeftTreeView* tree_;
    QToolBar* toolBar_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QActionGroup* viewModes_ = nullptr;
    std::map<int, QAction*> commands_;
    bool ending_ = false;
    bool inTray_ = false;
};

}  // namespace corvane

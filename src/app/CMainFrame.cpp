#include "CMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStorageInfo>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

#include "AboutDialog.h"
#include "DlgBatch.h"
#include "DlgBreadth.h"
#include "DlgConvert.h"
#include "DlgIndex.h"
#include "DlgList.h"
#include "DlgNewFolder.h"
#include "DlgNewSecurity.h"
#include "DlgProperties.h"
#include "DlgRename.h"
#include "DlgReport.h"
#include "ListSelection.h"
#include "ProgressWnd.h"
#include "ScheduledTaskRun.h"
#include "SettingsSheet.h"
#include "StoreCheck.h"
#include "StoreReader.h"
#include "SymbolDatabase.h"
#include "TaskTimers.h"
#include "TransferText.h"
#include "UpdatesDialog.h"

namespace corvane {

namespace {

QString FirstLine(const char* prompt) {
    return QString::fromLatin1(prompt).section(u'\n', 0, 0);
}

QString LastLine(const char* prompt) {
    return QString::fromLatin1(prompt).section(u'\n', -1);
}

bool ClipboardHoldsText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
}

}  // namespace

CMainFrame::CMainFrame(CCorvaneDoc& doc, AppSettings& settings, FrameServices services,
                       QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      settings_(settings),
      services_(std::move(services)),
      list_(new CRightListView(doc, settings)),
      tree_(new CLeftTreeView(settings, *list_)) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(kAppCaption));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("paneSplitter"));
    splitter->addWidget(tree_);
    splitter->addWidget(list_);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(640, 480);
    const int treeWidth = screenSize.width() * 20 / 100;
    splitter->setSizes({treeWidth, screenSize.width() - treeWidth});
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    if (screen) setGeometry(screen->availableGeometry());

    CreateCommands();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateTray();
    list_->SetViewMode(CRightListView::Details);

    connect(list_, &CRightListView::StateChanged, this, &CMainFrame::UpdateCommandStates);
    connect(list_, &CRightListView::TitleRequested, this, &QWidget::setWindowTitle);
    connect(list_, &CRightListView::DamageFound, this, [this](const QString& damage) {
        damageLabel_->setText(
            damage.isEmpty()
                ? QString()
                : QStringLiteral("This directory needs a repair (Tools > Check and repair): ") +
                      damage);
        damageLabel_->setVisible(!damage.isEmpty());
    });
    connect(list_, &CRightListView::ContextMenuRequested, this,
            [this](const QPoint& at) { BuildListContextMenu()->popup(at); });
    connect(tree_, &CLeftTreeView::TitleRequested, this, &QWidget::setWindowTitle);
    connect(tree_, &CLeftTreeView::FocusChanged, this, &CMainFrame::UpdateCommandStates);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::UpdateCommandStates);
    UpdateCommandStates();

    downloader_ = std::make_unique<CDownloader>(services_.http, doc_.GetPrompt(), doc_.GetClock(),
                                                pump_, services_.services, services_.reportPath);
    downloader_->SetDisplay({nullptr, nullptr, [this] { list_->ReloadSecurityList(); }});
    downloader_->SetWriterWait(kScheduledWriterWait);
    taskTimers_ = new TaskTimers(
        settings_, doc_.GetClock(), FiredRecordFolder(services_.userDataDirectory),
        {[this] { return InLongOperation(); }, [this](std::size_t slot) { return FireTask(slot); },
         [this](const std::string& text) {
             (void)doc_.GetPrompt().Show(text, kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
         }},
        this);
}

CMainFrame::~CMainFrame() {
    // The panes outlive the actions while the window is taken apart, and a
    // focus change on the way must not reach commands already gone.
    disconnect(tree_, nullptr, this, nullptr);
    disconnect(list_, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
}

void CMainFrame::Create(const std::vector<VolumeRoot>& roots, const std::string& startupDirectory) {
    roots_ = roots;
    tree_->Create(roots, startupDirectory);
    tree_->setFocus();
    UpdateCommandStates();
    ArmTaskTimers();
}

QAction* CMainFrame::Command(int id) const {
    const auto found = commands_.find(id);
    return found == commands_.end() ? nullptr : found->second;
}

void CMainFrame::CreateCommands() {
    for (const CommandInfo& command : kCommands) {
        auto* action = new QAction(QString::fromLatin1(command.menuText), this);
        action->setObjectName(QStringLiteral("command%1").arg(command.id));
        action->setData(command.id);
        if (*command.prompt) {
            action->setStatusTip(FirstLine(command.prompt));
            action->setToolTip(LastLine(command.prompt));
        }
        commands_[command.id] = action;
        addAction(action);
    }
    Command(kCmdNewSecurity)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Command(kCmdCut)->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    Command(kCmdCopy)->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    Command(kCmdPaste)->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    for (int id : {kCmdCut, kCmdCopy, kCmdPaste})
        Command(id)->setShortcutContext(Qt::WindowShortcut);

    Connect(kCmdOpen, [this] { list_->ShowPrices(); });
    Connect(kCmdExit, [this] { OnExit(); });
    Connect(kCmdDelete, [this] { list_->DeleteSelected(); });
    Connect(kCmdCut, [this] { list_->Cut(); });
    Connect(kCmdCopy, [this] { list_->Copy(); });
    Connect(kCmdPaste, [this] { list_->Paste(); });
    Connect(kCmdSelectAll, [this] { list_->SelectAll(); });
    Connect(kCmdCharts, [this] { OnWebPage(kCmdCharts); });
    Connect(kCmdFundamentals, [this] { OnWebPage(kCmdFundamentals); });
    Connect(kCmdContents, [this] { ShowHelp(); });
    Connect(kCmdAbout, [this] { ShowAbout(); });
    Connect(kCmdRestore, [this] { OnRestore(); });
    Connect(kCmdNewSecurity, [this] { OnNewSecurity(); });
    Connect(kCmdNewFolder, [this] { OnNewFolder(); });
    Connect(kCmdProperties, [this] { OnProperties(); });
    Connect(kCmdRename, [this] { OnRename(); });
    Connect(kCmdDownload, [this] { OnDownload(); });
    Connect(kCmdReport, [this] { OnReport(); });
    Connect(kCmdBatchDownload, [this] { OnBatchDownload(); });
    Connect(kCmdCheckUpdates, [this] { OnCheckUpdates(); });
    Connect(kCmdConvert, [this] { OnConvert(); });
    Connect(kCmdMarketBreadth, [this] { OnMarketBreadth(); });
    Connect(kCmdIndex, [this] { OnIndex(); });
    Connect(kCmdUpdateSymbols, [this] { (void)OnUpdateSymbolDatabase(); });
    Connect(kCmdCheckRepair, [this] { OnCheckRepair(); });
    Connect(kCmdScheduler, [this] { ShowSettingsSheet(SettingsSheet::kSchedulerPage); });
    Connect(kCmdSettings, [this] { ShowSettingsSheet(SettingsSheet::kStartupPage); });

    viewModes_ = new QActionGroup(this);
    const std::pair<int, int> modes[] = {{kCmdLargeIcons, CRightListView::LargeIcons},
                                         {kCmdSmallIcons, CRightListView::SmallIcons},
                                         {kCmdList, CRightListView::List},
                                         {kCmdReports, CRightListView::Details}};
    for (const auto& [id, mode] : modes) {
        QAction* action = Command(id);
        action->setCheckable(true);
        viewModes_->addAction(action);
        Connect(id, [this, mode = mode] { list_->SetViewMode(mode); });
    }
}

void CMainFrame::Connect(int id, std::function<void()> handler) {
    // A command's prompt goes only when a menu of this window hides or the
    // pointer leaves a button; chosen any other way it would stay over the
    // dialog the command opens.
    connect(Command(id), &QAction::triggered, this, [this, handler = std::move(handler)] {
        statusBar()->clearMessage();
        handler();
    });
}

void CMainFrame::CreateMenus() {
    auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(Command(id));
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* fileNew = file->addMenu(QStringLiteral("&New"));
    add(fileNew, {kCmdNewSecurity, kCmdNewFolder});
    add(file, {kCmdOpen, kCmdProperties, 0, kCmdExit});
    add(menuBar()->addMenu(QStringLiteral("&Edit")),
        {kCmdCut, kCmdCopy, kCmdPaste, 0, kCmdDelete, kCmdRename, 0, kCmdSelectAll});
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    add(view, {kCmdToolbar, kCmdStatusBar, 0, kCmdReport});
    add(view->addMenu(QStringLiteral("Show As")),
        {kCmdLargeIcons, kCmdSmallIcons, kCmdList, kCmdReports});
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    add(tools, {kCmdDownload, kCmdBatchDownload, 0, kCmdConvert, kCmdMarketBreadth, kCmdIndex, 0,
                kCmdScheduler, kCmdCheckRepair});
    add(tools->addMenu(QStringLiteral("Web data")), {kCmdCharts, kCmdFundamentals});
    add(tools, {0, kCmdUpdateSymbols, kCmdCheckUpdates, 0, kCmdSettings});
    add(menuBar()->addMenu(QStringLiteral("&Help")), {kCmdContents, kCmdAbout});
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    const std::pair<int, QStyle::StandardPixmap> icons[] = {
        {kCmdNewSecurity, QStyle::SP_FileIcon},
        {kCmdOpen, QStyle::SP_DialogOpenButton},
        {kCmdProperties, QStyle::SP_FileDialogInfoView},
        {kCmdRename, QStyle::SP_FileDialogDetailedView},
        {kCmdDelete, QStyle::SP_TrashIcon},
        {kCmdReport, QStyle::SP_FileDialogContentsView},
        {kCmdDownload, QStyle::SP_ArrowDown},
        {kCmdSettings, QStyle::SP_ComputerIcon}};
    for (const auto& [id, pixmap] : icons) Command(id)->setIcon(style()->standardIcon(pixmap));

    auto* newButton = new QToolButton(toolBar_);
    newButton->setObjectName(QStringLiteral("newButton"));
    newButton->setDefaultAction(Command(kCmdNewSecurity));
    auto* newMenu = new QMenu(newButton);
    newMenu->addAction(Command(kCmdNewSecurity));
    newMenu->addAction(Command(kCmdNewFolder));
    connect(newMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    newButton->setMenu(newMenu);
    newButton->setPopupMode(QToolButton::MenuButtonPopup);
    toolBar_->addWidget(newButton);
    for (int id : {int{kCmdOpen}, int{kCmdProperties}, 0, int{kCmdRename}, int{kCmdDelete}, 0,
                   int{kCmdReport}, int{kCmdDownload}, 0, int{kCmdSettings}}) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(Command(id));
    }
    QAction* toggle = Command(kCmdToolbar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, toolBar_, &QWidget::setVisible);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    damageLabel_ = new QLabel(bar);
    damageLabel_->setObjectName(QStringLiteral("damageLabel"));
    damageLabel_->setVisible(false);
    bar->addWidget(damageLabel_, 1);
    for (const char* indicator : {"CAPS", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(indicator), bar);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    QAction* toggle = Command(kCmdStatusBar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
}

void CMainFrame::CreateTray() {
    trayMenu_ = new QMenu(QStringLiteral("&Tray"), this);
    trayMenu_->setObjectName(QStringLiteral("trayMenu"));
    for (int id : {kCmdRestore, kCmdContents, kCmdAbout, kCmdSettings, kCmdExit}) {
        const char* text = id == kCmdContents ? "&Help" : id == kCmdSettings ? "Settings" : nullptr;
        if (text)
            AddProxy(*trayMenu_, id, QString::fromLatin1(text));
        else
            trayMenu_->addAction(Command(id));
    }
    trayMenu_->setDefaultAction(Command(kCmdRestore));
    connect(trayMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QStringLiteral("Corvane 1.08.000"));
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick) OnRestore();
            });
}

void CMainFrame::AddProxy(QMenu& menu, int id, const QString& text) {
    QAction* command = Command(id);
    QAction* proxy = menu.addAction(text);
    proxy->setEnabled(command->isEnabled());
    connect(proxy, &QAction::triggered, command, &QAction::trigger);
    connect(command, &QAction::changed, proxy,
            [proxy, command] { proxy->setEnabled(command->isEnabled()); });
}

QMenu* CMainFrame::BuildListContextMenu() {
    UpdateCommandStates();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("listContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::pair<int, const char*> items[] = {{kCmdOpen, "&Open"},
                                                 {kCmdProperties, "&Properties"},
                                                 {kCmdRename, "&Rename"},
                                                 {kCmdDelete, "Dele&te"},
                                                 {kCmdCopy, "Cop&y"},
                                                 {kCmdCut, "C&ut"},
                                                 {kCmdDownload, "&Download"},
                                                 {kCmdConvert, "&Convert to ASCII"},
                                                 {kCmdMarketBreadth, "&Market Breadth"}};
    for (const auto& [id, text] : items) AddProxy(*menu, id, QString::fromLatin1(text));
    QMenu* web = menu->addMenu(QStringLiteral("Web Data"));
    AddProxy(*web, kCmdCharts, QStringLiteral("C&harts"));
    AddProxy(*web, kCmdFundamentals, QStringLiteral("&Fundamentals"));
    AddProxy(*menu, kCmdScheduler, QStringLiteral("Sch&eduler"));
    AddProxy(*menu, kCmdSettings, QStringLiteral("&Settings"));
    return menu;
}

bool CMainFrame::IsAvailable(const CommandInfo& command) const {
    const bool prices = list_->IsPriceView();
    switch (command.availability) {
        case CommandAvailability::Always:
            return true;
        case CommandAvailability::TreeFocus:
            return tree_->HasFocus();
        case CommandAvailability::Selection:
            return list_->HasSelection() && !prices;
        case CommandAvailability::Rows:
            return list_->HasRows() && !prices;
        case CommandAvailability::Paste:
            return ClipboardHoldsText() && !prices;
    }
    return false;
}

void CMainFrame::UpdateCommandStates() {
    for (const CommandInfo& command : kCommands)
        Command(command.id)->setEnabled(IsAvailable(command));
    const std::pair<int, int> modes[] = {{CRightListView::LargeIcons, kCmdLargeIcons},
                                         {CRightListView::SmallIcons, kCmdSmallIcons},
                                         {CRightListView::List, kCmdList},
                                         {CRightListView::Details, kCmdReports}};
    for (const auto& [mode, id] : modes)
        if (list_->GetViewMode() == mode) Command(id)->setChecked(true);
}

void CMainFrame::OnWebPage(int command) {
    const std::vector<std::string> symbols = list_->SelectedSymbols();
    if (symbols.empty()) return;
    const QByteArray symbol =
        QUrl::toPercentEncoding(QString::fromLatin1(symbols.front().substr(0, 19)));
    QString url = QString::fromStdString(services_.services.quote);
    if (command == kCmdCharts)
        url += QStringLiteral("/q/ta?s=") + QString::fromLatin1(symbol) +
               QStringLiteral("&t=6m&l=on&z=m&q=b&p=e20,m50,m200&a=m26-12-9,ss&c=");
    else
        url += QStringLiteral("/q/ks?s=") + QString::fromLatin1(symbol);
    services_.openUrl(QUrl(url, QUrl::StrictMode));
}

void CMainFrame::ShowHelp() {
    OpenHelpTopic(QStringLiteral("index.htm"));
}

void CMainFrame::OpenHelpTopic(const QString& topic) {
    const std::filesystem::path page = services_.helpDirectory / topic.toStdString();
    if (!std::filesystem::exists(page)) {
        (void)doc_.GetPrompt().Show("The help page was not found: " + page.string(), kAppCaption,
                                    PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    services_.openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())));
}

std::string CMainFrame::FirstSelectedSymbol() const {
    const std::vector<std::string> symbols = list_->SelectedSymbols();
    return symbols.empty() ? std::string() : symbols.front();
}

std::filesystem::path CMainFrame::SymbolDatabasePath() const {
    const std::filesystem::path updated = services_.userDataDirectory / kSymbolDatabaseName;
    std::error_code error;
    return std::filesystem::exists(updated, error)
               ? updated
               : services_.shippedDirectory / kSymbolDatabaseName;
}

bool CMainFrame::PickFromLists(QWidget* owner, std::string& symbols, std::string& names) {
    DlgList lists(
        doc_.GetPrompt(), SymbolDatabasePath(),
        FindCustomLists({services_.userDataDirectory, services_.shippedDirectory}),
        [this](const QString& topic) { OpenHelpTopic(topic); }, owner);
    if (lists.exec() != QDialog::Accepted) return false;
    symbols = lists.PickedSymbols();
    names = lists.PickedNames();
    return true;
}

void CMainFrame::OnNewSecurity() {
    DlgNewSecurity dialog(
        doc_, settings_, services_.store, *list_,
        [this](std::string& symbols, std::string& names) {
            return PickFromLists(QApplication::activeModalWidget(), symbols, names);
        },
        this);
    if (dialog.exec() != QDialog::Accepted) return;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(dialog.OutputDirectory(), error);
    if (!error) tree_->ShowCreatedFolder(folder.lexically_normal().string());
}

void CMainFrame::OnNewFolder() {
    DlgNewFolder dialog(doc_.GetPrompt(), *tree_, *list_, this);
    dialog.exec();
}

void CMainFrame::OnProperties() {
    DlgProperties dialog(doc_.GetPrompt(), FirstSelectedSymbol(), this);
    dialog.exec();
}

void CMainFrame::OnRename() {
    DlgRename dialog(doc_, *list_, FirstSelectedSymbol(), this);
    dialog.exec();
}

DownloadContext CMainFrame::MakeDownloadContext() {
    return DownloadContext{services_.http,
                           operationPrompt_,
                           doc_.GetClock(),
                           pump_,
                           services_.services,
                           services_.reportPath,
                           [this] { list_->ReloadSecurityList(); },
                           [this](const QString& topic) { OpenHelpTopic(topic); }};
}

void CMainFrame::OnDownload() {
    std::string symbols;
    for (const std::string& symbol : list_->SelectedSymbols()) symbols += " " + symbol;
    DlgDownloadHistQuotes dialog(MakeDownloadContext(), symbols, nullptr, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Ran()) return;
    if (services_.playDownloadSignal) services_.playDownloadSignal();
    if (services_.finishAfterDownload && services_.finishAfterDownload()) return;
    OnReport();
}

AnalyticsContext CMainFrame::MakeAnalyticsContext() {
    std::error_code error;
    return AnalyticsContext{
        operationPrompt_,
        doc_.GetClock(),
        pump_,
        services_.store,
        this,
        std::filesystem::current_path(error),
        [this] { return ReadListSelection(*list_); },
        [this](const std::vector<std::string>& symbols) { list_->SelectSymbols(symbols); },
        [this] { list_->ReloadSecurityList(); },
        [this](const QString& topic) { OpenHelpTopic(topic); }};
}

void CMainFrame::OnBatchDownload() {
    std::vector<ScanRoot> roots;
    for (const VolumeRoot& root : roots_) {
        const QStorageInfo volume(QString::fromStdString(root.path));
        const qint64 used = volume.bytesTotal() - volume.bytesAvailable();
        roots.push_back({root.path, used > 0 ? static_cast<std::uint64_t>(used) : 0});
    }
    DlgBatch dialog(doc_.GetPrompt(), services_.store, this, services_.playDownloadSignal, this);
    (void)dialog.Scan(roots);
    if (dialog.exec() != QDialog::Accepted) return;
    batch_ = dialog.Table();
    DlgDownloadHistQuotes download(MakeDownloadContext(), "", &batch_, this);
    if (download.exec() != QDialog::Accepted || !download.Ran()) return;
    if (services_.playDownloadSignal) services_.playDownloadSignal();
    if (services_.finishAfterDownload && services_.finishAfterDownload()) return;
    OnReport();
}

void CMainFrame::OnCheckUpdates() {
    UpdatesDialog dialog(services_.http, services_.makerUrl, settings_.versionNumber,
                         doc_.GetPrompt(), services_.openUrl, this);
    dialog.exec();
}

void CMainFrame::RunStartupUpdateCheck() {
    if (settings_.checkVersion == 0) return;
    const LocalDateTime now = doc_.GetClock().Now();
    if (!IsUpdateCheckDue(settings_.lastUpdate, settings_.checkPeriodicity, now)) return;
    // Recorded before asking, whatever the answer, so a failing server is
    // not asked at every start.
    settings_.lastUpdate = std::to_string(now.YyyyMmDd());
    OnCheckUpdates();
}

void CMainFrame::OnConvert() {
    std::string symbols;
    for (const std::string& symbol : list_->SelectedSymbols()) symbols += " " + symbol;
    DlgConvert dialog(
        doc_.GetPrompt(), services_.store, settings_.conversionOptions, symbols,
        [this](const QString& topic) { OpenHelpTopic(topic); }, this);
    dialog.exec();
}

void CMainFrame::OnMarketBreadth() {
    DlgBreadth dialog(
        MakeAnalyticsContext(),
        [this](const std::string& symbols, std::int32_t first, std::int32_t last) {
            QWidget* owner = QApplication::activeModalWidget();
            DlgDownloadHistQuotes download(MakeDownloadContext(), symbols, nullptr,
                                           owner ? owner : this);
            download.SetPreset(symbols, first, last);
            download.exec();
        },
        this);
    dialog.exec();
}

void CMainFrame::OnIndex() {
    DlgIndex dialog(
        MakeAnalyticsContext(),
        IndexServices{services_.http, services_.services.quote, services_.playDownloadSignal},
        this);
    dialog.exec();
}

void CMainFrame::OnReport() {
    DlgReport report(services_.reportPath, this);
    report.exec();
}

bool CMainFrame::OnUpdateSymbolDatabase() {
    ProgressWnd progress(services_.store, this);
    const QString title = QStringLiteral("Updating symbol database ...");
    progress.OpenProgressWindow(this, title, true);
    progress.MakeModal(title, true);
    progress.SetLayout(0, 250);
    const bool reached = UpdateSymbolDatabase(services_.http, services_.makerUrl,
                                              services_.userDataDirectory / kSymbolDatabaseName,
                                              progress.AsProgress(), doc_.GetPrompt());
    progress.CloseProgressWindow();
    return reached;
}

namespace {

// At most a screenful of lines, then how many more there are.
std::string Listed(const std::vector<std::string>& lines) {
    constexpr std::size_t kShown = 12;
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) text += "\n- " + lines[i];
    if (lines.size() > kShown)
        text += "\n... and " + std::to_string(lines.size() - kShown) + " more";
    return text;
}

std::string RepairSummary(const std::string& directory, const RepairReport& repair,
                          const CheckReport& check) {
    if (repair.inUse || check.inUse)
        return "Directory " + directory + " is in use by other application.";
    if (!check.dataDirectory) return "Directory " + directory + " is not a data directory.";
    std::string text;
    if (repair.result != Result::Ok)
        text = "Directory " + directory + " was not repaired: " + repair.failure + ".";
    else if (repair.done.empty())
        text = "Directory " + directory + " needed no repair.";
    else
        text = "Repaired in " + directory + ":" + Listed(repair.done);
    if (!check.findings.empty())
        text += "\n\nLeft as it is, as no repair can mend it without guessing:" +
                Listed(check.findings);
    return text;
}

}  // namespace

void CMainFrame::OnCheckRepair() {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    ProgressWnd progress(services_.store, this);
    const QString title = QStringLiteral("Checking and repairing ...");
    progress.OpenProgressWindow(this, title, false);
    progress.MakeModal(title, false);
    // A folder that is no data directory is not touched.
    const RepairReport repair = StoreReader::IsDataDirectory(directory)
                                    ? RepairStore(directory, std::chrono::milliseconds(0))
                                    : RepairReport{};
    const CheckReport check = CheckStore(directory);
    progress.CloseProgressWindow();
    const bool sound = repair.result == Result::Ok && check.findings.empty() && check.dataDirectory;
    doc_.GetPrompt().Show(RepairSummary(directory.string(), repair, check), kAppCaption,
                          sound ? PromptIcon::Information : PromptIcon::Warning, PromptButtons::Ok);
    list_->ReloadSecurityList();
}

QString CMainFrame::DamageNote() const {
    return damageLabel_->isVisible() ? damageLabel_->text() : QString();
}

void CMainFrame::ArmTaskTimers() {
    taskTimers_->Arm();
}

void CMainFrame::DisarmTaskTimer(std::size_t slot) {
    taskTimers_->Disarm(slot);
}

void CMainFrame::OnTaskTimer() {
    taskTimers_->Check();
}

bool CMainFrame::InLongOperation() const {
    if (pump_.Depth() > 0 || operationPrompt_.Depth() > 0) return true;
    // Adding many securities, the symbol database update, the repair: they
    // pump through their progress window.
    const QWidgetList widgets = QApplication::allWidgets();
    return std::any_of(widgets.begin(), widgets.end(), [](QWidget* widget) {
        const auto* progress = qobject_cast<ProgressWnd*>(widget);
        return progress && progress->IsOpen();
    });
}

namespace {

// The progress window of a scheduled run, opened only when the run asks for
// it (a long symbol list), modal like the other long operations'.
class ScheduledRunProgress : public Progress {
public:
    explicit ScheduledRunProgress(ProgressWnd& window) : window_(window) {}
    void SetRange(int maximum) override {
        Open();
        window_.AsProgress().SetRange(maximum);
    }
    void SetPosition(int position) override { window_.AsProgress().SetPosition(position); }
    void SetText(const std::string& text) override {
        Open();
        window_.AsProgress().SetText(text);
    }
    // A cancel closes the window; the run learns of it here all the same.
    bool IsCancelled() override { return opened_ && window_.AsProgress().IsCancelled(); }

private:
    void Open() {
        if (opened_) return;
        opened_ = true;
        window_.MakeModal(QStringLiteral("Scheduled download"), true);
    }
    ProgressWnd& window_;
    bool opened_ = false;
};

}  // namespace

bool CMainFrame::FireTask(std::size_t slot) {
    const ScheduleTask task = settings_.tasks[slot];
    ProgressWnd window(services_.store, this);
    ScheduledRunProgress progress(window);
    const TaskRunOutcome outcome =
        RunScheduledTask(*downloader_, task, doc_.GetClock().Now(), progress, doc_.GetPrompt(),
                         services_.reportPath);
    window.CloseProgressWindow();
    // A task that could not start has said why; there is nothing to signal.
    if (!outcome.ran) return true;
    if (services_.playDownloadSignal) services_.playDownloadSignal();
    return !(services_.finishAfterDownload && services_.finishAfterDownload());
}

void CMainFrame::ShowSettingsSheet(int page) {
    SettingsSheet sheet(
        SheetServices{settings_, services_.store, doc_.GetPrompt(), doc_.GetClock(),
                      services_.shippedDirectory, services_.applyStartWithWindows,
                      [this] { ArmTaskTimers(); },
                      [this](std::size_t slot) { DisarmTaskTimer(slot); }, services_.playSoundFile},
        page, this);
    sheet.exec();
}

void CMainFrame::ShowAbout() {
    AboutDialog about(QUrl(QString::fromStdString(services_.makerUrl)), services_.openUrl, this);
    about.exec();
}

bool CMainFrame::ConfirmExit() {
    return settings_.onShutdown != 1 ||
           doc_.GetPrompt().Show("Are you sure you want to exit Corvane?", kAppCaption,
                                 PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes;
}

void CMainFrame::OnExit() {
    if (ConfirmExit()) EndSession();
}

void CMainFrame::EndSession() {
    ending_ = true;
    close();
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Shown once start-up has passed the single-instance rule.
    taskTimers_->Start();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!ending_ && settings_.shutMinimize != 0) {
        event->ignore();
        HideToTray();
        return;
    }
    if (!ending_ && !ConfirmExit()) {
        event->ignore();
        return;
    }
    ending_ = true;
    if (tray_) tray_->hide();
    event->accept();
    Q_EMIT Ended();
}

void CMainFrame::HideToTray() {
    inTray_ = true;
    if (tray_) {
        tray_->show();
        hide();
    } else {
        // Without a tray the window waits minimised; the system keeps running.
        showMinimized();
    }
}

void CMainFrame::OnRestore() {
    inTray_ = false;
    if (tray_) tray_->hide();
    showNormal();
    raise();
    activateWindow();
}

}  // namespace corvane

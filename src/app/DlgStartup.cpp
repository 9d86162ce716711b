#include "DlgStartup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "FolderChooser.h"

namespace corvane {

DlgStartup::DlgStartup(SheetServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      checkVersion_(new QCheckBox(QStringLiteral("Check for new versions on startup"), this)),
      periodicity_(new QComboBox(this)),
      startMinimized_(new QCheckBox(QStringLiteral("Start minimized"), this)),
      startWithWindows_(new QCheckBox(QStringLiteral("Start at log-on"), this)),
      directoryChoice_(new QButtonGroup(this)),
      directoryPath_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("Browse"), this)) {
    setObjectName(QStringLiteral("dlgStartup"));
    checkVersion_->setObjectName(QStringLiteral("checkVersion"));
    periodicity_->setObjectName(QStringLiteral("checkPeriodicity"));
    periodicity_->addItems(
        {QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Monthly")});
    startMinimized_->setObjectName(QStringLiteral("startMinimized"));
    startWithWindows_->setObjectName(QStringLiteral("startWithWindows"));
    startWithWindows_->setToolTip(
        QStringLiteral("Starts Corvane when you log on to the desktop (an autostart entry)"));
    directoryPath_->setObjectName(QStringLiteral("directoryPath"));
    browse_->setObjectName(QStringLiteral("browseStartup"));

    auto* group = new QGroupBox(QStringLiteral("Startup directory"), this);
    auto* groupLayout = new QGridLayout(group);
    const std::pair<int, const char*> choices[] = {{kStartupLastDirectory, "Last open directory"},
                                                   {kStartupSystemRoot, "Root"},
                                                   {kStartupChosenDirectory, "Setup directory"}};
    const char* names[] = {"lastDirectory", "rootDirectory", "setupDirectory"};
    int row = 0;
    for (const auto& [code, text] : choices) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), group);
        radio->setObjectName(QString::fromLatin1(names[row]));
        directoryChoice_->addButton(radio, code);
        groupLayout->addWidget(radio, row++, 0, 1, 2);
    }
    groupLayout->addWidget(directoryPath_, row, 0);
    groupLayout->addWidget(browse_, row, 1);

    auto* check = new QHBoxLayout;
    check->addWidget(checkVersion_);
    check->addWidget(periodicity_);
    check->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(check);
    layout->addWidget(startMinimized_);
    layout->addWidget(startWithWindows_);
    layout->addWidget(group);
    layout->addStretch();

    const AppSettings& settings = services_.settings;
    checkVersion_->setChecked(settings.checkVersion != 0);
    periodicity_->setCurrentIndex(std::clamp(settings.checkPeriodicity, 0, 2));
    startMinimized_->setChecked(settings.startMinimized != 0);
    startWithWindows_->setChecked(settings.startWithWindows != 0);
    // 0, never chosen, checks none of the three.
    if (QAbstractButton* chosen = directoryChoice_->button(settings.startupDirectory))
        chosen->setChecked(true);
    path_ = settings.directoryPath;
    directoryPath_->setText(QString::fromStdString(path_));
    UpdateEnabling();

    connect(checkVersion_, &QCheckBox::toggled, this, [this] {
        UpdateEnabling();
        Q_EMIT Changed();
    });
    connect(directoryChoice_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (!on) return;
        UpdateEnabling();
        Q_EMIT Changed();
    });
    for (QCheckBox* box : {startMinimized_, startWithWindows_})
        connect(box, &QCheckBox::toggled, this, &DlgStartup::Changed);
    connect(periodicity_, &QComboBox::currentIndexChanged, this, &DlgStartup::Changed);
    connect(directoryPath_, &QLineEdit::textEdited, this, &DlgStartup::Changed);
    connect(directoryPath_, &QLineEdit::editingFinished, this,
            [this] { path_ = directoryPath_->text().toStdString(); });
    connect(browse_, &QPushButton::clicked, this, &DlgStartup::OnBrowse);
}

void DlgStartup::UpdateEnabling() {
    periodicity_->setEnabled(checkVersion_->isChecked());
    const bool chosen = directoryChoice_->checkedId() == kStartupChosenDirectory;
    directoryPath_->setEnabled(chosen);
    browse_->setEnabled(chosen);
}

void DlgStartup::OnBrowse() {
    const QString chosen =
        ChooseFolder(this, QStringLiteral("Select startup directory"),
                     QString::fromStdString(path_), QStringLiteral("startupDirectoryChooser"));
    if (chosen.isEmpty()) return;
    path_ = chosen.toStdString();
    directoryPath_->setText(QString::fromStdString(path_));
    Q_EMIT Changed();
}

bool DlgStartup::Apply() {
    AppSettings& settings = services_.settings;
    settings.checkVersion = checkVersion_->isChecked() ? 1 : 0;
    settings.startMinimized = startMinimized_->isChecked() ? 1 : 0;
    settings.startWithWindows = startWithWindows_->isChecked() ? 1 : 0;
    settings.checkPeriodicity = periodicity_->currentIndex();
    if (directoryChoice_->checkedId() != -1)
        settings.startupDirectory = directoryChoice_->checkedId();
    // Typed text counts even when OK is pressed with the keys, before the
    // edit loses the focus.
    if (directoryPath_->isEnabled()) path_ = directoryPath_->text().toStdString();
    settings.directoryPath = path_;
    SaveStartupSettings(services_.store, settings);
    if (services_.applyStartWithWindows && !services_.applyStartWithWindows()) {
        (void)services_.prompt.Show(
            settings.startWithWindows != 0
                ? "Corvane could not be set to start at log-on: its autostart entry cannot be "
                  "written."
                : "Corvane could not be kept from starting at log-on: its autostart entry "
                  "cannot be removed.",
            kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        return false;
    }
    return true;
}

}  // namespace corvane

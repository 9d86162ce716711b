#include "SettingsSheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DlgAlerts.h"
#include "DlgScheduler.h"
#include "DlgShutdown.h"
#include "DlgStartup.h"

namespace corvane {

SettingsSheet::SettingsSheet(SheetServices services, int firstPage, QWidget* parent)
    : QDialog(parent),
      services_(services),
      tabs_(new QTabWidget(this)),
      startup_(new DlgStartup(services)),
      shutdown_(new DlgShutdown(services)),
      scheduler_(new DlgScheduler(services)),
      alerts_(new DlgAlerts(services)),
      buttons_(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this)),
      apply_(buttons_->button(QDialogButtonBox::Apply)) {
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(QStringLiteral("Corvane Settings"));
    tabs_->setObjectName(QStringLiteral("settingsPages"));
    tabs_->addTab(startup_, QStringLiteral(" Startup     "));
    tabs_->addTab(shutdown_, QStringLiteral(" Shutdown "));
    tabs_->addTab(scheduler_, QStringLiteral(" Scheduler "));
    tabs_->addTab(alerts_, QStringLiteral(" Alerts       "));
    buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    apply_->setObjectName(QStringLiteral("applyButton"));
    apply_->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);

    const auto changed = [this] { apply_->setEnabled(true); };
    connect(startup_, &DlgStartup::Changed, this, changed);
    connect(shutdown_, &DlgShutdown::Changed, this, changed);
    connect(scheduler_, &DlgScheduler::Changed, this, changed);
    connect(alerts_, &DlgAlerts::Changed, this, changed);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page >= 0) shown_[static_cast<std::size_t>(page)] = true;
    });
    connect(buttons_, &QDialogButtonBox::accepted, this, &SettingsSheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &SettingsSheet::reject);
    connect(apply_, &QPushButton::clicked, this, &SettingsSheet::OnApply);

    tabs_->setCurrentIndex(firstPage);
    shown_[static_cast<std::size_t>(tabs_->currentIndex())] = true;
    resize(440, 480);
}

void SettingsSheet::ApplyPage(int page) {
    switch (page) {
        case kStartupPage:
            (void)startup_->Apply();  // tells of an autostart entry it could not write
            break;
        case kShutdownPage:
            shutdown_->Apply();
            break;
        case kSchedulerPage:
            scheduler_->Apply();
            break;
        case kAlertsPage:
            alerts_->Apply();
            break;
    }
}

void SettingsSheet::OnApply() {
    for (int page = kStartupPage; page <= kAlertsPage; ++page)
        if (shown_[static_cast<std::size_t>(page)]) ApplyPage(page);
    if (!services_.store.Flush()) TellUnsaved();
    apply_->setEnabled(false);
}

void SettingsSheet::accept() {
    // Every page, shown or not, in the order the tasks come first.
    for (int page : {kSchedulerPage, kShutdownPage, kStartupPage, kAlertsPage}) ApplyPage(page);
    if (!services_.store.Flush()) TellUnsaved();
    QDialog::accept();
}

void SettingsSheet::TellUnsaved() {
    (void)services_.prompt.Show(
        "The settings could not be saved: the settings file cannot be written. They apply "
        "until Corvane ends.",
        kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
}

}  // namespace corvane

#pragma once

#include <QDialog>

#include <array>

#include "SheetServices.h"

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace corvane {

class DlgAlerts;
class DlgScheduler;
class DlgShutdown;
class DlgStartup;

// "Corvane Settings": the Startup, Shutdown, Scheduler and Alerts pages over
// working copies of their settings. Any change enables Apply, which stores
// the pages shown so far; OK stores all four, shown or not; Cancel stores
// nothing that was not applied.
class SettingsSheet : public QDialog {
    Q_OBJECT

public:
    enum Page { kStartupPage = 0, kShutdownPage = 1, kSchedulerPage = 2, kAlertsPage = 3 };

    SettingsSheet(SheetServices services, int firstPage, QWidget* parent = nullptr);

    void accept() override;
    void OnApply();

    QTabWidget& Tabs() const { return *tabs_; }
    QPushButton& ApplyButton() const { return *apply_; }
    DlgScheduler& SchedulerPage() const { return *scheduler_; }

private:
    void ApplyPage(int page);
    void TellUnsaved();

    SheetServices services_;
    QTabWidget* tabs_;
    DlgStartup* startup_;
    DlgShutdown* shutdown_;
    DlgScheduler* scheduler_;
    DlgAlerts* alerts_;
    QDialogButtonBox* buttons_;
    QPushButton* apply_;
    std::array<bool, 4> shown_{};
};

}  // namespace corvane

#pragma once

#include <QDialog>

#include <functional>
#include <vector>

#include "BatchScan.h"
#include "BatchTable.h"
#include "Prompt.h"
#include "SettingsStore.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace corvane {

// "Batch Download": the data directories found on the volumes, ticked for
// a download of all their securities. The dialog works on its own table;
// the caller takes it only when the user presses OK.
class DlgBatch : public QDialog {
public:
    // `mainWindow` is disabled while the scan's progress window runs.
    DlgBatch(Prompt& prompt, SettingsStore& store, QWidget* mainWindow,
             std::function<void()> playDownloadSignal, QWidget* parent = nullptr);

    // Scans the roots afresh into the dialog's table and lists what it found.
    ScanEnd Scan(const std::vector<ScanRoot>& roots);
    const BatchTable& Table() const { return table_; }
    QListWidget& List() const { return *list_; }

private:
    class ProgressDisplay;

    void Fill();
    void ShowInfo(int row);
    void SetAllTicks(bool ticked);

    Prompt& prompt_;
    SettingsStore& store_;
    QWidget* mainWindow_;
    std::function<void()> playDownloadSignal_;
    BatchTable table_;
    QListWidget* list_;
    QLabel* path_;
    QLabel* count_;
    QLabel* symbols_;
};

}  // namespace corvane

#pragma once

#include <QWidget>

#include <optional>

#include "FiredRecord.h"
#include "SheetServices.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QTreeWidget;

namespace corvane {

// The settings sheet's Scheduler page: the table of ten task slots, each in
// use while its title is not empty, edited in a working copy that the sheet
// stores when applied.
class DlgScheduler : public QWidget {
    Q_OBJECT

public:
    explicit DlgScheduler(SheetServices services, QWidget* parent = nullptr);

    // The working copy replaces the settings' table, is written and armed.
    void Apply();
    const TaskTable& Tasks() const { return tasks_; }
    // The slot whose details are shown.
    std::optional<std::size_t> CurrentSlot() const { return current_; }
    QTreeWidget& TaskList() const { return *list_; }

    void OnNew();
    void OnAccept();
    void OnDelete();
    void OnBrowse();

Q_SIGNALS:
    void Changed();

private:
    void FillList();
    void SelectSlot(std::size_t slot);
    void ShowDetails(const ScheduleTask& task);
    void ClearDetails();
    std::optional<std::size_t> SelectedSlot() const;

    SheetServices services_;
    TaskTable tasks_;
    std::optional<std::size_t> current_;
    QTreeWidget* list_;
    QPushButton* delete_;
    QPushButton* new_;
    QCheckBox* enabled_;
    QLineEdit* title_;
    QTimeEdit* time_;
    QComboBox* days_;
    QLineEdit* directory_;
    QPushButton* browse_;
    QPushButton* accept_;
};

}  // namespace corvane

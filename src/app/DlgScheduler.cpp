#include "DlgScheduler.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "FolderChooser.h"
#include "Latin1Text.h"
#include "ScheduleRule.h"
#include "StoreReader.h"

namespace corvane {
namespace {

constexpr int kSlotRole = Qt::UserRole;

QTime TaskTime(const ScheduleTask& task) {
    return QTime(std::clamp(task.hour, 0, 23), std::clamp(task.minute, 0, 59));
}

}  // namespace

DlgScheduler::DlgScheduler(SheetServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      tasks_(services_.settings.tasks),
      list_(new QTreeWidget(this)),
      delete_(new QPushButton(QStringLiteral("Delete"), this)),
      new_(new QPushButton(QStringLiteral("New"), this)),
      enabled_(new QCheckBox(QStringLiteral("Enabled"), this)),
      title_(new QLineEdit(this)),
      time_(new QTimeEdit(this)),
      days_(new QComboBox(this)),
      directory_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("Browse"), this)),
      accept_(new QPushButton(QStringLiteral("Accept"), this)) {
    setObjectName(QStringLiteral("dlgScheduler"));
    list_->setObjectName(QStringLiteral("taskList"));
    list_->setHeaderLabels(
        {QStringLiteral("Title"), QStringLiteral("Days"), QStringLiteral("Time")});
    list_->setColumnWidth(0, 120);
    list_->setColumnWidth(1, 80);
    list_->setColumnWidth(2, 80);
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionsClickable(false);
    delete_->setObjectName(QStringLiteral("deleteTask"));
    new_->setObjectName(QStringLiteral("newTask"));
    enabled_->setObjectName(QStringLiteral("taskEnabled"));
    title_->setObjectName(QStringLiteral("taskTitle"));
    time_->setObjectName(QStringLiteral("taskTime"));
    time_->setDisplayFormat(QStringLiteral("hh:mm AP"));
    days_->setObjectName(QStringLiteral("taskDays"));
    for (const char* text : kDayRuleTexts) days_->addItem(QString::fromLatin1(text));
    directory_->setObjectName(QStringLiteral("taskDirectory"));
    browse_->setObjectName(QStringLiteral("browseTask"));
    accept_->setObjectName(QStringLiteral("acceptTask"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(delete_);
    buttons->addWidget(new_);
    auto* details = new QGroupBox(QStringLiteral("Details"), this);
    auto* form = new QFormLayout(details);
    form->addRow(enabled_);
    form->addRow(QStringLiteral("Title"), title_);
    form->addRow(QStringLiteral("Time"), time_);
    form->addRow(QStringLiteral("Days"), days_);
    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(directory_);
    directoryRow->addWidget(browse_);
    form->addRow(QStringLiteral("Directory"), directoryRow);
    auto* acceptRow = new QHBoxLayout;
    acceptRow->addStretch();
    acceptRow->addWidget(accept_);
    form->addRow(acceptRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    layout->addWidget(details);

    FillList();
    // The last slot in use is shown first.
    std::optional<std::size_t> last;
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot)
        if (!tasks_[slot].title.empty()) last = slot;
    if (last)
        SelectSlot(*last);
    else
        ClearDetails();

    connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        // The row's own slot: two tasks of one title each keep their own.
        current_ = item->data(0, kSlotRole).value<std::size_t>();
        ShowDetails(tasks_[*current_]);
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item) return;
        current_ = item->data(0, kSlotRole).value<std::size_t>();
        ShowDetails(tasks_[*current_]);
    });
    connect(new_, &QPushButton::clicked, this, &DlgScheduler::OnNew);
    connect(accept_, &QPushButton::clicked, this, &DlgScheduler::OnAccept);
    connect(delete_, &QPushButton::clicked, this, &DlgScheduler::OnDelete);
    connect(browse_, &QPushButton::clicked, this, &DlgScheduler::OnBrowse);
}

void DlgScheduler::FillList() {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot) {
        const ScheduleTask& task = tasks_[slot];
        if (task.title.empty()) continue;
        auto* row = new QTreeWidgetItem(
            {FromLatin1(task.title), QString::fromLatin1(DayRuleText(task.days)),
             QString::fromLatin1(FormatTaskTime(task.hour, task.minute))});
        row->setData(0, kSlotRole, QVariant::fromValue(slot));
        list_->addTopLevelItem(row);
    }
}

void DlgScheduler::SelectSlot(std::size_t slot) {
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        if (item->data(0, kSlotRole).value<std::size_t>() != slot) continue;
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(item);
        item->setSelected(true);
        list_->scrollToItem(item);
    }
    current_ = slot;
    ShowDetails(tasks_[slot]);
}

std::optional<std::size_t> DlgScheduler::SelectedSlot() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return selected.front()->data(0, kSlotRole).value<std::size_t>();
}

void DlgScheduler::ShowDetails(const ScheduleTask& task) {
    enabled_->setChecked(task.enabled != 0);
    title_->setText(FromLatin1(task.title));
    time_->setTime(TaskTime(task));
    days_->setCurrentIndex(task.days >= 0 && task.days < days_->count() ? task.days : 0);
    directory_->setText(QString::fromStdString(task.path));
}

void DlgScheduler::ClearDetails() {
    const LocalDateTime now = services_.clock.Now();
    enabled_->setChecked(false);
    title_->clear();
    time_->setTime(QTime(now.hour, now.minute));
    days_->setCurrentIndex(0);
    directory_->clear();
}

void DlgScheduler::OnNew() {
    const auto free = std::find_if(tasks_.begin(), tasks_.end(),
                                   [](const ScheduleTask& task) { return task.title.empty(); });
    if (free == tasks_.end()) {
        (void)services_.prompt.Show("Maximum number of tasks is reached.", kAppCaption,
                                    PromptIcon::Error, PromptButtons::Ok);
        return;
    }
    const LocalDateTime now = services_.clock.Now();
    std::error_code error;
    *free = ScheduleTask{1,  0, now.hour, now.minute, std::filesystem::current_path(error).string(),
                         "?"};
    FillList();
    SelectSlot(static_cast<std::size_t>(free - tasks_.begin()));
    title_->setFocus();
    title_->selectAll();
    Q_EMIT Changed();
}

void DlgScheduler::OnAccept() {
    const std::optional<std::size_t> slot = SelectedSlot();
    if (!slot) return;
    const std::optional<std::string> title = ToLatin1(title_->text());
    if (title_->text().isEmpty()) {
        (void)services_.prompt.Show("Enter task title", kAppCaption, PromptIcon::Warning,
                                    PromptButtons::Ok);
        title_->setFocus();
        return;
    }
    if (!title) {
        (void)services_.prompt.Show(NotLatin1Message(title_->text()), kAppCaption,
                                    PromptIcon::Warning, PromptButtons::Ok);
        title_->setFocus();
        return;
    }
    const std::string path = directory_->text().toStdString();
    if (!StoreReader::IsDataDirectory(path)) {
        (void)services_.prompt.Show("Selected directory is not a valid Metastock directory",
                                    kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        directory_->setFocus();
        return;
    }
    ScheduleTask& task = tasks_[*slot];
    task.enabled = enabled_->isChecked() ? 1 : 0;
    task.title = *title;
    task.path = path;
    task.days = days_->currentIndex();
    task.hour = time_->time().hour();
    task.minute = time_->time().minute();
    FillList();
    SelectSlot(*slot);
    Q_EMIT Changed();
}

void DlgScheduler::OnDelete() {
    const std::optional<std::size_t> slot = SelectedSlot();
    if (!slot) return;
    // Only the title goes: an empty title frees the slot, the rest stays.
    tasks_[*slot].title.clear();
    FillList();
    ClearDetails();
    current_.reset();
    // At once, whatever becomes of the sheet.
    if (services_.disarmTaskTimer) services_.disarmTaskTimer(*slot);
    Q_EMIT Changed();
}

void DlgScheduler::OnBrowse() {
    const QString chosen = ChooseFolder(this, QStringLiteral("Select MetaStock directory"),
                                        directory_->text(), QStringLiteral("taskDirectoryChooser"));
    if (chosen.isEmpty()) return;
    directory_->setText(chosen);
    if (current_) tasks_[*current_].path = chosen.toStdString();
    Q_EMIT Changed();
}

void DlgScheduler::Apply() {
    services_.settings.tasks = tasks_;
    SaveTaskSettings(services_.store, services_.settings);
    if (services_.armTaskTimers) services_.armTaskTimers();
}

}  // namespace corvane

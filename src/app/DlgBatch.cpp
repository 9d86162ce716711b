#include "DlgBatch.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "Latin1Text.h"
#include "ProgressWnd.h"
#include "WaitCursor.h"

namespace corvane {

// The scan's progress in the progress window, with its Cancel and Escape.
class DlgBatch::ProgressDisplay : public ScanDisplay {
public:
    explicit ProgressDisplay(ProgressWnd& window) : window_(window) {}
    void StartRoot(const std::string& title, int upper) override {
        window_.SetStoredTitle(QString::fromStdString(title));
        window_.SetBounds(0, upper, 1);
        (void)window_.SetPosition(0);
    }
    void ShowFolder(const std::string& text) override {
        window_.SetMessage(QString::fromStdString(text));
    }
    void Advance(int amount) override { (void)window_.MoveBy(amount); }
    bool Cancelled() override {
        window_.PumpPendingMessages(true);
        return window_.IsCancelled();
    }
    void Pause() override { QThread::msleep(20); }

private:
    ProgressWnd& window_;
};

DlgBatch::DlgBatch(Prompt& prompt, SettingsStore& store, QWidget* mainWindow,
                   std::function<void()> playDownloadSignal, QWidget* parent)
    : QDialog(parent),
      prompt_(prompt),
      store_(store),
      mainWindow_(mainWindow),
      playDownloadSignal_(std::move(playDownloadSignal)),
      list_(new QListWidget(this)),
      path_(new QLabel(this)),
      count_(new QLabel(this)),
      symbols_(new QLabel(this)) {
    setObjectName(QStringLiteral("dlgBatch"));
    setWindowTitle(QStringLiteral("Batch Download"));
    list_->setObjectName(QStringLiteral("batchList"));
    path_->setObjectName(QStringLiteral("infoPath"));
    count_->setObjectName(QStringLiteral("infoCount"));
    symbols_->setObjectName(QStringLiteral("infoSymbols"));
    symbols_->setWordWrap(true);
    for (QLabel* label : {path_, count_, symbols_}) label->setTextFormat(Qt::PlainText);
    // Room for the five lines of 40 characters of a path.
    path_->setMinimumHeight(path_->fontMetrics().lineSpacing() * 5);
    path_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    symbols_->setMinimumWidth(path_->fontMetrics().horizontalAdvance(QString(44, u'W')));
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { ShowInfo(row); });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = list_->row(item);
        if (row >= 0 && row < table_.filled)
            table_.slots[static_cast<std::size_t>(row)].selected =
                item->checkState() == Qt::Checked;
    });

    auto* selectAll = new QPushButton(QStringLiteral("Select All"), this);
    auto* deselectAll = new QPushButton(QStringLiteral("Deselect All"), this);
    selectAll->setObjectName(QStringLiteral("selectAll"));
    deselectAll->setObjectName(QStringLiteral("deselectAll"));
    connect(selectAll, &QPushButton::clicked, this, [this] { SetAllTicks(true); });
    connect(deselectAll, &QPushButton::clicked, this, [this] { SetAllTicks(false); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    buttons->addButton(selectAll, QDialogButtonBox::ActionRole);
    buttons->addButton(deselectAll, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* info = new QGroupBox(QStringLiteral("Info"), this);
    auto* infoLayout = new QVBoxLayout(info);
    for (QLabel* label : {path_, count_, symbols_}) infoLayout->addWidget(label);
    auto* top = new QHBoxLayout;
    top->addWidget(list_, 1);
    top->addWidget(info, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

ScanEnd DlgBatch::Scan(const std::vector<ScanRoot>& roots) {
    ScanEnd end;
    {
        const WaitCursor wait;
        ProgressWnd progress(store_, mainWindow_);
        const QString title = QStringLiteral("Scanning ... ");
        progress.MakeModal(title, true);
        progress.SetLayout(4, 250);
        ProgressDisplay display(progress);
        end = ScanDrives(roots, table_, display, prompt_);
        progress.HideProgress();
        progress.CloseProgressWindow();
    }
    if (playDownloadSignal_) playDownloadSignal_();
    Fill();
    return end;
}

void DlgBatch::Fill() {
    const QSignalBlocker block(list_);
    list_->clear();
    for (int i = 0; i < table_.filled; ++i) {
        const BatchEntry& entry = table_.slots[static_cast<std::size_t>(i)];
        auto* item = new QListWidgetItem(QString::fromStdString(entry.name), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.selected ? Qt::Checked : Qt::Unchecked);
    }
    if (table_.filled > 0) list_->setCurrentRow(0);
    ShowInfo(list_->currentRow());
}

void DlgBatch::ShowInfo(int row) {
    if (row < 0 || row >= table_.filled) {
        for (QLabel* label : {path_, count_, symbols_}) label->clear();
        return;
    }
    const BatchEntry& entry = table_.slots[static_cast<std::size_t>(row)];
    path_->setText(QString::fromStdString(FullPathInfo(entry.path)));
    count_->setText(QStringLiteral("Number of symbols: ") + QString::number(entry.count));
    symbols_->setText(FromLatin1(SymbolsInfo(entry.symbols)));
}

void DlgBatch::SetAllTicks(bool ticked) {
    for (int row = 0; row < list_->count(); ++row)
        list_->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace corvane

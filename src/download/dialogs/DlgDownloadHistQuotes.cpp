#include "DlgDownloadHistQuotes.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "DatePicker.h"
#include "Latin1Text.h"

namespace corvane {

namespace {

std::int32_t ToYyyyMmDd(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate FromYyyyMmDd(std::int32_t date) {
    return QDate(date / 10000, date / 100 % 100, date % 100);
}

}  // namespace

// The dialog's bar as the run drives it. Cancel does not interrupt a run.
class DlgDownloadHistQuotes::BarProgress : public Progress {
public:
    BarProgress(QProgressBar& bar, QLabel& status) : bar_(bar), status_(status) {}
    void SetRange(int maximum) override { bar_.setRange(0, maximum); }
    void SetPosition(int position) override { bar_.setValue(position); }
    void SetText(const std::string& text) override { status_.setText(QString::fromLatin1(text)); }
    bool IsCancelled() override { return false; }

private:
    QProgressBar& bar_;
    QLabel& status_;
};

DlgDownloadHistQuotes::DlgDownloadHistQuotes(DownloadContext context, const std::string& symbols,
                                             const BatchTable* batch, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      symbols_(new QLineEdit(QString::fromLatin1(symbols), this)),
      start_(new DatePicker(this)),
      end_(new DatePicker(this)),
      daily_(new QRadioButton(QStringLiteral("&Daily"), this)),
      weekly_(new QRadioButton(QStringLiteral("&Weekly"), this)),
      monthly_(new QRadioButton(QStringLiteral("&Monthly"), this)),
      bar_(new QProgressBar(this)),
      status_(new QLabel(this)),
      elapsed_(new QLabel(QStringLiteral("00:00:00"), this)),
      remaining_(new QLabel(QStringLiteral("00:00:00"), this)),
      overwrite_(new QCheckBox(QStringLiteral("Overwrite all records"), this)),
      getQuotes_(new QPushButton(QStringLiteral("Get &quotes"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("dlgDownloadHistQuotes"));
    setWindowTitle(QStringLiteral("Download Historical Quotes"));
    symbols_->setObjectName(QStringLiteral("downloadSymbols"));
    symbols_->setMinimumWidth(320);
    start_->setObjectName(QStringLiteral("startDate"));
    end_->setObjectName(QStringLiteral("endDate"));
    const LocalDateTime now = context_.clock.Now();
    end_->setDate(QDate(now.year, now.month, now.day));
    start_->setDate(QDate(now.year - 2, now.month, now.day == 29 && now.month == 2 ? 28 : now.day));
    daily_->setChecked(true);
    daily_->setObjectName(QStringLiteral("daily"));
    weekly_->setObjectName(QStringLiteral("weekly"));
    monthly_->setObjectName(QStringLiteral("monthly"));
    bar_->setObjectName(QStringLiteral("downloadProgress"));
    bar_->setValue(0);
    status_->setObjectName(QStringLiteral("downloadStatus"));
    status_->setMinimumWidth(120);
    elapsed_->setObjectName(QStringLiteral("elapsedTime"));
    remaining_->setObjectName(QStringLiteral("remainingTime"));
    overwrite_->setObjectName(QStringLiteral("overwriteAll"));
    getQuotes_->setObjectName(QStringLiteral("getQuotes"));
    getQuotes_->setDefault(true);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setEnabled(static_cast<bool>(context_.openHelp));

    auto* info = new QGroupBox(QStringLiteral("Security info"), this);
    auto* infoForm = new QFormLayout(info);
    infoForm->addRow(QStringLiteral("Security &symbols:"), symbols_);
    infoForm->addRow(QStringLiteral("S&tart date:"), start_);
    infoForm->addRow(QStringLiteral("&End date:"), end_);
    auto* periods = new QHBoxLayout;
    for (QRadioButton* radio : {daily_, weekly_, monthly_}) periods->addWidget(radio);
    infoForm->addRow(periods);
    infoForm->addRow(overwrite_);

    auto* progress = new QGroupBox(QStringLiteral("Progress"), this);
    auto* grid = new QGridLayout(progress);
    grid->addWidget(bar_, 0, 0, 1, 2);
    grid->addWidget(status_, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Elapsed time:"), this), 2, 0);
    grid->addWidget(elapsed_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Remaining time:"), this), 3, 0);
    grid->addWidget(remaining_, 3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(getQuotes_);
    buttons->addWidget(help);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(progress);
    layout->addLayout(buttons);

    connect(getQuotes_, &QPushButton::clicked, this, &DlgDownloadHistQuotes::OnGetQuotes);
    connect(cancel_, &QPushButton::clicked, this, &DlgDownloadHistQuotes::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { context_.openHelp(QStringLiteral("downloaddlg.htm")); });

    downloader_ =
        std::make_unique<CDownloader>(context_.http, context_.prompt, context_.clock, context_.pump,
                                      context_.services, context_.reportPath);
    progress_ = std::make_unique<BarProgress>(*bar_, *status_);
    downloader_->SetDisplay(RunDisplay{
        [this](const std::string& symbol) { status_->setText(QString::fromLatin1(symbol)); },
        [this](const std::string& elapsed, const std::string& remaining) {
            elapsed_->setText(QString::fromStdString(elapsed));
            remaining_->setText(QString::fromStdString(remaining));
        },
        context_.reloadSecurityList});
    if (batch) {
        symbols_->setEnabled(false);
        downloader_->SetBatch(batch);
    }
}

DlgDownloadHistQuotes::~DlgDownloadHistQuotes() = default;

void DlgDownloadHistQuotes::SetPreset(const std::string& symbols, std::int32_t start,
                                      std::int32_t end) {
    symbols_->setText(QString::fromLatin1(symbols));
    start_->setDate(FromYyyyMmDd(start));
    end_->setDate(FromYyyyMmDd(end));
}

void DlgDownloadHistQuotes::OnGetQuotes() {
    if (running_) return;
    // A symbol the files cannot hold would be looked for, and stored, as "?".
    const auto symbols = ToLatin1(symbols_->text());
    if (!symbols) {
        (void)context_.prompt.Show(NotLatin1Message(symbols_->text()), kAppCaption,
                                   PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    const Periodicity periodicity = weekly_->isChecked()    ? Periodicity::Weekly
                                    : monthly_->isChecked() ? Periodicity::Monthly
                                                            : Periodicity::Daily;
    getQuotes_->setEnabled(false);
    cancel_->setFocus();
    running_ = true;
    std::error_code error;
    downloader_->SetDirectory(std::filesystem::current_path(error));
    downloader_->SetOverwrite(overwrite_->isChecked());
    (void)downloader_->RunDownload(*symbols, ToYyyyMmDd(start_->date()), ToYyyyMmDd(end_->date()),
                                   periodicity, *progress_);
    running_ = false;
    ran_ = true;
    accept();
}

void DlgDownloadHistQuotes::reject() {
    // A run in progress is left to finish; the dialog closes when it ends.
    cancelled_ = true;
    if (!running_) QDialog::reject();
}

}  // namespace corvane

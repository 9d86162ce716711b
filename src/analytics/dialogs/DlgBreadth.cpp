#include "DlgBreadth.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "CalendarDate.h"
#include "DatePicker.h"
#include "MarketBreadth.h"
#include "ProgressWnd.h"
#include "WaitCursor.h"

namespace corvane {
namespace {

constexpr int kTimerPeriodMs = 1000;
constexpr std::size_t kProgressThreshold = 200;

QDate ToQDate(std::int32_t date) {
    return QDate(date / 10000, date / 100 % 100, date % 100);
}

std::int32_t FromQDate(const QDate& date) {
    return MakeDate(date.year(), date.month(), date.day());
}

// The same month and day two years earlier; 29 February becomes the 28th.
std::int32_t TwoYearsBefore(std::int32_t date) {
    const std::int32_t earlier = date - 20000;
    return IsValidDate(earlier) ? earlier : earlier - 1;
}

QLabel* CountLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000000%")));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* Button(QWidget* parent, const QString& text, const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(true);
    return button;
}

}  // namespace

DlgBreadth::DlgBreadth(AnalyticsContext context, DownloadMissing downloadMissing, QWidget* parent)
    : QDialog(parent), context_(std::move(context)), downloadMissing_(std::move(downloadMissing)) {
    setWindowTitle(QStringLiteral("Market Breadth Calculations"));
    setObjectName(QStringLiteral("breadthDialog"));
    BuildControls();
    timer_.setInterval(kTimerPeriodMs);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    Open();
}

void DlgBreadth::BuildControls() {
    firstDate_ = new DatePicker(this);
    lastDate_ = new DatePicker(this);
    firstDate_->setObjectName(QStringLiteral("firstDate"));
    lastDate_->setObjectName(QStringLiteral("lastDate"));
    connect(firstDate_, &QDateEdit::dateChanged, this, [this] { OnFirstDateChanged(); });
    connect(lastDate_, &QDateEdit::dateChanged, this, [this] { OnLastDateChanged(); });
    auto* period = new QGroupBox(QStringLiteral("Calculation period"), this);
    auto* periodLayout = new QFormLayout(period);
    periodLayout->addRow(QStringLiteral("First Date:"), firstDate_);
    periodLayout->addRow(QStringLiteral("Last Date:"), lastDate_);

    totalSelected_ = CountLabel(this, "totalSelected");
    missingFirst_ = CountLabel(this, "missingFirstDate");
    missingLast_ = CountLabel(this, "missingLastDate");
    totalMissing_ = CountLabel(this, "totalMissing");
    percentMissing_ = CountLabel(this, "percentMissing");
    auto* data = new QGroupBox(QStringLiteral("Data availability"), this);
    auto* dataLayout = new QFormLayout(data);
    dataLayout->addRow(QStringLiteral("Total selected:"), totalSelected_);
    dataLayout->addRow(QStringLiteral("Missing first date:"), missingFirst_);
    dataLayout->addRow(QStringLiteral("Missing last date:"), missingLast_);
    dataLayout->addRow(QStringLiteral("Total missing:"), totalMissing_);
    dataLayout->addRow(QStringLiteral("Percentage missing:"), percentMissing_);

    comments_ = new QLabel(this);
    comments_->setObjectName(QStringLiteral("comments"));
    comments_->setWordWrap(true);
    comments_->setMinimumHeight(comments_->fontMetrics().lineSpacing() * 3);
    comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    comments_->setStyleSheet(QStringLiteral("color: rgb(170, 0, 0);"));

    defaultMode_ = new QRadioButton(QStringLiteral("Default"), this);
    bestMode_ = new QRadioButton(QStringLiteral("Best Available"), this);
    percentMode_ = new QRadioButton(QStringLiteral("Percentage Missing"), this);
    defaultMode_->setObjectName(QStringLiteral("modeDefault"));
    bestMode_->setObjectName(QStringLiteral("modeBestAvailable"));
    percentMode_->setObjectName(QStringLiteral("modePercentageMissing"));
    connect(defaultMode_, &QRadioButton::clicked, this, [this] {
        timer_.stop();
        Open();
    });
    connect(bestMode_, &QRadioButton::clicked, this, [this] { OnBestAvailable(); });
    connect(percentMode_, &QRadioButton::clicked, this, [this] { OnPercentageMissing(); });
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("missingSlider"));
    sliderLabel_ = new QLabel(this);
    sliderLabel_->setObjectName(QStringLiteral("sliderLabel"));
    sliderLabel_->setMinimumWidth(
        sliderLabel_->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    auto* selection = new QGroupBox(QStringLiteral("Selection"), this);
    auto* selectionLayout = new QVBoxLayout(selection);
    auto* radios = new QHBoxLayout;
    for (QRadioButton* radio : {defaultMode_, bestMode_, percentMode_}) radios->addWidget(radio);
    selectionLayout->addLayout(radios);
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(slider_, 1);
    sliderRow->addWidget(sliderLabel_);
    selectionLayout->addLayout(sliderRow);

    update_ = Button(this, QStringLiteral("Update"), "updateButton");
    calculate_ = Button(this, QStringLiteral("Calculate"), "calculateButton");
    close_ = Button(this, QStringLiteral("Close"), "closeButton");
    help_ = Button(this, QStringLiteral("Help"), "helpButton");
    connect(update_, &QPushButton::clicked, this, [this] { OnUpdate(); });
    connect(calculate_, &QPushButton::clicked, this, [this] { OnCalculate(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this,
            [this] { context_.openHelp(QStringLiteral("breadth.htm")); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {update_, calculate_, close_, help_}) buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(period);
    layout->addWidget(data);
    layout->addWidget(comments_);
    layout->addWidget(selection);
    layout->addLayout(buttons);
}

// Opening, and "Default", which starts over.
void DlgBreadth::Open() {
    mode_ = DefaultMode;
    {
        const QSignalBlocker block(defaultMode_);
        defaultMode_->setChecked(true);
    }
    slider_->setEnabled(false);
    slider_->setSingleStep(1);
    slider_->setPageStep(5);
    slider_->setValue(0);
    sliderLabel_->clear();
    last_ = initialLast_ = context_.clock.Now().YyyyMmDd();
    first_ = TwoYearsBefore(last_);
    ShowPeriod();
    rows_ = context_.readSelection();
    histogram_.emplace(rows_, first_, last_);
    Analyse(AnalysisTrigger::Opening, true);
    slider_->setRange(0, analysis_.counts.percentage);
}

void DlgBreadth::OnFirstDateChanged() {
    first_ = FromQDate(firstDate_->date());
    Analyse(AnalysisTrigger::FirstDateChange, false);
    if (mode_ == PercentageMode) {
        slider_->setValue(analysis_.counts.percentage);
        ShowSliderLabel(analysis_.counts.percentage);
    } else {
        slider_->setValue(0);
        sliderLabel_->clear();
    }
}

void DlgBreadth::OnLastDateChanged() {
    last_ = FromQDate(lastDate_->date());
    Analyse(AnalysisTrigger::LastDateChange, false);
    if (mode_ != PercentageMode) {
        slider_->setValue(0);
        sliderLabel_->clear();
    }
}

void DlgBreadth::OnBestAvailable() {
    mode_ = BestAvailableMode;
    slider_->setEnabled(false);
    timer_.stop();
    if (rows_.empty()) return;
    first_ = bestFirst_;
    last_ = bestLast_;
    ShowPeriod();
    Analyse(AnalysisTrigger::FirstDateChange, false);
    slider_->setValue(0);
    sliderLabel_->clear();
}

void DlgBreadth::OnPercentageMissing() {
    mode_ = PercentageMode;
    slider_->setEnabled(true);
    slider_->setValue(0);
    timer_.start();
}

void DlgBreadth::OnTimer() {
    if (mode_ != PercentageMode || !histogram_) return;
    const int percent = slider_->value();
    ShowSliderLabel(percent);
    const auto cut = histogram_->Cut(percent, analysis_.counts.totalSelected);
    if (!cut) return;
    const std::int32_t first = AddDays(initialLast_, -*cut);
    // The same date again would only repeat the analysis and take the
    // keyboard focus from whatever the user is doing, every second.
    if (first == first_) return;
    first_ = first;
    ShowPeriod();
    Analyse(AnalysisTrigger::FirstDateChange, false);
}

void DlgBreadth::OnUpdate() {
    downloadMissing_(analysis_.missingList, first_, last_);
    std::vector<std::string> selected;
    for (std::string& symbol : SplitSymbolList(analysis_.selectedList))
        if (!symbol.empty()) selected.push_back(std::move(symbol));
    context_.selectSymbols(selected);
    rows_ = context_.readSelection();
    Analyse(AnalysisTrigger::Update, true);
}

void DlgBreadth::OnCalculate() {
    timer_.stop();
    const std::string selected = analysis_.selectedList, missing = analysis_.missingList;
    ProgressWnd progress(context_.store, context_.mainWindow);
    if (RemoveMissing(selected, missing).size() > kProgressThreshold) {
        const QString title = QStringLiteral("Calculating market breadth data ...");
        progress.OpenProgressWindow(this, title, true);
        progress.MakeModal(title, true);
        progress.SetLayout(0, 250);
    }
    const bool updateWas = update_->isEnabled(), calculateWas = calculate_->isEnabled();
    BreadthOutcome outcome;
    {
        const WaitCursor wait;
        update_->setEnabled(false);
        calculate_->setEnabled(false);
        outcome =
            CalculateBreadth({context_.directory, selected, missing, first_, last_},
                             context_.prompt, context_.clock, context_.pump, progress.AsProgress());
    }
    progress.CloseProgressWindow();
    if (outcome == BreadthOutcome::Written) {
        FinishCalculation();
        return;
    }
    // Nothing was calculated: the dialog stays as it was, for another try.
    update_->setEnabled(updateWas);
    calculate_->setEnabled(calculateWas);
    if (mode_ == PercentageMode) timer_.start();
}

void DlgBreadth::FinishCalculation() {
    context_.reloadList();
    calculated_ = true;
    comments_->setText(QString::fromLatin1(kCalculationsCompleted));
    for (QWidget* control :
         std::initializer_list<QWidget*>{update_, calculate_, slider_, defaultMode_, bestMode_,
                                         percentMode_, firstDate_, lastDate_})
        control->setEnabled(false);
    close_->setDefault(true);
    close_->setFocus();
}

void DlgBreadth::Analyse(AnalysisTrigger trigger, bool bestDates) {
    analysis_ = AnalyseAvailability(rows_, first_, last_);
    if (bestDates) {
        bestFirst_ = analysis_.bestFirstDate;
        bestLast_ = analysis_.bestLastDate;
    }
    ShowAnalysis(DialogStateAfter(trigger, analysis_.counts, first_, last_));
}

void DlgBreadth::ShowPeriod() {
    const QSignalBlocker blockFirst(firstDate_), blockLast(lastDate_);
    firstDate_->setDate(ToQDate(first_));
    lastDate_->setDate(ToQDate(last_));
}

void DlgBreadth::ShowAnalysis(const BreadthDialogState& state) {
    const AvailabilityCounts& counts = analysis_.counts;
    totalSelected_->setText(QString::number(counts.totalSelected));
    missingFirst_->setText(QString::number(counts.missingFirst));
    missingLast_->setText(QString::number(counts.missingLast));
    totalMissing_->setText(QString::number(counts.totalMissing));
    percentMissing_->setText(QString::number(counts.percentage) + u'%');
    comments_->setText(QString::fromLatin1(state.comments));
    update_->setEnabled(state.updateEnabled);
    calculate_->setEnabled(state.calculateEnabled);
    QPushButton* next = state.focusOnUpdate ? update_ : calculate_;
    next->setDefault(true);
    // A date being typed keeps the focus; the button still answers Return.
    if (!firstDate_->hasFocus() && !lastDate_->hasFocus()) next->setFocus();
}

void DlgBreadth::ShowSliderLabel(int percent) {
    sliderLabel_->setText(QString::number(percent) + u'%');
}

}  // namespace corvane

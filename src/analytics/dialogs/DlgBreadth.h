#pragma once

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AnalyticsContext.h"
#include "SelectionAnalysis.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace corvane {

// "Market Breadth Calculations": how complete the selected securities are
// over a period, the choice of that period, the download of what is
// missing, and the calculation of the five breadth series.
class DlgBreadth : public QDialog {
public:
    // Opens the download dialog for the missing symbols (" A B") over the
    // period (YYYYMMDD) and returns when it has closed.
    using DownloadMissing =
        std::function<void(const std::string& symbols, std::int32_t first, std::int32_t last)>;

    DlgBreadth(AnalyticsContext context, DownloadMissing downloadMissing,
               QWidget* parent = nullptr);

    std::int32_t FirstDate() const { return first_; }
    std::int32_t LastDate() const { return last_; }
    const Availability& LastAnalysis() const { return analysis_; }
    bool Calculated() const { return calculated_; }
    QTimer& MissingTimer() { return timer_; }

    void OnUpdate();
    void OnCalculate();
    // One tick of the "Percentage Missing" timer.
    void OnTimer();

private:
    enum Mode { DefaultMode = 0, BestAvailableMode = 1, PercentageMode = 2 };

    void BuildControls();
    void Open();
    void OnFirstDateChanged();
    void OnLastDateChanged();
    void OnBestAvailable();
    void OnPercentageMissing();
    void Analyse(AnalysisTrigger trigger, bool bestDates);
    void ShowPeriod();
    void ShowAnalysis(const BreadthDialogState& state);
    void ShowSliderLabel(int percent);
    void FinishCalculation();

    AnalyticsContext context_;
    DownloadMissing downloadMissing_;
    std::vector<SelectionRow> rows_;
    std::int32_t first_ = 0;
    std::int32_t last_ = 0;
    std::int32_t initialLast_ = 0;
    std::int32_t bestFirst_ = 0;
    std::int32_t bestLast_ = 0;
    Mode mode_ = DefaultMode;
    Availability analysis_;
    std::optional<FirstDateHistogram> histogram_;
    bool calculated_ = false;
    QTimer timer_;

    QDateEdit* firstDate_;
    QDateEdit* lastDate_;
    QLabel* totalSelected_;
    QLabel* missingFirst_;
    QLabel* missingLast_;
    QLabel* totalMissing_;
    QLabel* percentMissing_;
    QLabel* comments_;
    QRadioButton* defaultMode_;
    QRadioButton* bestMode_;
    QRadioButton* percentMode_;
    QSlider* slider_;
    QLabel* sliderLabel_;
    QPushButton* update_;
    QPushButton* calculate_;
    QPushButton* close_;
    QPushButton* help_;
};

}  // namespace corvane

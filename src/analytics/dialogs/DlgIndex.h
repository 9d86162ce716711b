#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "AnalyticsContext.h"
#include "GroupIndex.h"
#include "HttpClient.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace corvane {

// What the index calculation needs beyond the selection.
struct IndexServices {
    HttpClient& http;
    std::string quoteUrl;  // answers /d/quotes.csv?f=f6
    std::function<void()> playDownloadSignal;
    int retryPauseMs = 200;  // between tries of a transient failure
};

// "Index": combines the closes of the selected securities into one daily
// index security, equally, capitalization or volume weighted.
class DlgIndex : public QDialog {
public:
    DlgIndex(AnalyticsContext context, IndexServices services, QWidget* parent = nullptr);

    IndexType Type() const;
    const IndexSelection& Selection() const { return selection_; }
    // The outcome of the last Calculate; none before the first.
    std::optional<IndexOutcome> Outcome() const { return outcome_; }

    void OnCalculate();

private:
    AnalyticsContext context_;
    IndexServices services_;
    IndexSelection selection_;
    std::optional<IndexOutcome> outcome_;
    QRadioButton* equal_;
    QRadioButton* capitalization_;
    QRadioButton* volume_;
    QPushButton* calculate_;
    QPushButton* cancel_;
};

}  // namespace corvane

#include "DlgIndex.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "FetchSession.h"
#include "ProgressWnd.h"
#include "WaitCursor.h"

namespace corvane {
namespace {

QLabel* InfoLabel(QWidget* parent, const std::string& text, const char* name) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

DlgIndex::DlgIndex(AnalyticsContext context, IndexServices services, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      services_(std::move(services)),
      selection_(ReadIndexSelection(context_.readSelection())) {
    setWindowTitle(QStringLiteral("Index"));
    setObjectName(QStringLiteral("indexDialog"));
    auto* info = new QGroupBox(QStringLiteral("Selection"), this);
    auto* infoLayout = new QVBoxLayout(info);
    infoLayout->addWidget(InfoLabel(info, selection_.countText, "selectedCount"));
    infoLayout->addWidget(InfoLabel(info, selection_.firstDateText, "firstAvailable"));
    infoLayout->addWidget(InfoLabel(info, selection_.lastDateText, "lastAvailable"));

    equal_ = new QRadioButton(QStringLiteral("Equally weighted"), this);
    capitalization_ = new QRadioButton(QStringLiteral("Capitalization weighted"), this);
    volume_ = new QRadioButton(QStringLiteral("Volume weighted"), this);
    equal_->setObjectName(QStringLiteral("equalWeighted"));
    capitalization_->setObjectName(QStringLiteral("capitalizationWeighted"));
    volume_->setObjectName(QStringLiteral("volumeWeighted"));
    equal_->setChecked(true);
    auto* types = new QGroupBox(QStringLiteral("Index type"), this);
    auto* typesLayout = new QVBoxLayout(types);
    for (QRadioButton* radio : {equal_, capitalization_, volume_}) typesLayout->addWidget(radio);

    calculate_ = new QPushButton(QStringLiteral("Calculate"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    calculate_->setObjectName(QStringLiteral("calculateButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    calculate_->setDefault(true);
    connect(calculate_, &QPushButton::clicked, this, [this] { OnCalculate(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(calculate_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(types);
    layout->addLayout(buttons);
}

IndexType DlgIndex::Type() const {
    if (capitalization_->isChecked()) return IndexType::Capitalization;
    if (volume_->isChecked()) return IndexType::Volume;
    return IndexType::Equal;
}

void DlgIndex::OnCalculate() {
    FetchSession session{services_.http, context_.prompt};
    session.retryPauseMs = services_.retryPauseMs;
    ProgressWnd progress(context_.store, context_.mainWindow);
    const QString title = QStringLiteral("Creating index ... ");
    progress.OpenProgressWindow(this, title, true);
    progress.MakeModal(title, true);
    progress.SetLayout(4, 250);
    IndexOutcome outcome;
    {
        const WaitCursor wait;
        outcome = CalculateIndex({context_.directory, selection_, Type(), services_.quoteUrl},
                                 session, context_.clock, context_.pump, progress.AsProgress());
    }
    progress.CloseProgressWindow();
    outcome_ = outcome;
    switch (outcome) {
        case IndexOutcome::Written:
        case IndexOutcome::Cancelled:
            context_.reloadList();
            if (services_.playDownloadSignal) services_.playDownloadSignal();
            accept();
            return;
        case IndexOutcome::NotADataDirectory:
            accept();
            return;
        default:
            // Nothing was calculated; the message has been shown and the
            // dialog stays open for another choice.
            return;
    }
}

}  // namespace corvane

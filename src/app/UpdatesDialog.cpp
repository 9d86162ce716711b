#include "UpdatesDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "WaitCursor.h"

namespace corvane {

UpdatesDialog::UpdatesDialog(HttpClient& http, const std::string& makerUrl, int versionNumber,
                             Prompt& prompt, std::function<void(const QUrl&)> openUrl,
                             QWidget* parent)
    : QDialog(parent),
      makerUrl_(makerUrl),
      openUrl_(std::move(openUrl)),
      result_(new QLabel(this)),
      details_(new QPushButton(QStringLiteral("Details ..."), this)),
      download_(new QPushButton(QStringLiteral("Download"), this)) {
    setObjectName(QStringLiteral("updatesDialog"));
    setWindowTitle(QStringLiteral("Corvane Updates"));
    result_->setObjectName(QStringLiteral("updateResult"));
    details_->setObjectName(QStringLiteral("detailsButton"));
    download_->setObjectName(QStringLiteral("downloadButton"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(details_, &QPushButton::clicked, this, [this] { Open("/corvane.htm"); });
    connect(download_, &QPushButton::clicked, this,
            [this] { Open("/crv" + offer_->setupCode + "_setup.exe"); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    UpdateAnswer answer;
    {
        const WaitCursor wait;
        answer = AskForUpdate(http, makerUrl_, versionNumber);
    }
    if (!answer.reached)
        (void)prompt.Show(answer.error, "Corvane Error", PromptIcon::None, PromptButtons::Ok);
    offer_ = answer.offer;
    if (offer_)
        result_->setText(
            QStringLiteral("Corvane version %1").arg(QString::fromStdString(offer_->versionText)));
    else if (answer.reached)
        result_->setText(QString::fromLatin1(kNoUpdatesText));
    details_->setEnabled(offer_.has_value());
    download_->setEnabled(offer_.has_value());
    close->setDefault(!offer_);
    download_->setDefault(offer_.has_value());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {details_, download_, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Available updates:"), this));
    layout->addWidget(result_);
    layout->addLayout(buttons);
}

QString UpdatesDialog::ResultText() const {
    return result_->text();
}

void UpdatesDialog::Open(const std::string& path) {
    openUrl_(QUrl(QString::fromStdString(makerUrl_ + path)));
    accept();
}

}  // namespace corvane

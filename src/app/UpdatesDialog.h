#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>
#include <optional>
#include <string>

#include "HttpClient.h"
#include "Prompt.h"
#include "UpdateCheck.h"

class QLabel;
class QPushButton;

namespace corvane {

// "Corvane Updates": asks the maker's server for a newer version while it
// opens, and offers its page and its setup program in the browser.
class UpdatesDialog : public QDialog {
public:
    UpdatesDialog(HttpClient& http, const std::string& makerUrl, int versionNumber, Prompt& prompt,
                  std::function<void(const QUrl&)> openUrl, QWidget* parent = nullptr);

    const std::optional<UpdateOffer>& Offer() const { return offer_; }
    QString ResultText() const;

private:
    void Open(const std::string& path);

    std::string makerUrl_;
    std::function<void(const QUrl&)> openUrl_;
    std::optional<UpdateOffer> offer_;
    QLabel* result_;
    QPushButton* details_;
    QPushButton* download_;
};

}  // namespace corvane

#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

namespace corvane {

// "About Corvane": the program's icon, its version and a link to the maker.
class AboutDialog : public QDialog {
public:
    AboutDialog(const QUrl& makerSite, std::function<void(const QUrl&)> openUrl,
                QWidget* parent = nullptr);
};

}  // namespace corvane

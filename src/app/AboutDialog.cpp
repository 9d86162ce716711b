#include "AboutDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

namespace corvane {

AboutDialog::AboutDialog(const QUrl& makerSite, std::function<void(const QUrl&)> openUrl,
                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Corvane"));
    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    auto* version = new QLabel(QStringLiteral("Corvane, version 1.08.000"), this);
    auto* maker = new QLabel(QStringLiteral("<a href=\"%1\">Halbrook Labs</a>")
                                 .arg(makerSite.toString().toHtmlEscaped()),
                             this);
    maker->setObjectName(QStringLiteral("makerLink"));
    maker->setTextFormat(Qt::RichText);
    connect(maker, &QLabel::linkActivated, this,
            [openUrl](const QString& link) { openUrl(QUrl(link)); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(maker, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace corvane

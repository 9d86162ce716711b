#include "DlgProperties.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "DisplayDate.h"
#include "StoreReader.h"

namespace corvane {

namespace {

const char* PeriodicityName(char letter) {
    switch (letter) {
        case 'D':
        case 'd':
            return "Daily";
        case 'W':
        case 'w':
            return "Weekly";
        default:
            return "Monthly";
    }
}

}  // namespace

DlgProperties::DlgProperties(Prompt& prompt, const std::string& symbol, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlgProperties"));
    setWindowTitle(QStringLiteral("Security Properties"));
    QStringList texts{QStringLiteral("Symbol:"),      QStringLiteral("Name:"),
                      QStringLiteral("FirstDate:"),   QStringLiteral("LastDate:"),
                      QStringLiteral("Periodicity:"), QStringLiteral("Records:")};
    StoreReader reader(prompt);
    std::error_code error;
    if (!symbol.empty() && Succeeded(reader.Open(std::filesystem::current_path(error))) &&
        Succeeded(reader.OpenPriceFileBySymbol(symbol))) {
        texts = {QStringLiteral("Symbol:\t\t") + QString::fromLatin1(symbol),
                 QStringLiteral("Name:\t\t") + QString::fromLatin1(reader.GetName()),
                 QStringLiteral("FirstDate:\t") +
                     QString::fromStdString(FormatDisplayDate(reader.GetFirstDate())),
                 QStringLiteral("LastDate:\t") +
                     QString::fromStdString(FormatDisplayDate(reader.GetLastDate())),
                 QStringLiteral("Periodicity:\t") +
                     QString::fromLatin1(PeriodicityName(reader.GetPeriodicity())),
                 QStringLiteral("Records:\t") + QString::number(reader.GetBarCount())};
        reader.ClosePriceFile();
    }
    reader.Close();
    texts << QStringLiteral("Format:\t\tMetaStock File");

    auto* layout = new QVBoxLayout(this);
    for (const QString& text : texts) {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        lines_.push_back(label);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QStringList DlgProperties::Lines() const {
    QStringList texts;
    for (const QLabel* label : lines_) texts << label->text();
    return texts;
}

}  // namespace corvane

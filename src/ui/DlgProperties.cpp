#include "DlgProperties.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

#include "DisplayDate.h"
#include "StoreReader.h"

namespace corvane {

namespace {

// A letter the list leaves blank reads as monthly here, as it always has.
QString PeriodicityOf(char letter) {
    const std::string text = PeriodicityText(letter);
    return QString::fromStdString(text.empty() ? "Monthly" : text);
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
                 QStringLiteral("Periodicity:\t") + PeriodicityOf(reader.GetPeriodicity()),
                 QStringLiteral("Records:\t") + QString::number(reader.GetBarCount())};
        reader.ClosePriceFile();
    }
    reader.Close();
    texts << QStringLiteral("Format:\t\tMetaStock File");

    // Each line is "label<tabs>value"; a grid keeps the values aligned.
    auto* layout = new QGridLayout(this);
    int row = 0;
    for (const QString& text : texts) {
        auto* label = new QLabel(text.section(u'\t', 0, 0), this);
        auto* value = new QLabel(text.section(u'\t', -1), this);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lines_.push_back({label, value, text});
        layout->addWidget(label, row, 0);
        layout->addWidget(value, row, 1);
        ++row;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, row, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QStringList DlgProperties::Lines() const {
    QStringList texts;
    for (const Line& line : lines_) texts << line.text;
    return texts;
}

}  // namespace corvane

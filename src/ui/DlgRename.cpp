#include "DlgRename.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <filesystem>

#include "CRightListView.h"
#include "DirectoryFiles.h"
#include "Latin1Text.h"
#include "Layout.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TransferText.h"

namespace corvane {

namespace {

std::filesystem::path Current() {
    std::error_code error;
    return std::filesystem::current_path(error);
}

// An edit wide enough for as many of its font's widest Latin-1 characters as
// it takes, so that no symbol or name the store can hold scrolls out of view.
class FieldEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    QSize sizeHint() const override { return QLineEdit::sizeHint().expandedTo(Fitted()); }
    QSize minimumSizeHint() const override {
        return QLineEdit::minimumSizeHint().expandedTo(Fitted());
    }

private:
    QSize Fitted() const {
        const QFontMetrics metrics = fontMetrics();
        int widest = 0;
        for (char16_t c = 0x20; c <= 0xFF; ++c)
            if (c < 0x7F || c > 0x9F)
                widest = std::max(widest, metrics.horizontalAdvance(QChar(c)));
        // QLineEdit keeps a margin of 2 pixels and a cursor beside the text.
        const QMargins margins = textMargins();
        const int text = widest * maxLength() + margins.left() + margins.right() + 2 * 2 + 1;
        QStyleOptionFrame option;
        initStyleOption(&option);
        return {style()
                    ->sizeFromContents(QStyle::CT_LineEdit, &option, {text, metrics.height()}, this)
                    .width(),
                0};
    }
};

}  // namespace

DlgRename::DlgRename(CCorvaneDoc& doc, CRightListView& list, const std::string& symbol,
                     QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      list_(list),
      symbol_(new FieldEdit(this)),
      name_(new FieldEdit(this)) {
    setObjectName(QStringLiteral("dlgRename"));
    setWindowTitle(QStringLiteral("Change properties"));
    symbol_->setObjectName(QStringLiteral("renameSymbol"));
    name_->setObjectName(QStringLiteral("renameName"));
    symbol_->setMaxLength(layout::emaster::kSymbolWidth);
    name_->setMaxLength(layout::master::kNameWidth);
    StoreReader reader(doc_.GetPrompt());
    if (!symbol.empty() && Succeeded(reader.Open(Current())) &&
        Succeeded(reader.OpenPriceFileBySymbol(symbol))) {
        symbol_->setText(QString::fromLatin1(symbol));
        name_->setText(QString::fromLatin1(reader.GetName()));
        formerSymbol_ = symbol;
        // The entry's own field decides how long a name it can hold.
        name_->setMaxLength(reader.CurrentSecurity().extended ? layout::xmaster::kNameWidth
                                                              : layout::master::kNameWidth);
        reader.ClosePriceFile();
    }
    reader.Close();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DlgRename::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Symbol:"), symbol_);
    form->addRow(QStringLiteral("&Name:"), name_);
    form->addRow(buttons);
}

void DlgRename::OnOk() {
    const QString typed = symbol_->text().trimmed() + name_->text().trimmed();
    const auto latin1Symbol = ToLatin1(symbol_->text().trimmed());
    const auto latin1Name = ToLatin1(name_->text().trimmed());
    if (!latin1Symbol || !latin1Name) {
        (void)doc_.GetPrompt().Show(NotLatin1Message(typed), kAppCaption, PromptIcon::Warning,
                                    PromptButtons::Ok);
        return;
    }
    // Symbols are stored in capitals, as the download looks them up.
    const std::string symbol = UpperCase(*latin1Symbol);
    const std::string& name = *latin1Name;
    if (symbol.empty() || name.empty()) {
        (void)doc_.GetPrompt().Show("Please, enter security symbol and name.", kAppCaption,
                                    PromptIcon::None, PromptButtons::Ok);
        return;
    }
    if (formerSymbol_.empty()) return;
    Prompt& prompt = doc_.GetPrompt();
    StoreWriter writer(prompt, doc_.GetClock());
    if (!Succeeded(writer.Open(Current()))) {
        (void)prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                          PromptButtons::Ok);
        return;
    }
    const Result renamed = writer.RenameSecurity(formerSymbol_, name, symbol);
    writer.Close();
    if (!Succeeded(renamed)) {
        if (!writer.LastFailureShown())
            (void)prompt.Show(
                "Security " + formerSymbol_ + " was not renamed: " + writer.LastFailure() + ".",
                kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    list_.RemoveSymbolRows(formerSymbol_);
    formerSymbol_ = symbol;
    StoreReader reader(doc_.GetPrompt());
    if (!Succeeded(reader.Open(Current())) || !Succeeded(reader.OpenPriceFileBySymbol(symbol)))
        return;
    list_.AddSecurityRow(reader.GetSymbol(), reader.GetName(), reader.GetPeriodicity(),
                         reader.GetFirstDate(), reader.GetLastDate());
    reader.Close();
    accept();
}

}  // namespace corvane

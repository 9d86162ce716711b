#include "DlgSaveOption.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Latin1Text.h"

namespace corvane {

DlgSaveOption::DlgSaveOption(SettingsStore& store, Prompt& prompt, const ConversionOptions& options,
                             QWidget* parent)
    : QDialog(parent),
      store_(store),
      prompt_(prompt),
      options_(options),
      name_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("dlgSaveOption"));
    setWindowTitle(QStringLiteral("Custom Conversion Option"));
    name_->setObjectName(QStringLiteral("optionName"));
    name_->setMinimumWidth(240);

    auto* group = new QGroupBox(QStringLiteral("Custom option name"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(name_);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &DlgSaveOption::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DlgSaveOption::OnOk() {
    const auto name = ToLatin1(name_->text());
    if (!name) {
        (void)prompt_.Show("The name of a conversion option takes Latin-1 characters only.",
                           kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    if (!Succeeded(SavePreset(store_, *name, options_))) {
        (void)prompt_.Show("Please enter the name of your conversion option.", kAppCaption,
                           PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    accept();
}

}  // namespace corvane

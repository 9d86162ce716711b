#include "OptionListDlg.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Latin1Text.h"

namespace corvane {

OptionListDlg::OptionListDlg(const SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("optionListDlg"));
    setWindowTitle(QStringLiteral("Preset Conversion Options"));
    list_->setObjectName(QStringLiteral("presetList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Alphabetical as people read it: "alpha" before "Beta".
    QStringList names;
    for (const std::string& name : PresetNames(store_)) names.append(FromLatin1(name));
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    list_->addItems(names);
    if (list_->count() > 0) list_->setCurrentRow(0);

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
    layout->addWidget(list_);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &OptionListDlg::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &OptionListDlg::OnOk);
}

void OptionListDlg::OnOk() {
    if (const QListWidgetItem* item = list_->currentItem()) {
        // The names came from Latin-1 text, so the way back is exact.
        if (const auto name = ToLatin1(item->text())) loaded_ = LoadPreset(store_, *name);
    }
    accept();
}

}  // namespace corvane

#include "DlgNewFolder.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "CLeftTreeView.h"
#include "CRightListView.h"
#include "Prompt.h"
#include "TransferText.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

void Tell(Prompt& prompt, const std::string& text) {
    (void)prompt.Show(text, kAppCaption, PromptIcon::None, PromptButtons::Ok);
}

}  // namespace

DlgNewFolder::DlgNewFolder(Prompt& prompt, CLeftTreeView& tree, CRightListView& list,
                           QWidget* parent)
    : QDialog(parent),
      prompt_(prompt),
      tree_(tree),
      list_(list),
      name_(new QLineEdit(this)),
      parentDirectory_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("dlgNewFolder"));
    setWindowTitle(QStringLiteral("Add New Folder"));
    name_->setObjectName(QStringLiteral("folderName"));
    parentDirectory_->setObjectName(QStringLiteral("parentDirectory"));
    parentDirectory_->setReadOnly(true);
    std::error_code error;
    parentDirectory_->setText(QString::fromStdString(fs::current_path(error).string()));
    parentDirectory_->setMinimumWidth(320);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add = buttons->addButton(QStringLiteral("Add"), QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("addButton"));
    add->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(add, &QPushButton::clicked, this, &DlgNewFolder::OnAdd);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Directory &name:"), name_);
    form->addRow(QStringLiteral("Parent directory:"), parentDirectory_);
    form->addRow(buttons);
}

void DlgNewFolder::OnAdd() {
    const std::string name = name_->text().trimmed().toStdString();
    if (name.empty()) {
        Tell(prompt_, "Enter a new folder name.");
        return;
    }
    const fs::path folder = fs::path(parentDirectory_->text().toStdString()) / name;
    std::error_code error;
    // A name with a separator would reach outside the current folder.
    if (name.find('/') != std::string::npos || name == "." || name == ".." ||
        !fs::create_directory(folder, error)) {
        Tell(prompt_, "Folder was not created.");
        return;
    }
    QTreeWidgetItem* selected = tree_.currentItem();
    QTreeWidgetItem* item = selected ? tree_.AddItemToTreeView(name, selected) : nullptr;
    if (item) {
        selected->setExpanded(true);
        tree_.setCurrentItem(item);
    }
    fs::current_path(folder, error);
    list_.RemoveAllRows();
    accept();
}

}  // namespace corvane

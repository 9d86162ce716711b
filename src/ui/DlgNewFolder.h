#pragma once

#include <QDialog>

class QLineEdit;

namespace corvane {

class CLeftTreeView;
class CRightListView;
class Prompt;

// "Add New Folder": creates a folder in the current directory, selects it in
// the tree and makes it current.
class DlgNewFolder : public QDialog {
public:
    DlgNewFolder(Prompt& prompt, CLeftTreeView& tree, CRightListView& list,
                 QWidget* parent = nullptr);

    void OnAdd();

private:
    Prompt& prompt_;
    CLeftTreeView& tree_;
    CRightListView& list_;
    QLineEdit* name_;
    QLineEdit* parentDirectory_;
};

}  // namespace corvane

#pragma once

#include <QTimer>
#include <QTreeWidget>

#include <string>
#include <vector>

#include "AppSettings.h"
#include "CRightListView.h"
#include "VolumeRoots.h"

namespace corvane {

// The left-hand pane: the machine's volumes and, below them, folders listed
// the first time they are opened. A mouse click on a folder makes it the
// current directory and lists its securities on the right.
class CLeftTreeView : public QTreeWidget {
    Q_OBJECT

public:
    CLeftTreeView(AppSettings& settings, CRightListView& list, QWidget* parent = nullptr);

    // Builds the roots and walks down to `startupDirectory`, which becomes
    // the current directory; then the list fills itself from it.
    void Create(const std::vector<VolumeRoot>& roots, const std::string& startupDirectory);
    // Select folder: current directory, title, and the list of its securities.
    void SelectFolder(QTreeWidgetItem* item);
    // Open folder: lists the folder's subfolders, or collapses them.
    void OpenFolder(QTreeWidgetItem* item);
    // Inserts one folder as the last child of `parent`.
    QTreeWidgetItem* AddItemToTreeView(const std::string& name, QTreeWidgetItem* parent);

    // Shows a folder made elsewhere (with its new parents) under the folders
    // already listed, without listing anything afresh.
    void ShowCreatedFolder(const std::string& folderPath);
    static std::string FolderPath(const QTreeWidgetItem* item);
    // How long the keyboard must rest on a folder before it opens.
    static constexpr int kKeyboardSelectionDelayMs = 400;
    bool HasFocus() const { return focused_; }
    // The item of a folder path, among the items listed so far.
    QTreeWidgetItem* FindItem(const std::string& folderPath) const;

Q_SIGNALS:
    void TitleRequested(const QString& title);
    void FocusChanged(bool focused);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Inserts every subfolder of the item's folder; returns the child named
    // `wanted` when there is one.
    QTreeWidgetItem* ListSubfolders(QTreeWidgetItem* item, const std::string& wanted);
    void MakeCurrent(QTreeWidgetItem* item);
    void ListSecuritiesOf(QTreeWidgetItem* item);
    void RefreshImage(QTreeWidgetItem* item);
    QIcon Image(int index) const;

    AppSettings& settings_;
    CRightListView& list_;
    bool focused_ = false;
    QTimer keyboardSelection_;
};

}  // namespace corvane

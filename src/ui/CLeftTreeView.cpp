#include "CLeftTreeView.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

#include <filesystem>

#include "StoreReader.h"
#include "WaitCursor.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

constexpr int kPathRole = Qt::UserRole;
constexpr int kDriveImageRole = Qt::UserRole + 1;  // -1 for folders
constexpr int kListedRole = Qt::UserRole + 2;

std::vector<std::string> Components(const std::string& directory, const std::string& rootPath) {
    std::vector<std::string> names;
    std::size_t start = rootPath.size();
    while (start <= directory.size()) {
        const std::size_t slash = directory.find('/', start);
        if (slash == std::string::npos) {
            if (start < directory.size()) names.push_back(directory.substr(start));
            break;
        }
        names.push_back(directory.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

bool SetCurrentDirectory(const std::string& path) {
    std::error_code error;
    fs::current_path(path, error);
    return !error;
}

}  // namespace

CLeftTreeView::CLeftTreeView(AppSettings& settings, CRightListView& list, QWidget* parent)
    : QTreeWidget(parent), settings_(settings), list_(list) {
    setObjectName(QStringLiteral("directoryTree"));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { SelectFolder(item); });
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenFolder(item); });
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { RefreshImage(item); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { RefreshImage(item); });
    keyboardSelection_.setSingleShot(true);
    keyboardSelection_.setInterval(kKeyboardSelectionDelayMs);
    connect(&keyboardSelection_, &QTimer::timeout, this, [this] { SelectFolder(currentItem()); });
}

QIcon CLeftTreeView::Image(int index) const {
    switch (index) {
        case kOpenFolderImage:
            return style()->standardIcon(QStyle::SP_DirOpenIcon);
        case kDiscImage:
            return style()->standardIcon(QStyle::SP_DriveCDIcon);
        case kHardDiskImage:
            return style()->standardIcon(QStyle::SP_DriveHDIcon);
        default:
            return style()->standardIcon(QStyle::SP_DirClosedIcon);
    }
}

void CLeftTreeView::Create(const std::vector<VolumeRoot>& roots,
                           const std::string& startupDirectory) {
    clear();
    for (const VolumeRoot& root : roots) {
        auto* item = new QTreeWidgetItem(this, {QString::fromStdString(root.text)});
        item->setIcon(0, Image(root.image));
        item->setData(0, kPathRole, QString::fromStdString(root.path));
        item->setData(0, kDriveImageRole, root.image);
    }
    const int rootIndex = RootOf(roots, startupDirectory);
    if (rootIndex < 0) return;
    QTreeWidgetItem* current = topLevelItem(rootIndex);
    std::vector<std::string> components =
        Components(startupDirectory, roots[static_cast<std::size_t>(rootIndex)].path);
    std::size_t matched = 0;
    SetCurrentDirectory(FolderPath(current));
    while (current) {
        setCurrentItem(current);
        scrollToItem(current->parent() ? current->parent() : current, PositionAtTop);
        const std::string wanted =
            matched < components.size() ? components[matched] : std::string();
        QTreeWidgetItem* next = ListSubfolders(current, wanted);
        current->setExpanded(true);
        if (next) {
            ++matched;
            SetCurrentDirectory(FolderPath(next));
        }
        current = next;
    }
    list_.InitialUpdate();
}

QTreeWidgetItem* CLeftTreeView::ListSubfolders(QTreeWidgetItem* item, const std::string& wanted) {
    item->setData(0, kListedRole, true);
    QTreeWidgetItem* match = nullptr;
    std::error_code error;
    for (fs::directory_iterator entry(FolderPath(item), error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code typeError;
        if (!entry->is_directory(typeError)) continue;
        const std::string name = entry->path().filename().string();
        QTreeWidgetItem* child = AddItemToTreeView(name, item);
        if (child && !match && !wanted.empty() && name == wanted) match = child;
    }
    return match;
}

QTreeWidgetItem* CLeftTreeView::AddItemToTreeView(const std::string& name,
                                                  QTreeWidgetItem* parent) {
    if (!parent) return nullptr;
    auto* item = new QTreeWidgetItem(parent, {QString::fromStdString(name)});
    item->setIcon(0, Image(kClosedFolderImage));
    item->setData(0, kPathRole, QString::fromStdString(FolderPath(parent) + name + "/"));
    item->setData(0, kDriveImageRole, -1);
    return item;
}

std::string CLeftTreeView::FolderPath(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPathRole).toString().toStdString() : std::string();
}

QTreeWidgetItem* CLeftTreeView::FindItem(const std::string& folderPath) const {
    for (QTreeWidgetItemIterator it(const_cast<CLeftTreeView*>(this)); *it; ++it)
        if (FolderPath(*it) == folderPath) return *it;
    return nullptr;
}

void CLeftTreeView::MakeCurrent(QTreeWidgetItem* item) {
    setCurrentItem(item);
    scrollToItem(item);
    SetCurrentDirectory(FolderPath(item));
    Q_EMIT TitleRequested(QStringLiteral("Corvane [") + item->text(0) + u']');
}

void CLeftTreeView::ListSecuritiesOf(QTreeWidgetItem* item) {
    const std::string path = FolderPath(item);
    std::error_code error;
    if (!fs::is_directory(path, error) || !StoreReader::IsDataDirectory(path)) return;
    WaitCursor wait;
    settings_.lastDirectory = path;
    list_.ListDirectory();
    list_.ClearSortMarks();
}

void CLeftTreeView::SelectFolder(QTreeWidgetItem* item) {
    if (!item) return;
    MakeCurrent(item);
    list_.RemoveAllRows();
    list_.ShowSecurities();
    ListSecuritiesOf(item);
}

void CLeftTreeView::OpenFolder(QTreeWidgetItem* item) {
    if (!item) return;
    setCurrentItem(item);
    scrollToItem(item);
    if (item->isExpanded()) {
        item->setExpanded(false);
        qDeleteAll(item->takeChildren());
        item->setData(0, kListedRole, false);
        RefreshImage(item);
        return;
    }
    if (item->data(0, kListedRole).toBool()) {
        item->setExpanded(true);
        return;
    }
    MakeCurrent(item);
    list_.RemoveAllRows();
    ListSubfolders(item, {});
    item->setExpanded(true);
    ListSecuritiesOf(item);
}

void CLeftTreeView::RefreshImage(QTreeWidgetItem* item) {
    const int driveImage = item->data(0, kDriveImageRole).toInt();
    if (driveImage >= 0) return;
    item->setIcon(0, Image(item->isExpanded() ? kOpenFolderImage : kClosedFolderImage));
}

void CLeftTreeView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    focused_ = true;
    Q_EMIT FocusChanged(true);
}

void CLeftTreeView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    // A menu opening takes the focus for a moment; the commands it offers
    // are for the pane that had it before.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason) return;
    focused_ = false;
    Q_EMIT FocusChanged(false);
}

void CLeftTreeView::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    // As in file managers, the folder reached with the keys opens once they
    // rest, so repeating arrows do not list every folder on the way.
    if (currentItem() != before) keyboardSelection_.start();
}

void CLeftTreeView::ShowCreatedFolder(const std::string& folderPath) {
    std::string path = folderPath;
    if (!path.empty() && path.back() != '/') path += '/';
    QTreeWidgetItem* parent = nullptr;
    // Walk down from the deepest folder listed so far that holds the path.
    for (std::size_t end = path.find('/'); end != std::string::npos;
         end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end + 1);
        if (QTreeWidgetItem* item = FindItem(prefix)) {
            parent = item;
            continue;
        }
        if (!parent || !parent->data(0, kListedRole).toBool()) return;
        const std::string name =
            prefix.substr(FolderPath(parent).size(), prefix.size() - FolderPath(parent).size() - 1);
        parent = AddItemToTreeView(name, parent);
        parent->setData(0, kListedRole, true);
    }
}

}  // namespace corvane

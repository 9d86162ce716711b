#include "DlgList.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "DirectoryFiles.h"
#include "Prompt.h"
#include "SortMark.h"
#include "TransferText.h"
#include "WaitCursor.h"

namespace corvane {

namespace {

QString Latin(const std::string& text) {
    return QString::fromLatin1(text);
}

std::string Trimmed(const QString& text) {
    return text.trimmed().toLatin1().toStdString();
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return UpperCase(text).starts_with(UpperCase(prefix));
}

}  // namespace

DlgList::DlgList(Prompt& prompt, const std::filesystem::path& database,
                 const std::vector<std::filesystem::path>& customLists,
                 std::function<void(const QString&)> openHelp, QWidget* parent)
    : QDialog(parent),
      prompt_(prompt),
      database_(SymbolDatabase::Load(database)),
      types_(new QComboBox(this)),
      groups_(new QComboBox(this)),
      entries_(new QTreeWidget(this)),
      search_(new QLineEdit(this)),
      byName_(new QRadioButton(QStringLiteral("&Name"), this)),
      bySymbol_(new QRadioButton(QStringLiteral("S&ymbol"), this)) {
    setObjectName(QStringLiteral("dlgList"));
    setWindowTitle(QStringLiteral("Listed Securities"));
    types_->setObjectName(QStringLiteral("typeList"));
    groups_->setObjectName(QStringLiteral("groupList"));
    groups_->setMinimumContentsLength(28);
    search_->setObjectName(QStringLiteral("searchText"));
    byName_->setObjectName(QStringLiteral("searchByName"));
    bySymbol_->setObjectName(QStringLiteral("searchBySymbol"));
    byName_->setChecked(true);
    entries_->setObjectName(QStringLiteral("entryList"));
    entries_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Symbol")});
    entries_->setColumnWidth(0, 180);
    entries_->setColumnWidth(1, 80);
    entries_->setRootIsDecorated(false);
    entries_->setUniformRowHeights(true);
    entries_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    entries_->setSelectionBehavior(QAbstractItemView::SelectRows);
    entries_->header()->setSectionsClickable(true);
    entries_->setMinimumSize(300, 320);

    if (!database_)
        (void)prompt_.Show("The symbol database " + database.string() +
                               " cannot be read; only the customized lists can be shown.",
                           kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
    BuildTypes(customLists);

    auto* selectAll = new QPushButton(QStringLiteral("Select &All"), this);
    auto* deselectAll = new QPushButton(QStringLiteral("&Deselect All"), this);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Help)->setEnabled(static_cast<bool>(openHelp));

    auto* choice = new QFormLayout;
    choice->addRow(QStringLiteral("&Type:"), types_);
    choice->addRow(QStringLiteral("&Group:"), groups_);
    choice->addRow(QStringLiteral("&Search:"), search_);
    auto* modes = new QHBoxLayout;
    modes->addWidget(byName_);
    modes->addWidget(bySymbol_);
    modes->addStretch();
    choice->addRow(QStringLiteral("Search by:"), modes);
    auto* selection = new QHBoxLayout;
    selection->addWidget(selectAll);
    selection->addWidget(deselectAll);
    selection->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(entries_);
    layout->addLayout(selection);
    layout->addWidget(buttons);

    connect(types_, &QComboBox::currentIndexChanged, this, [this] { OnTypeChanged(); });
    connect(groups_, &QComboBox::currentIndexChanged, this, [this] { Fill(); });
    connect(search_, &QLineEdit::textChanged, this, [this] { Fill(); });
    connect(byName_, &QRadioButton::clicked, this, [this] { SetSearchMode(0); });
    connect(bySymbol_, &QRadioButton::clicked, this, [this] { SetSearchMode(1); });
    connect(entries_->header(), &QHeaderView::sectionClicked, this, &DlgList::SortByColumn);
    connect(selectAll, &QPushButton::clicked, entries_, &QTreeWidget::selectAll);
    connect(deselectAll, &QPushButton::clicked, entries_, &QTreeWidget::clearSelection);
    connect(buttons, &QDialogButtonBox::accepted, this, &DlgList::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [openHelp] { openHelp(QStringLiteral("lists.htm")); });
    OnTypeChanged();
}

void DlgList::BuildTypes(const std::vector<std::filesystem::path>& customLists) {
    typeTable_ = {{QStringLiteral("Exchanges"), Kind::Exchange},
                  {QStringLiteral("FOREX"), Kind::Forex},
                  {QStringLiteral("Sectors:"), Kind::Heading}};
    const std::vector<std::string> sectors =
        database_ ? database_->Sectors() : std::vector<std::string>{};
    for (int sector = 1; sector <= kSectorCount; ++sector) {
        const std::size_t index = static_cast<std::size_t>(sector - 1);
        typeTable_.push_back(
            {QStringLiteral("  ") + (index < sectors.size() ? Latin(sectors[index]) : QString()),
             Kind::Sector, sector});
    }
    typeTable_.push_back({QStringLiteral("Indices:"), Kind::Heading});
    typeTable_.push_back({QStringLiteral("  US Markets"), Kind::UsIndex});
    typeTable_.push_back({QStringLiteral("  World Markets"), Kind::WorldIndex});
    typeTable_.push_back({QStringLiteral("ETFs:"), Kind::Heading});
    typeTable_.push_back({QStringLiteral("  US Markets"), Kind::UsEtf});
    typeTable_.push_back({QStringLiteral("  World Markets"), Kind::WorldEtf});
    typeTable_.push_back({QStringLiteral("Customized Lists:"), Kind::Heading});
    for (const std::filesystem::path& list : customLists)
        typeTable_.push_back(
            {QStringLiteral("  ") + QString::fromStdString(list.filename().string()), Kind::Custom,
             0, list});
    const QSignalBlocker block(types_);
    for (const Type& type : typeTable_) types_->addItem(type.text);
    types_->setCurrentIndex(0);
}

void DlgList::OnTypeChanged() {
    const Type& type = typeTable_[static_cast<std::size_t>(std::max(0, types_->currentIndex()))];
    std::vector<std::string> names;
    const bool haveDatabase = database_.has_value();
    switch (type.kind) {
        case Kind::Exchange:
            if (haveDatabase) names = database_->Exchanges();
            break;
        case Kind::Forex:
            names = {"All"};
            break;
        case Kind::Heading:
            names = {type.text == QStringLiteral("Sectors:")            ? "Select sector ..."
                     : type.text == QStringLiteral("Customized Lists:") ? "Select list ..."
                                                                        : "Select market ..."};
            break;
        case Kind::Sector:
            names = {"All"};
            if (haveDatabase)
                for (const std::string& industry : database_->Industries(type.sector))
                    names.push_back(industry);
            break;
        case Kind::UsIndex:
            if (haveDatabase) names = database_->UsIndexGroups();
            break;
        case Kind::WorldIndex:
            if (haveDatabase) names = database_->WorldIndexGroups();
            break;
        case Kind::UsEtf:
            if (haveDatabase) names = database_->UsEtfGroups();
            break;
        case Kind::WorldEtf:
            if (haveDatabase) names = database_->WorldEtfGroups();
            break;
        case Kind::Custom:
            break;
    }
    {
        const QSignalBlocker block(groups_);
        groups_->clear();
        for (const std::string& name : names) groups_->addItem(Latin(name));
        groups_->setCurrentIndex(names.empty() ? -1 : 0);
    }
    Fill();
}

std::vector<ListEntry> DlgList::CurrentEntries() const {
    const Type& type = typeTable_[static_cast<std::size_t>(std::max(0, types_->currentIndex()))];
    const int g = std::max(0, groups_->currentIndex());
    if (type.kind == Kind::Custom) return ReadCustomList(type.list);
    if (!database_) return {};
    auto section = [this](const char* prefix, int number) {
        return database_->Section(std::string("[") + prefix + std::to_string(number) + "]");
    };
    switch (type.kind) {
        case Kind::Exchange:
            return section("Market", g + 1);
        case Kind::Forex:
            return database_->Section("[FOREX]");
        case Kind::Sector:
            return g == 0 ? database_->SectorEntries(type.sector)
                          : section("Industry", kSectorFirstIndustry[type.sector - 1] + g - 1);
        case Kind::UsIndex:
            return section("Index", g + 1);
        case Kind::WorldIndex:
            return section("Index", g + kUsIndexGroups + 1);
        case Kind::UsEtf:
            return section("ETF", g + 1);
        case Kind::WorldEtf:
            return section("ETF", g + kUsEtfGroups + 1);
        default:
            return {};
    }
}

void DlgList::Fill() {
    WaitCursor wait;
    entries_->clear();
    const std::string search = Trimmed(search_->text());
    QList<QTreeWidgetItem*> rows;
    for (const ListEntry& entry : CurrentEntries()) {
        if (!search.empty() && !StartsWithNoCase(mode_ == 0 ? entry.name : entry.symbol, search))
            continue;
        rows.push_back(new QTreeWidgetItem({Latin(entry.name), Latin(entry.symbol)}));
    }
    entries_->addTopLevelItems(rows);
    entries_->header()->setSortIndicatorShown(false);
}

void DlgList::SetSearchMode(int mode) {
    mode_ = mode;
    (mode == 0 ? byName_ : bySymbol_)->setChecked(true);
    Fill();
    sortColumn_ = -1;
    SortByColumn(mode);
}

void DlgList::SortByColumn(int column) {
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    const Qt::SortOrder order = ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
    entries_->sortItems(column, order);
    ShowSortMark(*entries_->header(), column, ascending_);
}

void DlgList::OnOk() {
    pickedSymbols_.clear();
    pickedNames_.clear();
    for (int row = 0; row < entries_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = entries_->topLevelItem(row);
        if (!item->isSelected()) continue;
        pickedSymbols_ += Trimmed(item->text(1)) + " ";
        pickedNames_ += Trimmed(item->text(0)) + ",";
    }
    if (pickedSymbols_.empty())
        (void)prompt_.Show("No selection has been made.", kAppCaption, PromptIcon::None,
                           PromptButtons::Ok);
    accept();
}

}  // namespace corvane

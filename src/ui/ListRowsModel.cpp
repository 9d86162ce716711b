#include "ListRowsModel.h"

#include <algorithm>
#include <numeric>

#include "DisplayDate.h"

namespace corvane {

namespace {

const char* const kSecurityTitles[] = {"Symbol", "Name", "Periodicity", "FirstDate", "LastDate"};
const char* const kPriceTitles[] = {"Date", "Open", "High", "Low", "Close", "Volume"};

}  // namespace

ListRowsModel::ListRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListRowsModel::SetKind(Kind kind) {
    beginResetModel();
    kind_ = kind;
    rows_.clear();
    endResetModel();
}

void ListRowsModel::SetIcons(const QIcon& security, const QIcon& cutSecurity) {
    securityIcon_ = security;
    cutIcon_ = cutSecurity;
}

void ListRowsModel::AppendRows(std::vector<Row> rows) {
    if (rows.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (Row& row : rows) {
        row.cells.resize(static_cast<std::size_t>(columnCount()));
        rows_.push_back(std::move(row));
    }
    endInsertRows();
}

void ListRowsModel::Clear() {
    if (rows_.empty()) return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void ListRowsModel::RemoveRowList(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom up, one removal per run of adjacent rows, so that
    // deleting a whole selection is not one shift of the table per row.
    for (std::size_t i = 0; i < rows.size();) {
        const int last = rows[i];
        int first = last;
        while (++i < rows.size() && rows[i] == first - 1) first = rows[i];
        if (first < 0 || last >= rowCount()) continue;
        beginRemoveRows({}, first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
    }
}

const std::string& ListRowsModel::Cell(int row, int column) const {
    return rows_.at(static_cast<std::size_t>(row)).cells.at(static_cast<std::size_t>(column));
}

void ListRowsModel::SetCut(int row, bool cut) {
    rows_.at(static_cast<std::size_t>(row)).cut = cut;
    const QModelIndex cell = index(row, SymbolColumn);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole, kCutRole});
}

bool ListRowsModel::IsDateColumn(int column) const {
    if (kind_ == Kind::Prices) return column == 0;
    return column == FirstDateColumn || column == LastDateColumn;
}

void ListRowsModel::SortBy(int column, bool ascending) {
    if (column < 0 || column >= columnCount()) return;
    std::vector<std::string> keys;
    keys.reserve(rows_.size());
    for (const Row& row : rows_)
        keys.push_back(IsDateColumn(column) ? DateSortKey(row.cells[column]) : row.cells[column]);
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(rows_.size());
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newPosition[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.push_back(index(newPosition[old.row()], old.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListRowsModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return kind_ == Kind::Securities ? static_cast<int>(std::size(kSecurityTitles))
                                     : static_cast<int>(std::size(kPriceTitles));
}

QVariant ListRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            // Stored names are single bytes of whatever code page wrote them.
            return QString::fromLatin1(row.cells[static_cast<std::size_t>(index.column())]);
        case Qt::DecorationRole:
            if (index.column() != SymbolColumn || kind_ != Kind::Securities) return {};
            return row.cut ? cutIcon_ : securityIcon_;
        case kCutRole:
            return row.cut;
        default:
            return {};
    }
}

QVariant ListRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return QString::fromLatin1(kind_ == Kind::Securities ? kSecurityTitles[section]
                                                         : kPriceTitles[section]);
}

}  // namespace corvane

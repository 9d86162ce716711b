#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <string>
#include <vector>

namespace corvane {

// The rows of the security list: the securities of a directory, or the bars
// of one security. Cells keep the bytes they were given; sorting compares
// them byte by byte, or by their date key in the date columns.
class ListRowsModel : public QAbstractTableModel {
public:
    enum class Kind { Securities, Prices };
    enum Column {
        SymbolColumn = 0,
        NameColumn,
        PeriodicityColumn,
        FirstDateColumn,
        LastDateColumn
    };
    static constexpr int kCutRole = Qt::UserRole + 1;

    struct Row {
        std::vector<std::string> cells;
        bool cut = false;
    };

    explicit ListRowsModel(QObject* parent = nullptr);

    Kind GetKind() const { return kind_; }
    // Switches the columns; every row is removed.
    void SetKind(Kind kind);
    void SetIcons(const QIcon& security, const QIcon& cutSecurity);

    void AppendRows(std::vector<Row> rows);
    void Clear();
    // Removes the given rows (any order, duplicates allowed).
    void RemoveRowList(std::vector<int> rows);
    const std::string& Cell(int row, int column) const;
    void SetCut(int row, bool cut);
    bool IsDateColumn(int column) const;
    void SortBy(int column, bool ascending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Kind kind_ = Kind::Securities;
    std::vector<Row> rows_;
    QIcon securityIcon_;
    QIcon cutIcon_;
};

}  // namespace corvane

#include "ListSelection.h"

#include "CRightListView.h"

namespace corvane {

std::vector<SelectionRow> ReadListSelection(const CRightListView& list) {
    std::vector<SelectionRow> rows;
    if (list.IsPriceView()) return rows;
    const ListRowsModel& model = list.Model();
    for (int row : list.SelectedRows())
        rows.push_back(
            {model.Cell(row, ListRowsModel::SymbolColumn),
             ParseDisplayDate(model.Cell(row, ListRowsModel::FirstDateColumn)).value_or(0),
             ParseDisplayDate(model.Cell(row, ListRowsModel::LastDateColumn)).value_or(0)});
    return rows;
}

}  // namespace corvane

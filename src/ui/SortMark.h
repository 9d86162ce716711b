#pragma once

class QHeaderView;

namespace corvane {

// Shows the sort mark on `column` of a header: up for an ascending sort,
// down for a descending one, whatever the style draws for Qt's own sort
// orders (the header view asks an ascending sort for the style's "down"
// mark, which most styles draw pointing down).
void ShowSortMark(QHeaderView& header, int column, bool ascending);

}  // namespace corvane

#pragma once

#include <vector>

#include "SelectionAnalysis.h"

namespace corvane {

class CRightListView;

// The selected rows of the security list in list order, with the dates the
// list shows; a date cell that is no date reads as 0.
std::vector<SelectionRow> ReadListSelection(const CRightListView& list);

}  // namespace corvane

#pragma once

#include <QDialog>

#include <string>

#include "CCorvaneDoc.h"

class QLineEdit;

namespace corvane {

class CRightListView;

// "Change properties": a new symbol and name for one security of the
// current directory.
class DlgRename : public QDialog {
public:
    DlgRename(CCorvaneDoc& doc, CRightListView& list, const std::string& symbol,
              QWidget* parent = nullptr);

    void OnOk();

private:
    CCorvaneDoc& doc_;
    CRightListView& list_;
    std::string formerSymbol_;
    QLineEdit* symbol_;
    QLineEdit* name_;
};

}  // namespace corvane

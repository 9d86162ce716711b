#pragma once

#include <QDialog>

#include <filesystem>

class QTreeWidget;

namespace corvane {

// "Last Download Report": the lines of report.txt, the last security first.
class DlgReport : public QDialog {
public:
    explicit DlgReport(const std::filesystem::path& reportPath, QWidget* parent = nullptr);

    QTreeWidget& Rows() const { return *rows_; }
    void SortByColumn(int column);

private:
    QTreeWidget* rows_;
    int sortColumn_ = -1;
    bool ascending_ = true;
};

}  // namespace corvane

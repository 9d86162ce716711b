#include "DlgReport.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "DownloadReport.h"
#include "SortMark.h"

namespace corvane {

DlgReport::DlgReport(const std::filesystem::path& reportPath, QWidget* parent)
    : QDialog(parent), rows_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("dlgReport"));
    QString title = QStringLiteral("Last Download Report");
    rows_->setObjectName(QStringLiteral("reportRows"));
    rows_->setHeaderLabels(
        {QStringLiteral("Records"), QStringLiteral("Symbol"), QStringLiteral("Status")});
    rows_->setRootIsDecorated(false);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setColumnWidth(0, 80);
    rows_->setColumnWidth(1, 80);
    rows_->setColumnWidth(2, 120);
    rows_->header()->setSectionsClickable(true);
    connect(rows_->header(), &QHeaderView::sectionClicked, this, &DlgReport::SortByColumn);
    const QIcon failed = style()->standardIcon(QStyle::SP_DialogCancelButton);
    const QIcon succeeded = style()->standardIcon(QStyle::SP_DialogApplyButton);

    if (const std::optional<ReportContents> report = ReadReport(reportPath)) {
        title += QStringLiteral(" - ") + QString::fromStdString(report->runDate);
        for (const ReportEntry& entry : report->entries) {
            const bool success = entry.result > 0;
            QString status = entry.result == kResultNotStored
                                 ? QStringLiteral("Not stored: a write failed")
                             : entry.result == -1 ? QStringLiteral("Invalid symbol")
                             : entry.result == 0  ? QStringLiteral("No new data available")
                                                  : QStringLiteral("Success");
            if (!entry.note.empty())
                status +=
                    QStringLiteral(" (") + QString::fromLatin1(entry.note) + QStringLiteral(")");
            auto* row =
                new QTreeWidgetItem({success ? QString::number(entry.result) : QStringLiteral("0"),
                                     QString::fromLatin1(entry.symbol), status});
            row->setIcon(0, success ? succeeded : failed);
            rows_->insertTopLevelItem(0, row);
        }
    }
    setWindowTitle(title);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rows_);
    layout->addWidget(buttons);
    resize(340, 360);
}

void DlgReport::SortByColumn(int column) {
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    const Qt::SortOrder order = ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
    rows_->sortItems(column, order);
    ShowSortMark(*rows_->header(), column, ascending_);
}

}  // namespace corvane

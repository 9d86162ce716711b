#pragma once

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "AppSettings.h"
#include "CCorvaneDoc.h"
#include "ListRowsModel.h"

class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QTreeView;

namespace corvane {

// The right-hand pane: the securities of the current directory, or the bars
// of one of them. Every action on the store works on the process's current
// directory and opens it for that action only.
class CRightListView : public QWidget {
    Q_OBJECT

public:
    enum ViewMode { LargeIcons = 0, Details = 1, SmallIcons = 2, List = 3 };

    CRightListView(CCorvaneDoc& doc, AppSettings& settings, QWidget* parent = nullptr);

    // Empties the clipboard and lists the current directory.
    void InitialUpdate();
    void AddSecurityRow(const std::string& symbol, const std::string& name, char periodicity,
                        std::int32_t firstDate, std::int32_t lastDate);
    void ReloadSecurityList();
    // Appends a row per entry of the current directory, in store order.
    void ListDirectory();
    void RemoveAllRows();
    // Removes the rows whose symbol is exactly `symbol`.
    void RemoveSymbolRows(const std::string& symbol);

    void SortByColumn(int column);
    void ClearSortMarks();
    void DeleteSelected();
    void Copy() { PutOnClipboard(false); }
    void Cut() { PutOnClipboard(true); }
    void Paste();
    void SelectAll();
    void ShowPrices();
    void ShowSecurities();
    void SetViewMode(int mode);

    int GetViewMode() const { return viewMode_; }
    bool IsPriceView() const { return model_->GetKind() == ListRowsModel::Kind::Prices; }
    bool HasRows() const { return model_->rowCount() > 0; }
    bool HasSelection() const;
    // Symbols of the selected rows in list order.
    std::vector<std::string> SelectedSymbols() const;
    // Indexes of the selected rows, ascending.
    std::vector<int> SelectedRows() const;
    // Adds to the selection every row whose symbol is exactly one of `symbols`.
    void SelectSymbols(const std::vector<std::string>& symbols);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return ascending_; }
    ListRowsModel& Model() const { return *model_; }
    QTreeView& DetailsView() const { return *details_; }
    QListView& IconView() const { return *icons_; }

Q_SIGNALS:
    // Rows, selection or view changed: command availability may change.
    void StateChanged();
    void TitleRequested(const QString& title);
    // What is wrong with the index files of the directory listed; empty when
    // nothing is, or when no data directory is listed.
    void DamageFound(const QString& damage);
    void ContextMenuRequested(const QPoint& globalPosition);

private:
    class SymbolDelegate;

    // Sizes the items and the symbol column for the widest symbol among the
    // rows first to last and, unless afresh, those measured before.
    void FitSymbols(int first, int last, bool afresh = false);
    void PutOnClipboard(bool cut);
    void ClearCutMarks();
    void ShowKind(ListRowsModel::Kind kind);
    void ApplyViewMode();
    void AppendPriceRows(const std::string& symbol);

    CCorvaneDoc& doc_;
    AppSettings& settings_;
    ListRowsModel* model_;
    QItemSelectionModel* selection_;
    QTreeView* details_;
    QListView* icons_;
    QStackedLayout* stack_;
    SymbolDelegate* symbolDelegate_;
    int viewMode_ = Details;
    int savedViewMode_ = Details;
    int sortColumn_ = -1;
    bool ascending_ = true;
};

}  // namespace corvane

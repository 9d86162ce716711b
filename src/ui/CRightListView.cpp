#include "CRightListView.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListView>
#include <QStackedLayout>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

#include "DisplayDate.h"
#include "SortMark.h"
#include "StoreCheck.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TransferText.h"
#include "WaitCursor.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

fs::path CurrentDirectory() {
    std::error_code error;
    return fs::current_path(error);
}

ListRowsModel::Row SecurityRow(const std::string& symbol, const std::string& name, char periodicity,
                               std::int32_t firstDate, std::int32_t lastDate) {
    return {{symbol, name, PeriodicityText(periodicity), FormatDisplayDate(firstDate),
             FormatDisplayDate(lastDate)}};
}

// Removes the list rows of securities a paste replaced and adds the new ones.
class ListPasteListener : public PasteListener {
public:
    explicit ListPasteListener(CRightListView& list) : list_(list) {}
    void RemoveRow(const std::string& symbol) override { list_.RemoveSymbolRows(symbol); }
    void AddRow(const SecurityRecord& s) override {
        list_.AddSecurityRow(s.symbol, s.name, s.periodicity, s.firstDate, s.lastDate);
    }

private:
    CRightListView& list_;
};

void SetUpRowView(QAbstractItemView& view) {
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setContextMenuPolicy(Qt::CustomContextMenu);
}

}  // namespace

// Sizes a symbol item as if it held the widest symbol of the list. The icon
// views give every item the size of one of them, and the symbol column is
// sized from a few rows only; either way no symbol may be cut short.
class CRightListView::SymbolDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Empty: every item as its own text needs. False when it was so already.
    bool SetWidest(const QString& symbol) {
        if (symbol == widest_) return false;
        widest_ = symbol;
        Q_EMIT sizeHintChanged({});
        return true;
    }
    const QString& Widest() const { return widest_; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize own = QStyledItemDelegate::sizeHint(option, index);
        if (widest_.isEmpty() || index.column() != ListRowsModel::SymbolColumn) return own;
        QStyleOptionViewItem widest(option);
        initStyleOption(&widest, index);
        widest.text = widest_;
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        return own.expandedTo(
            style->sizeFromContents(QStyle::CT_ItemViewItem, &widest, QSize(), widget));
    }

private:
    QString widest_;
};

CRightListView::CRightListView(CCorvaneDoc& doc, AppSettings& settings, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      settings_(settings),
      model_(new ListRowsModel(this)),
      selection_(new QItemSelectionModel(model_, this)),
      details_(new QTreeView(this)),
      icons_(new QListView(this)),
      stack_(new QStackedLayout(this)),
      symbolDelegate_(new SymbolDelegate(this)) {
    const QIcon security = style()->standardIcon(QStyle::SP_FileIcon);
    QIcon dimmed;
    for (int size : {16, 32}) dimmed.addPixmap(security.pixmap(size, QIcon::Disabled));
    model_->SetIcons(security, dimmed);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
        view->setModel(model_);
        view->setSelectionModel(selection_);
        SetUpRowView(*view);
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { ShowPrices(); });
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            if (HasSelection()) Q_EMIT ContextMenuRequested(view->viewport()->mapToGlobal(at));
        });
        stack_->addWidget(view);
    }
    details_->setObjectName(QStringLiteral("securityDetails"));
    icons_->setObjectName(QStringLiteral("securityIcons"));
    details_->setRootIsDecorated(false);
    details_->setUniformRowHeights(true);
    details_->setItemsExpandable(false);
    details_->setAllColumnsShowFocus(true);
    details_->header()->setSectionsClickable(true);
    details_->header()->setSortIndicatorShown(false);
    details_->header()->setStretchLastSection(false);
    connect(details_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortByColumn(column); });
    icons_->setUniformItemSizes(true);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setItemDelegate(symbolDelegate_);
    details_->setItemDelegateForColumn(ListRowsModel::SymbolColumn, symbolDelegate_);

    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            [this] { Q_EMIT StateChanged(); });
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                FitSymbols(first, last);
                Q_EMIT StateChanged();
            });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        FitSymbols(0, model_->rowCount() - 1, true);
        Q_EMIT StateChanged();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        FitSymbols(0, model_->rowCount() - 1, true);
        Q_EMIT StateChanged();
    });
    ShowKind(ListRowsModel::Kind::Securities);
    ApplyViewMode();
}

void CRightListView::InitialUpdate() {
    ShowKind(ListRowsModel::Kind::Securities);
    QGuiApplication::clipboard()->clear();
    if (StoreReader::IsDataDirectory(CurrentDirectory())) {
        WaitCursor wait;
        ListDirectory();
    }
}

void CRightListView::AddSecurityRow(const std::string& symbol, const std::string& name,
                                    char periodicity, std::int32_t firstDate,
                                    std::int32_t lastDate) {
    std::vector<ListRowsModel::Row> rows;
    rows.push_back(SecurityRow(symbol, name, periodicity, firstDate, lastDate));
    model_->AppendRows(std::move(rows));
}

void CRightListView::ListDirectory() {
    StoreReader reader(doc_.GetPrompt());
    if (!Succeeded(reader.Open(CurrentDirectory()))) {
        const auto damage = IndexDamageOf(CurrentDirectory());
        Q_EMIT DamageFound(damage ? QString::fromLatin1(*damage) : QString());
        return;
    }
    std::vector<ListRowsModel::Row> rows;
    rows.reserve(static_cast<std::size_t>(reader.GetRemainingSecurities()));
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        rows.push_back(SecurityRow(reader.GetSymbol(), reader.GetName(), reader.GetPeriodicity(),
                                   reader.GetFirstDate(), reader.GetLastDate()));
    }
    reader.Close();
    model_->AppendRows(std::move(rows));
    const auto damage = IndexDamageOf(CurrentDirectory());
    Q_EMIT DamageFound(damage ? QString::fromLatin1(*damage) : QString());
}

void CRightListView::ReloadSecurityList() {
    ShowSecurities();
    RemoveAllRows();
    WaitCursor wait;
    if (StoreReader::IsDataDirectory(CurrentDirectory())) ListDirectory();
}

void CRightListView::RemoveAllRows() {
    model_->Clear();
    Q_EMIT DamageFound(QString());
}

void CRightListView::RemoveSymbolRows(const std::string& symbol) {
    std::vector<int> rows;
    for (int row = 0; row < model_->rowCount(); ++row)
        if (model_->Cell(row, ListRowsModel::SymbolColumn) == symbol) rows.push_back(row);
    model_->RemoveRowList(rows);
}

void CRightListView::SortByColumn(int column) {
    if (column < 0 || column >= model_->columnCount()) return;
    WaitCursor wait;
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    model_->SortBy(column, ascending_);
    ShowSortMark(*details_->header(), column, ascending_);
}

void CRightListView::ClearSortMarks() {
    details_->header()->setSortIndicatorShown(false);
}

void CRightListView::DeleteSelected() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty() || IsPriceView()) return;
    if (settings_.onDelete == 1 &&
        doc_.GetPrompt().Show("Are you sure you want to delete selected securities?", kAppCaption,
                              PromptIcon::Question, PromptButtons::OkCancel) != PromptAnswer::Ok)
        return;
    WaitCursor wait;
    std::vector<int> deleted;
    Prompt& prompt = doc_.GetPrompt();
    for (int row : rows) {
        StoreWriter writer(prompt, doc_.GetClock());
        if (!Succeeded(writer.Open(CurrentDirectory()))) {
            (void)prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                              PromptButtons::Ok);
            break;
        }
        const std::string symbol = model_->Cell(row, ListRowsModel::SymbolColumn);
        if (Succeeded(writer.DeleteSecurity(symbol)))
            deleted.push_back(row);
        else if (!writer.LastFailureShown())
            (void)prompt.Show(
                "Security " + symbol + " was not deleted: " + writer.LastFailure() + ".",
                kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        writer.Close();
    }
    model_->RemoveRowList(deleted);
}

void CRightListView::PutOnClipboard(bool cut) {
    if (IsPriceView()) return;
    const std::vector<int> rows = SelectedRows();
    const std::string text =
        BuildTransferText(doc_.GetPrompt(), CurrentDirectory(), SelectedSymbols(), cut);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (text.empty())
        clipboard->clear();
    else
        clipboard->setText(QString::fromLatin1(text));
    ClearCutMarks();
    if (cut && !text.empty())
        for (int row : rows) model_->SetCut(row, true);
}

void CRightListView::Paste() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard->text();
    if (text.isEmpty() || IsPriceView()) return;
    {
        WaitCursor wait;
        ListPasteListener listener(*this);
        (void)PasteTransferText(doc_.GetPrompt(), doc_.GetClock(), CurrentDirectory(),
                                text.toLatin1().toStdString(), listener);
    }
    clipboard->clear();
    // With the clipboard empty nothing is waiting to move; rows cut and
    // pasted into their own directory stay where they are.
    ClearCutMarks();
}

void CRightListView::ClearCutMarks() {
    for (int row = 0; row < model_->rowCount(); ++row)
        if (model_->data(model_->index(row, 0), ListRowsModel::kCutRole).toBool())
            model_->SetCut(row, false);
}

void CRightListView::SelectAll() {
    if (!HasRows() || IsPriceView()) return;
    selection_->select(
        QItemSelection(model_->index(0, 0),
                       model_->index(model_->rowCount() - 1, model_->columnCount() - 1)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CRightListView::ShowPrices() {
    const std::vector<int> rows = SelectedRows();
    if (IsPriceView() || rows.empty()) return;
    const std::string symbol =
        model_->Cell(rows.front(), ListRowsModel::SymbolColumn).substr(0, 19);
    const std::string name = model_->Cell(rows.front(), ListRowsModel::NameColumn).substr(0, 49);
    WaitCursor wait;
    Q_EMIT TitleRequested(QStringLiteral("Corvane [") + QString::fromLatin1(name) + u']');
    savedViewMode_ = viewMode_;
    ShowKind(ListRowsModel::Kind::Prices);
    viewMode_ = Details;
    ApplyViewMode();
    AppendPriceRows(symbol);
}

void CRightListView::AppendPriceRows(const std::string& symbol) {
    const int decimals = !symbol.empty() && symbol.front() == '$' ? 5 : 2;
    StoreReader reader(doc_.GetPrompt());
    if (!Succeeded(reader.Open(CurrentDirectory()))) return;
    if (Succeeded(reader.OpenPriceFileBySymbol(symbol))) {
        std::vector<ListRowsModel::Row> rows;
        rows.reserve(static_cast<std::size_t>(reader.GetRemainingBars()));
        while (reader.GetRemainingBars() > 0) {
            reader.ReadNextBar();
            rows.push_back({{FormatDisplayDate(reader.GetBarDate()),
                             PriceCellText(reader.GetBarOpen(), decimals),
                             PriceCellText(reader.GetBarHigh(), decimals),
                             PriceCellText(reader.GetBarLow(), decimals),
                             PriceCellText(reader.GetBarClose(), decimals),
                             VolumeCellText(reader.GetBarVolume())}});
        }
        model_->AppendRows(std::move(rows));
        reader.ClosePriceFile();
    }
    reader.Close();
}

void CRightListView::ShowSecurities() {
    if (!IsPriceView()) return;
    ShowKind(ListRowsModel::Kind::Securities);
    viewMode_ = savedViewMode_;
    ApplyViewMode();
}

void CRightListView::ShowKind(ListRowsModel::Kind kind) {
    model_->SetKind(kind);
    const bool securities = kind == ListRowsModel::Kind::Securities;
    for (int column = 0; column < model_->columnCount(); ++column)
        // The symbol column holds the icon besides the 80 pixels of text.
        details_->header()->resizeSection(column, securities && column == 1   ? 120
                                                  : securities && column == 0 ? 100
                                                                              : 80);
    ClearSortMarks();
    Q_EMIT StateChanged();
}

void CRightListView::FitSymbols(int first, int last, bool afresh) {
    QString widest = afresh ? QString() : symbolDelegate_->Widest();
    if (!IsPriceView()) {
        const QFontMetrics metrics = icons_->fontMetrics();
        int widestWidth = metrics.horizontalAdvance(widest);
        for (int row = first; row <= last; ++row) {
            const QString symbol =
                QString::fromLatin1(model_->Cell(row, ListRowsModel::SymbolColumn));
            const int width = metrics.horizontalAdvance(symbol);
            if (width > widestWidth) {
                widest = symbol;
                widestWidth = width;
            }
        }
    }
    // The column keeps a width the user gave it when the symbols fit in it.
    if (symbolDelegate_->SetWidest(widest) && !widest.isEmpty()) {
        const QAbstractItemView& view = *details_;  // where the hint is public
        const int needed = view.sizeHintForColumn(ListRowsModel::SymbolColumn);
        if (needed > details_->header()->sectionSize(ListRowsModel::SymbolColumn))
            details_->header()->resizeSection(ListRowsModel::SymbolColumn, needed);
    }
}

void CRightListView::SetViewMode(int mode) {
    if (mode < LargeIcons || mode > List || IsPriceView()) return;
    viewMode_ = mode;
    ApplyViewMode();
    Q_EMIT StateChanged();
}

void CRightListView::ApplyViewMode() {
    if (viewMode_ == Details) {
        stack_->setCurrentWidget(details_);
        return;
    }
    const bool large = viewMode_ == LargeIcons;
    icons_->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    icons_->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    icons_->setFlow(viewMode_ == List ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setMovement(QListView::Static);
    stack_->setCurrentWidget(icons_);
}

bool CRightListView::HasSelection() const {
    return HasRows() && selection_->hasSelection();
}

std::vector<int> CRightListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selection_->selectedRows(0)) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> CRightListView::SelectedSymbols() const {
    std::vector<std::string> symbols;
    for (int row : SelectedRows())
        symbols.push_back(model_->Cell(row, ListRowsModel::SymbolColumn));
    return symbols;
}

void CRightListView::SelectSymbols(const std::vector<std::string>& symbols) {
    if (IsPriceView()) return;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const std::string& symbol = model_->Cell(row, ListRowsModel::SymbolColumn);
        if (std::find(symbols.begin(), symbols.end(), symbol) != symbols.end())
            selection_->select(model_->index(row, 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

}  // namespace corvane

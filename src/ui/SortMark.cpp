#include "SortMark.h"

#include <QHeaderView>
#include <QProxyStyle>
#include <QStyleOptionHeader>

namespace corvane {

namespace {

// The header's style with its sort marks drawn as plain arrows, whose
// direction no style turns round.
class SortMarkStyle : public QProxyStyle {
public:
    explicit SortMarkStyle(const QString& base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
        if (element != PE_IndicatorHeaderArrow || !header ||
            header->sortIndicator == QStyleOptionHeader::None) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // QHeaderView gives Qt::AscendingOrder as SortDown.
        QStyleOption arrow(*option);
        arrow.type = QStyleOption::SO_Default;
        arrow.version = QStyleOption::Version;
        QProxyStyle::drawPrimitive(header->sortIndicator == QStyleOptionHeader::SortDown
                                       ? PE_IndicatorArrowUp
                                       : PE_IndicatorArrowDown,
                                   &arrow, painter, widget);
    }
};

}  // namespace

void ShowSortMark(QHeaderView& header, int column, bool ascending) {
    if (!dynamic_cast<SortMarkStyle*>(header.style())) {
        // The header does not own a style it is given; as its child the
        // style lives as long as it does.
        auto* style = new SortMarkStyle(header.style()->name());
        style->setParent(&header);
        header.setStyle(style);
    }
    header.setSortIndicatorShown(true);
    header.setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

}  // namespace corvane

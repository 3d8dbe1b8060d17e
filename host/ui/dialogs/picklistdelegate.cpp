#include "dialogs/picklistdelegate.h"

#include <QApplication>
#include <QPainter>

namespace picklist {

void PaddedCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* view = option.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, view);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect area = opt.rect.adjusted(m_ui.px(12), 0, -m_ui.px(12), 0);
    painter->drawText(area, int(opt.displayAlignment),
                      opt.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
    painter->restore();
}

} // namespace picklist

#pragma once

// How the pick list paints its cells. Internal to the pick list dialog.

#include <QStyledItemDelegate>

namespace picklist {

// Cells with the same side margin as the column titles.
class PaddedCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace picklist

#pragma once

// How the pick list paints its cells. Internal to the pick list dialog.

#include <QStyledItemDelegate>

#include "screenscale.h"

namespace picklist {

// Cells with the same side margin as the column titles (12 design pixels).
class PaddedCellDelegate : public QStyledItemDelegate {
public:
    PaddedCellDelegate(const UiScale& ui, QObject* parent) : QStyledItemDelegate(parent), m_ui(ui) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    UiScale m_ui;
};

} // namespace picklist

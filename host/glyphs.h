#pragma once

// The pictures on the command buttons and table buttons, drawn with QPainter
// so that they stay sharp at any size.

#include <QPixmap>
#include <QSize>

#include "qdl_host_global.h"

enum class Glyph {
    Rename, BackColor, TextColor, Clear, Confirm, Cancel, Leave, Previous, Next,
    FreeTable, AssignedTable,
};

QDL_HOST_EXPORT QPixmap drawGlyph(Glyph glyph, QSize size);

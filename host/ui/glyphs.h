#pragma once

// The pictures on the command buttons and table buttons, drawn with QPainter
// so that they stay sharp at any size.

#include <QPixmap>
#include <QSize>

#include "qdl_ui_global.h"

enum class Glyph {
    Rename, BackColor, TextColor, Clear, Confirm, Cancel, Leave, Previous, Next,
    FreeTable, AssignedTable,
    ScreenIcon, // the window icon
};

// A picture of size pixels on a transparent background, cached per
// (glyph, size): the same pixmap comes back for the same arguments.
QDL_UI_EXPORT QPixmap drawGlyph(Glyph glyph, QSize size);
// The same picture for a high-density screen: size is in device-independent
// pixels, the pixmap holds size * devicePixelRatio pixels.
QDL_UI_EXPORT QPixmap drawGlyph(Glyph glyph, QSize size, qreal devicePixelRatio);

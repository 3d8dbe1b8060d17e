#pragma once

// Colours travel as 32-bit 0x00BBGGRR values (red in the low byte), the form
// in which the database stores them.

#include <QColor>

// The background of a free button (RGB 144,144,176), as the screen stores it
// for a button it places.
constexpr int kFreeButtonColor = 11571344;

inline QColor colorFromBgr(qint64 bgr)
{
    const auto v = quint32(bgr);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline int bgrFromColor(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

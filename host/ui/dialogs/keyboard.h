#pragma once

// The on-screen keyboard for button captions.

#include <QString>

#include "qdl_ui_global.h"

class QWidget;

// Longest caption a button stores (DSBUTTON).
constexpr int kCaptionMaxLength = 40;

// Modal keyboard over the initial text. Returns the typed text on OK or
// Enter, "@" on Cancel or Esc. a, b and c are accepted and not read.
QDL_UI_EXPORT QString runKeyboard(const QString& initial, int a, int b, int c);

// The button whose caption is about to be typed: the next runKeyboard shows
// a live preview with that button's size, font and colours. Used once.
QDL_UI_EXPORT void setKeyboardPreviewSource(QWidget* button);

// The same keyboard for any short text (the pick list's filter): no preview.
// Returns the text, or a null QString when cancelled.
QString runPlainKeyboard(const QString& initial, const QString& title, int maxLength,
                         QWidget* parent);

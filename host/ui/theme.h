#pragma once

#include <QString>

#include "qdl_ui_global.h"

class QWidget;

// Applies the host's six-colour scheme (0x00BBGGRR values) to the form as a
// palette, in this order: c1 Window (the frame), c2 Button (the face of
// Qt's own controls; the touch controls keep their fixed faces), c3 Dark
// (bevel shadow), c4 Mid (disabled faces), c5 Base (the background; Light is
// c5 a tenth lighter), c6 WindowText and Text (labels).
QDL_UI_EXPORT void ColoreTela(QWidget* form, int c1, int c2, int c3, int c4, int c5, int c6);
// Translates the form's captions in place (labels, buttons, window title)
// with the installed translators; Portuguese stays as written otherwise.
QDL_UI_EXPORT void Trad(QWidget* form);
// Installs the translation for a language ("pt" keeps the original texts,
// with their plural forms, "en" English); an empty language follows the
// system locale. Returns true when English was installed.
QDL_UI_EXPORT bool installLanguage(const QString& language);

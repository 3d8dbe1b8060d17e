#pragma once

#include <QString>

#include "qdl_host_global.h"

// The text left-padded with "0" to the width: Ajusta("1", 2) == "01".
QDL_HOST_EXPORT QString Ajusta(const QString& text, int width);
// True when the text is empty or holds only blanks (the free caption " ").
QDL_HOST_EXPORT bool EmptyString(const QString& text);

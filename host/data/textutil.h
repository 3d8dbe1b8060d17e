#pragma once

#include <QString>

#include "qdl_data_global.h"

// True when the text is empty or holds only blanks (the free caption " ").
QDL_DATA_EXPORT bool EmptyString(const QString& text);

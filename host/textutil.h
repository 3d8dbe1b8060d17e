#pragma once

#include <QString>

#include "qdl_host_global.h"

// True when the text is empty or holds only blanks (the free caption " ").
QDL_HOST_EXPORT bool EmptyString(const QString& text);

#pragma once

#include <QString>

#include "qdl_host_global.h"

// The directory of the host's executable (where the local parameters file
// lives). Tests point it at a folder of their own.
QDL_HOST_EXPORT QString hostExecutableDir();
QDL_HOST_EXPORT void setHostExecutableDir(const QString& dir);

#pragma once

#include <QString>

#include "qdl_data_global.h"

// The directory of the host's executable (where the local parameters file
// lives). Tests point it at a folder of their own.
QDL_DATA_EXPORT QString hostExecutableDir();
QDL_DATA_EXPORT void setHostExecutableDir(const QString& dir);

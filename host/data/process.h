#pragma once

#include <QString>

#include "qdl_data_global.h"

// The directory of the host's executable (where the local parameters file
// lives). Tests point it at a folder of their own.
QDL_DATA_EXPORT QString hostExecutableDir();
QDL_DATA_EXPORT void setHostExecutableDir(const QString& dir);

// Keeps what the process holds (a connection string's password, the one
// libpq reads from its password file or a service's entry) out of reach:
// no core file is written (RLIMIT_CORE 0) and the process is not dumpable,
// which also keeps other processes of the same user from attaching to it
// or reading its memory. Called first thing in main. False when the system
// refused either.
QDL_DATA_EXPORT bool keepSecretsOutOfDumps();

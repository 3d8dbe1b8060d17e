#pragma once

// The rows a pick list offers when a table is placed, for the dialog tests
// and the pictures of the dialogs.

#include <QList>
#include <QStringList>

#include "clientdataset.h"

// Tables as offered when placing one: code (NRMESA, "Mesa"), name (NMMESA,
// "Nome") and a hidden status, one row per {code, name}; the cursor on the
// first row.
TClientDataSet tables(const QList<QStringList>& rows);

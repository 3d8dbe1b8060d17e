#pragma once

// `qdl-host --check`: the layout check's report, printed.

#include <QString>

class QTextStream;

// Opens the database of the connection string on a connection of its own,
// checks it and writes the report to out. Returns 0 when the layout is
// consistent, 1 when problems were found, 2 when the database cannot be
// opened or read. A branch that is not empty limits the check to that
// branch; one the role may not read is refused with 2.
int runLayoutCheck(const QString& connectionString, QTextStream& out, const QString& branch = QString());

#pragma once

// `qdl-host --branches`: the branches a connection may see (LOJA and
// CONFTELA rows), each with its screen configurations, and for each
// configuration how many areas (the branch's SALA rows), tables (MESA rows
// of the configuration's store) and area and table buttons (ITMENUCONFTE)
// it has. On PostgreSQL a terminal role sees its own branches only.
//
// Exit status: 0 listed (none is a list too); 2 the database cannot be
// opened or read, or holds no configuration tables.

#include <QString>

class QTextStream;

int runBranchesCommand(const QString& connectionString, QTextStream& out, QTextStream& err);

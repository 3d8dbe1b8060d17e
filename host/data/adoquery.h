#pragma once

// One statement of the data-access layer, prepared once on an open
// TADOConnection and run many times. Parameters are bound by name
// (":P_CDFILIAL"); a name used twice in the statement is one parameter.
// Values come back as the data packets hold them: null, text, or a number
// as a double.
//
// On SQLite the statement runs through SQLite's C interface, prepared once;
// on PostgreSQL through libpq, prepared on the server with its first run and
// then run by name with the values apart from its text.

#include "dberror.h"
#include <QString>
#include <QStringList>
#include <QVariant>

#include "qdl_data_global.h"

class QDL_DATA_EXPORT TADOQuery {
public:
    virtual ~TADOQuery();

    virtual void bindText(const char* name, const QString& value) = 0;
    virtual void bindNumber(const char* name, double value) = 0;
    virtual void bindNull(const char* name) = 0;

    // Runs the statement with the values bound; false on an error
    // (lastError()). A query is then positioned before its first row.
    virtual bool exec() = 0;
    virtual bool next() = 0; // false at the end or on an error (lastError())
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QVariant value(int column) const = 0;
    virtual int numRowsAffected() const = 0;
    virtual DbError lastError() const = 0;

    // Ends a run: releases the result (and on SQLite the read it holds) and
    // clears the bound values.
    virtual void finish() = 0;

    // The column of that name, -1 when there is none; case-insensitive.
    int columnIndex(const QString& name) const;
    // The driver's own statement under any wrapping (what qdl::Ahead
    // sends).
    virtual TADOQuery& driverQuery() { return *this; }
};

namespace qdl {

// What a transaction may do: write (SQLite takes the file's write lock at
// once), or only read one snapshot of the whole database.
enum class TransactionMode { Write, ReadOnlySnapshot };

// The statement with its ":NAME" placeholders (not "::" casts, not inside
// quotes) as $1, $2, ... for PostgreSQL; names gets each name (without the
// colon) once, in the order of its number.
QDL_DATA_EXPORT QString positionalSql(const QString& sql, QStringList* names);

// The statement with its "?" placeholders (not inside quotes) named
// ":P_Q1", ":P_Q2", ... in order, for statements written with positional
// parameters (the tools' and tests' own).
QDL_DATA_EXPORT QString namedPlaceholders(const QString& sql);

} // namespace qdl

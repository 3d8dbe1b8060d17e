#pragma once

// Ad-hoc SQL for tests on a connection of their own: set-up rows, assertions
// on the database's state. Prepares on the data layer's TADOConnection;
// parameters by name (":NAME") or in order ("?", bound with addBindValue).

#include <QString>
#include <QVariant>
#include <memory>

#include "adoconnection.h"

class SqlQuery {
public:
    explicit SqlQuery(TADOConnection& connection) : m_connection(connection) {}

    bool exec(const QString& sql); // prepares and runs a statement without parameters
    bool prepare(const QString& sql);
    void bindValue(const QString& name, const QVariant& value);
    void addBindValue(const QVariant& value);
    bool exec(); // the prepared statement with the values bound
    bool next();
    QVariant value(int column) const;
    QVariant value(const QString& column) const;
    int numRowsAffected() const;
    DbError lastError() const;
    void finish();

private:
    TADOConnection& m_connection;
    std::unique_ptr<TADOQuery> m_query;
    DbError m_error;
    int m_positional = 0;
};

// What a failed statement said, for a test's failure message.
std::string errorText(const DbError& error);

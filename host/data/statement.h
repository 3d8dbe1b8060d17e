#pragma once

// How the tools, the commands and the data module run SQL: a statement that
// throws on every failure, naming the step the operator or administrator
// reads ("Erro ao ler o leiaute ..."), and a transaction that commits only
// when told and rolls back on every other way out.
//
//     qdl::Transaction t(db);
//     qdl::Statement q(db, sql, tr("Erro ao ler as mesas"));
//     q.bindText(":P_CDFILIAL", branch).forEachRow([&](const TADOQuery& row) { ... });
//     t.commit();

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "adoconnection.h"
#include "adoquery.h"
#include "qdl_data_global.h"

namespace qdl {

class QDL_DATA_EXPORT Statement {
public:
    // Prepares sql on the open connection; throws EDatabaseError (step) when
    // the database refuses it.
    Statement(TADOConnection& db, const QString& sql, QString step);
    // A statement prepared elsewhere, kept and run here.
    Statement(std::unique_ptr<TADOQuery> prepared, QString step, bool postgres);
    // A statement prepared and kept elsewhere (the data module's), run here
    // under this step with what is bound to it already; it must outlive
    // this object.
    Statement(TADOQuery& prepared, QString step, bool postgres);
    // ... whose step is worded only when a failure needs it (a service runs
    // many statements a second, and fails seldom).
    Statement(TADOQuery& prepared, std::function<QString()> step, bool postgres);
    ~Statement();
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) = delete;

    Statement& bindText(const char* name, const QString& value);
    Statement& bindNumber(const char* name, double value);
    Statement& bindNull(const char* name);
    // Null when the value is absent.
    Statement& bindOptional(const char* name, const std::optional<QString>& value);
    Statement& bindOptional(const char* name, const std::optional<double>& value);
    // A moment in time, written in UTC (with its offset on PostgreSQL, where
    // the parameter is read as TIMESTAMPTZ), so that no session's time zone
    // shifts it.
    Statement& bindTime(const char* name, const QDateTime& at);

    // Runs the statement; throws EDatabaseError (the step) on an error. The
    // rows, if any, are then read with next() / value().
    void exec();
    // Runs a command to its end and releases it; answers the rows it changed.
    int run();
    // Runs a query and hands every row to onRow, then releases it; an error
    // while fetching is thrown like one at the run.
    template <class OnRow>
    void forEachRow(OnRow&& onRow)
    {
        exec();
        try {
            while (m_q->next())
                onRow(static_cast<const TADOQuery&>(*m_q));
        } catch (...) {
            m_q->finish(); // no read stays open behind an error
            throw;
        }
        endRows();
    }
    // After exec() and reading rows by hand: releases the result and throws
    // an error the fetch met.
    void endRows();
    // The first column of the first row, null when there is no row.
    QVariant scalar();

    TADOQuery& query() { return *m_q; }
    QString step() const;
    // What the next failure names: a statement run for many rows says which.
    Statement& setStep(QString step);

private:

    std::unique_ptr<TADOQuery> m_owned;
    TADOQuery* m_q;
    QString m_step;
    std::function<QString()> m_stepOf; // when set, words m_step's text
    bool m_postgres;
};

// A transaction on the connection, begun here. Ends in a rollback unless
// commit() was called: on an exception, an early return, any way out. The
// rollback's own error never replaces the one that led to it.
class QDL_DATA_EXPORT Transaction {
public:
    explicit Transaction(TADOConnection& db, TransactionMode mode = TransactionMode::Write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();   // throws EDatabaseError; the transaction ends either way
    void rollback(); // throws EDatabaseError; the transaction ends either way

private:
    TADOConnection& m_db;
    bool m_open = true;
};

} // namespace qdl

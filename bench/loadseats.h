#pragma once

// What the parts of the load engine share besides loadengine.h: the chain
// the seats stand on, and the connection with which the engine sets up and
// checks the database.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>
#include <cstdint>
#include <utility>

#include "connection.h"
#include "errors.h"
#include "loadengine.h"

namespace qdlload {

// The chain's seed: every process reads the areas of the layout from it.
inline constexpr std::uint32_t kChainSeed = 5;

// The area (CDSALA, NMSALA) of an area button of configuration 00001, as the
// chain was generated.
std::pair<QString, QString> areaOf(const Seat& s, const QString& button);

// A connection of its own for setting up and checking, closed with it.
class CheckConnection {
public:
    explicit CheckConnection(const QString& connection)
    {
        static std::atomic<int> counter{0};
        m_name = QStringLiteral("qdl-load-%1").arg(++counter);
        QSqlDatabase db = QSqlDatabase::addDatabase(driverOf(connection), m_name);
        applyConnectionString(db, connection);
        if (!db.open())
            throw EDatabaseError(QStringLiteral("Cannot open %1").arg(withoutPassword(connection)), db.lastError());
    }
    ~CheckConnection() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // Rows of a query with values bound in order; throws on an error.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values) const
    {
        QSqlQuery q(db());
        if (!q.prepare(sql))
            throw EDatabaseError(sql, q.lastError());
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec())
            throw EDatabaseError(sql, q.lastError());
        QList<QVariantList> out;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out << row;
        }
        return out;
    }

private:
    QString m_name;
};

// A colour column as the engine keeps it (NULL is 0).
qint64 colour(const QVariant& v);

} // namespace qdlload

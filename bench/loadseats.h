#pragma once

// What the parts of the load engine share besides loadengine.h: the chain
// the seats stand on, and the connection with which the engine sets up and
// checks the database.

#include <QVariant>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "adoconnection.h"
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
// Statements take their values in order ("?"), each prepared once.
class CheckConnection {
public:
    explicit CheckConnection(const QString& connection);
    TADOConnection& db() { return m_db; }

    // Rows of a query with values bound in order; throws on an error.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values);
    // A command with values bound in order: the rows it changed; throws on
    // an error.
    int exec(const QString& sql, const QVariantList& values);

private:
    // The statement of sql, prepared once, with the values bound.
    TADOQuery& bound(const QString& sql, const QVariantList& values);

    TADOConnection m_db;
    std::map<QString, std::unique_ptr<TADOQuery>> m_statements; // ended before m_db closes
};

// A colour column as the engine keeps it (NULL is 0).
qint64 colour(const QVariant& v);

} // namespace qdlload

#pragma once

// The values that cross between the service half and the client half.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <variant>

#include "qdl_data_global.h"

// All rows of one statement, with the statement's columns in order. Column
// names are upper case whatever the database folds them to; a value is a
// QString for a text column, a double for a numeric one, or a null QVariant.
struct QDL_DATA_EXPORT DataPacket {
    QStringList columns;
    QList<QVariantList> rows;

    int columnIndex(const QString& name) const; // -1 when absent; ignores case
    bool isEmpty() const { return rows.isEmpty(); }
};

// A text value as a packet holds it, from the UTF-8 a database hands over.
QDL_DATA_EXPORT QString packetText(const char* utf8, qsizetype bytes);

// A database error that a service trapped: its operator-readable text.
struct DatabaseErrorText {
    QString text;
};

// What a service hands back. Unassigned before the service ran; a text for a
// write (empty: done; a status key such as "Mesa_Ind"); a data packet for a
// read; a database error, which still reads as its text.
class QDL_DATA_EXPORT ServiceResult {
public:
    ServiceResult() = default;
    static ServiceResult text(const QString& t) { ServiceResult r; r.m_value = t; return r; }
    static ServiceResult packet(DataPacket p) { ServiceResult r; r.m_value = std::move(p); return r; }
    static ServiceResult error(const QString& t) { ServiceResult r; r.m_value = DatabaseErrorText{t}; return r; }

    void clear() { m_value = std::monostate{}; }

    bool isUnassigned() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isText() const { return std::holds_alternative<QString>(m_value); }
    bool isPacket() const { return std::holds_alternative<DataPacket>(m_value); }
    bool isError() const { return std::holds_alternative<DatabaseErrorText>(m_value); }

    // The value read as text: the status or error text; empty for a packet
    // or an unassigned value.
    QString toText() const;
    // The packet; an empty packet when the value holds none.
    const DataPacket& toPacket() const;

private:
    std::variant<std::monostate, QString, DataPacket, DatabaseErrorText> m_value;
};

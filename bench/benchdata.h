#pragma once

// A restaurant chain for the benchmarks: N branches laid out the way
// operators lay them out (areas, tables over several pages, two stores with
// a configuration each, default tables, tables in every auxiliary state,
// inactive areas and tables), and the loader that puts it in a database.
//
// Branch 9999 has the same fixed layout at every size, so the screen and the
// services do the same work on 10^3 rows as on 10^6.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace qdlbench {

inline const QString kBranch = QStringLiteral("9999");
inline const QString kConf = QStringLiteral("00001");  // store 00001
inline const QString kConf2 = QStringLiteral("00002"); // store 01
inline const QString kStore = QStringLiteral("00001");
inline const QString kStore2 = QStringLiteral("01");
constexpr int kFreeBack = 11571344;

struct AreaRow {
    QString code, name;
    QString situation; // IDSITSALA
};

struct TableRow {
    QString store, nrmesa, area, name;
    QString status, aux; // IDSTMESA, IDSTMESAAUX
    int people = 4;
    QString position; // empty: NULL
};

// One ITMENUCONFTE row.
struct ButtonRow {
    QString conf, type, number, ident, caption;
    int text = 0, back = kFreeBack;
    QString auxType, auxNumber, page, auxPage;
};

struct Branch {
    QString code;
    QList<AreaRow> areas;
    QList<TableRow> tables;
    QString defaultTable, defaultTable2; // NRMESAPADRAO of stores 00001 and 01
    QList<ButtonRow> buttons;
};

// Branch 9999: areas SAL (button 01: 48 tables on page 1, 6 on page 2, six
// left to place), VAR, TER, AVIP, BALCA, DECK (button 06: twelve free tables
// on pages 1 and 2, two left to place; the update benchmarks work there),
// JARD (not placed) and MEZAN (inactive); store 01 on configuration 00002.
Branch screenBranch();

// Another branch of the chain, reproducible from its index.
Branch chainBranch(int index, std::uint32_t seed);

// The buttons of 9999/00001 under area button 06 and the area button itself,
// as generated (what the update benchmarks delete and put back).
QList<ButtonRow> deckButtons();

struct LoadReport {
    qint64 branches = 0, buttons = 0, tables = 0, areas = 0;
    double seconds = 0;
};

// Creates the schema with createQdlDatabase in an empty database and loads
// branch 9999 and then further branches until ITMENUCONFTE holds at least
// targetButtons rows (at most 9999 branches). One transaction, secondary
// indexes built after the load, statistics gathered (PostgreSQL always,
// SQLite when analyze). connection: "sqlite:PATH" (file created) or a
// postgresql:// URL whose database exists and is empty. Throws EQdlError.
LoadReport generateChain(const QString& connection, qint64 targetButtons, std::uint32_t seed, bool analyze);

// Removes a SQLite file (with its -wal/-shm) or drops and re-creates a
// PostgreSQL database (through the server's "postgres" database).
void resetDatabase(const QString& connection);

// Whether a PostgreSQL server answers at url.
bool postgresReachable(const QString& url);

// "postgresql://u@h:p/db" with another database name.
QString withDatabase(const QString& postgresUrl, const QString& dbName);

} // namespace qdlbench

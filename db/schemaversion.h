#pragma once

// The version of the configuration schema a database holds. SQLite keeps the
// number in the file's header (PRAGMA user_version); PostgreSQL in the table
// QDL_VERSAO, one row per step applied. A database made before the schema
// had a number (release 5.80.12) is version 0. Header only: the screen's
// data module reads the version too (schemaupgrade.h holds the steps).

#include <QCoreApplication>
#include <QString>

// The schema this program writes and reads.
inline constexpr int kSchemaVersion = 8;
// What the version query answers for a database without the configuration
// tables.
inline constexpr int kNoSchema = -1;

// The SQL that reads the version in one statement, without failing on a
// database that has no version table: one integer column, kNoSchema when
// ITMENUCONFTE is missing. Rides with other reads (the live-refresh watch's
// first round trip).
inline QString schemaVersionQuery(bool postgres)
{
    if (!postgres)
        return QStringLiteral("SELECT CASE WHEN EXISTS (SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                              "name = 'ITMENUCONFTE') THEN (SELECT user_version FROM pragma_user_version) ELSE %1 END")
            .arg(kNoSchema);
    // The version table may not be there (version 0): query_to_xml runs its
    // text only when the CASE gets to it, so the statement never fails on a
    // table it names.
    return QStringLiteral("SELECT CASE WHEN to_regclass('itmenuconfte') IS NULL THEN %1 "
                          "WHEN to_regclass('qdl_versao') IS NULL THEN 0 "
                          "ELSE COALESCE((xpath('/row/v/text()', query_to_xml("
                          "'SELECT MAX(NRVERSAO) AS v FROM QDL_VERSAO', false, true, '')))[1]::text::int, 0) END")
        .arg(kNoSchema);
}

// A newer schema than this program knows: it must not write.
inline bool schemaTooNew(int found)
{
    return found > kSchemaVersion;
}

// What a program that is not the set-up should say about a database of
// that version: empty when it is this program's (or has no tables); on an
// older one, the command that upgrades it; on a newer one, both versions and
// that nothing is written.
inline QString schemaVersionNotice(int found)
{
    if (found == kSchemaVersion || found == kNoSchema)
        return {};
    if (found < kSchemaVersion)
        return QCoreApplication::translate("SchemaVersion",
                                           "O banco de dados tem o esquema da versão %1; esta versão do programa usa a %2. "
                                           "O dono do esquema deve rodar \"qdl-host --database URL --upgrade\".")
            .arg(found)
            .arg(kSchemaVersion);
    return QCoreApplication::translate("SchemaVersion",
                                       "O banco de dados tem o esquema da versão %1, mais nova que a %2 que esta versão do "
                                       "programa conhece: nada será gravado. Atualize o programa.")
        .arg(found)
        .arg(kSchemaVersion);
}

// The same in the few words the screen's hint line holds.
inline QString schemaVersionHint(int found)
{
    if (found == kSchemaVersion || found == kNoSchema)
        return {};
    if (found < kSchemaVersion)
        return QCoreApplication::translate("SchemaVersion", "Esquema antigo (versão %1 de %2):\nrode qdl-host --upgrade.")
            .arg(found)
            .arg(kSchemaVersion);
    return QCoreApplication::translate("SchemaVersion", "Esquema mais novo (versão %1 de %2):\nnada será gravado.")
        .arg(found)
        .arg(kSchemaVersion);
}

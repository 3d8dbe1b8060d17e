// The fuzzer's seeds and the malformed inputs it found (fuzz/corpus/): each
// parses to a table or fails with a readable EQdlError, nothing else.

#include <QDir>
#include <QFile>

#include "datapacketfile.h"
#include "errors.h"
#include "testmain.h"

namespace {

QString corpusDir()
{
    return qEnvironmentVariable("QDL_SOURCE_DIR") + QStringLiteral("/fuzz/corpus");
}

TEST(FuzzCorpus, EveryKeptInputGivesATableOrAReadableError)
{
    const QFileInfoList files = QDir(corpusDir()).entryInfoList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 10) << corpusDir().toStdString();
    int tables = 0, refused = 0;
    for (const QFileInfo& file : files) {
        SCOPED_TRACE(file.fileName().toStdString());
        QFile f(file.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        try {
            const SavedTable t = parseSavedTable(f.readAll(), file.fileName());
            EXPECT_EQ(t.fields.size(), t.packet.columns.size());
            for (const QVariantList& row : t.packet.rows)
                EXPECT_EQ(row.size(), t.fields.size());
            ++tables;
        } catch (const EQdlError& e) {
            EXPECT_TRUE(e.message().contains(file.fileName())) << e.what(); // says which file
            ++refused;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "not a readable error: " << e.what();
        }
    }
    EXPECT_GT(tables, 0);
    EXPECT_GT(refused, 0);
}

TEST(FuzzCorpus, TheSeedsReadAsTheirFilesSay)
{
    QFile f(corpusDir() + QStringLiteral("/valid_parameters.cds"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const SavedTable t = parseSavedTable(f.readAll());
    ASSERT_EQ(t.packet.columns, (QStringList{"INCOR1", "INCOR2", "INCOR3", "INCOR4", "INCOR5", "INCOR6"}));
    ASSERT_EQ(t.packet.rows.size(), 1);
    EXPECT_EQ(t.packet.rows[0][0].toDouble(), 12960962.0);
    for (const char* name : {"entity_expansion.cds", "rowdata_first.cds", "duplicate_field.cds", "bad_integer.cds",
                             "unclosed.cds", "wrong_root.cds", "empty.cds", "huge_width.cds"}) {
        QFile bad(corpusDir() + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(bad.open(QIODevice::ReadOnly)) << name;
        EXPECT_THROW(parseSavedTable(bad.readAll()), EQdlError) << name;
    }
}

} // namespace

QDL_TEST_MAIN()

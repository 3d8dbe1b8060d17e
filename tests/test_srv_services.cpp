// The thirteen services against real databases: the demo rows plus rows made
// for each case, on SQLite and (with QDL_PG_URL) PostgreSQL.

#include <QDateTime>
#include <algorithm>
#include <memory>

#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "dbfixture.h"
#include "errors.h"
#include "statements.h"
#include "testmain.h"

namespace {

const QString F = QStringLiteral("9999");
const QString C = QStringLiteral("00001");

QStringList column(const ServiceResult& r, const QString& name)
{
    const DataPacket& p = r.toPacket();
    const int i = p.columnIndex(name);
    QStringList values;
    if (i < 0)
        return {QStringLiteral("<no column %1>").arg(name)};
    for (const QVariantList& row : p.rows)
        values << row[i].toString();
    std::sort(values.begin(), values.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return values;
}

QStringList numbers(int from, int to)
{
    QStringList l;
    for (int i = from; i <= to; ++i)
        l << QString::number(i);
    return l;
}

class SrvServices : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam());
        session = std::make_unique<ServiceSession>(db);
    }
    void TearDown() override
    {
        session.reset();
        db.drop();
    }

    void placeTable(const QString& button, const QString& page, const QString& areaButton, const QString& nrmesa,
                    const QString& conf = C)
    {
        db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                               "DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, "
                               "NRPGCONFTELA, NRPGCONFTAUX, DTULTATUITCT) VALUES ('9999', '%1', '3', '%2', '%3', "
                               "'Mesa %3', 0, 11571344, '', '4', '%4', '%5', '1', '2024-01-02 03:04:05')")
                    .arg(conf, button, nrmesa, areaButton, page));
    }
    // An update of ITMENUCONFTE ends the session that makes it (PostgreSQL):
    // the write fails inside its transaction, and so does what follows.
    void endSessionOnUpdate()
    {
        db.exec(QStringLiteral("CREATE FUNCTION qdl_morre() RETURNS trigger LANGUAGE plpgsql AS $f$ "
                               "BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $f$"));
        db.exec(QStringLiteral("CREATE TRIGGER qdl_morre BEFORE UPDATE ON ITMENUCONFTE FOR EACH ROW "
                               "EXECUTE FUNCTION qdl_morre()"));
    }
    void placeArea(const QString& button, const QString& cdsala)
    {
        db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                               "DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, "
                               "NRPGCONFTELA, NRPGCONFTAUX, DTULTATUITCT) VALUES ('9999', '00001', '4', '%1', '%2', "
                               "'Area %2', 0, 11571344, '', '0', '0', '1', '0', '2024-01-02 03:04:05')")
                    .arg(button, cdsala));
    }
    int buttons(const QString& where)
    {
        return db.countRows(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE ") + where);
    }
    bool inTransaction() const { return rdmConfMesa->adcConfigMesa->InTransaction(); }
    // A statement on the data module's own connection, inside whatever
    // transaction it has open; false (and the reason) when it fails.
    ::testing::AssertionResult execOnDataModule(const QString& sql) const
    {
        SqlQuery q(*rdmConfMesa->adcConfigMesa);
        if (!q.exec(sql))
            return ::testing::AssertionFailure() << errorText(q.lastError());
        q.finish();
        return ::testing::AssertionSuccess();
    }
    // Which session the data module's connection is: the database and the
    // server process on PostgreSQL, the file on SQLite.
    QString dataModuleSession() const
    {
        SqlQuery q(*rdmConfMesa->adcConfigMesa);
        const bool ok = db.isSqlite()
            ? q.exec("SELECT file FROM pragma_database_list WHERE name = 'main'")
            : q.exec("SELECT current_database() || ':' || pg_backend_pid()");
        if (!ok || !q.next()) {
            ADD_FAILURE() << errorText(q.lastError());
            return {};
        }
        const QString id = q.value(0).toString();
        q.finish();
        return id;
    }

    TestDatabase db;
    std::unique_ptr<ServiceSession> session;
};

// --- Query services --------------------------------------------------------

TEST_P(SrvServices, PesqAmbientesReturnsAreaButtonsWithTypedColumns)
{
    db.exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = NULL WHERE IDTPBUTTON = '4' AND NRBUTTON = '02'"));
    ServiceResult r = ServiceResult::text(QStringLiteral("stale"));
    ASSERT_EQ(getPesqAmbientes(F, C, r), 0);
    ASSERT_TRUE(r.isPacket()) << r.toText().toStdString();
    const DataPacket& p = r.toPacket();
    EXPECT_EQ(p.columns, QStringList({"NRBUTTON", "DSBUTTON", "NRCOLORTEXT", "NRCOLORBACK", "CDIDENTBUTON"}));
    EXPECT_EQ(column(r, "NRBUTTON"), QStringList({"01", "02", "03"}));
    EXPECT_EQ(column(r, "CDIDENTBUTON"), QStringList({"SAL", "VAR", "BALCA"}));
    for (const QVariantList& row : p.rows) {
        EXPECT_EQ(row[0].typeId(), QMetaType::QString);
        EXPECT_EQ(row[2].typeId(), QMetaType::Double);
        EXPECT_EQ(row[3].typeId(), QMetaType::Double);
        if (row[0].toString() == QLatin1String("03")) {
            EXPECT_EQ(row[1].toString(), QStringLiteral("Balcão"));
            EXPECT_EQ(row[2].toDouble(), 0.0);
            EXPECT_EQ(row[3].toDouble(), 49151.0);
        }
        if (row[0].toString() == QLatin1String("02")) {
            EXPECT_TRUE(row[1].isNull()) << "NULL must come as a null value";
        }
    }

    ASSERT_EQ(getPesqAmbientes(F, QStringLiteral("00002"), r), 0);
    EXPECT_TRUE(r.isPacket());
    EXPECT_TRUE(r.toPacket().isEmpty());
    EXPECT_EQ(r.toPacket().columns.size(), 5);
}

TEST_P(SrvServices, PesqMesasSelectsPageAndAreaButtonAsWritten)
{
    placeTable("01", "10", "01", "11");
    placeTable("02", "3", "01", "12");
    ServiceResult r;
    ASSERT_EQ(getPesqMesas(F, C, "1", "01", r), 0);
    EXPECT_EQ(r.toPacket().columns, QStringList({"NRBUTTON", "DSBUTTON", "NRCOLORTEXT", "NRCOLORBACK"}));
    EXPECT_EQ(column(r, "NRBUTTON"), QStringList({"01", "02", "03", "04", "05", "06", "07", "08"}));

    // Two calls in a row: only the second call's rows.
    ASSERT_EQ(getPesqMesas(F, C, "2", "01", r), 0);
    EXPECT_EQ(column(r, "DSBUTTON"), QStringList({"Mesa 09", "Mesa 10"}));

    ASSERT_EQ(getPesqMesas(F, C, "10", "01", r), 0);
    EXPECT_EQ(column(r, "DSBUTTON"), QStringList({"Mesa 11"}));
    ASSERT_EQ(getPesqMesas(F, C, "010", "01", r), 0);
    EXPECT_TRUE(r.toPacket().isEmpty());
    ASSERT_EQ(getPesqMesas(F, C, "3", "01", r), 0);
    EXPECT_EQ(column(r, "DSBUTTON"), QStringList({"Mesa 12"}));

    ASSERT_EQ(getPesqMesas(F, C, "1", "03", r), 0);
    ASSERT_EQ(r.toPacket().rows.size(), 2);
    const DataPacket& p = r.toPacket();
    for (const QVariantList& row : p.rows)
        if (row[0].toString() == QLatin1String("01")) {
            EXPECT_EQ(row[2].toDouble(), 255.0);
            EXPECT_EQ(row[3].toDouble(), 65535.0);
        }

    ASSERT_EQ(getPesqMesas(F, C, "4", "01", r), 0);
    EXPECT_TRUE(r.isPacket());
    EXPECT_TRUE(r.toPacket().isEmpty());
}

TEST_P(SrvServices, LojaOfConfiguration)
{
    ServiceResult r;
    ASSERT_EQ(getLoja(F, C, r), 0);
    EXPECT_EQ(r.toPacket().columns, QStringList({"CDLOJA"}));
    EXPECT_EQ(column(r, "CDLOJA"), QStringList({"00001"}));
    ASSERT_EQ(getLoja(F, "00002", r), 0);
    EXPECT_EQ(column(r, "CDLOJA"), QStringList({"01"}));
    ASSERT_EQ(getLoja(F, "00009", r), 0);
    EXPECT_TRUE(r.isPacket());
    EXPECT_TRUE(r.toPacket().isEmpty());
}

TEST_P(SrvServices, MesasOffersOnlyPlaceableTablesOfStoreAndArea)
{
    ServiceResult r;
    // SAL: 1-8 on page 1, 9-10 on page 2, 19-20 inactive.
    ASSERT_EQ(getMesas(F, "00001", "SAL", C, r), 0);
    EXPECT_EQ(r.toPacket().columns, QStringList({"NRMESA", "NMMESA", "IDSTMESAAUX"}));
    EXPECT_EQ(column(r, "NRMESA"), numbers(11, 18));

    // The default table 99 is never offered, placed or not.
    ASSERT_EQ(getMesas(F, "00001", "BALCA", C, r), 0);
    EXPECT_EQ(column(r, "NRMESA"), numbers(51, 56));
    ASSERT_EQ(getMesas(F, "01", "SAL", C, r), 0);
    EXPECT_EQ(column(r, "NRMESA"), numbers(101, 106));

    // A table placed under another area button and on another page is gone
    // from every list of the configuration, but not from another one's.
    placeTable("07", "5", "03", "30");
    ASSERT_EQ(getMesas(F, "00001", "VAR", C, r), 0);
    EXPECT_EQ(column(r, "NRMESA"), QStringList({"25", "26", "27", "28", "29", "31", "32"}));
    ASSERT_EQ(getMesas(F, "00001", "VAR", "00002", r), 0);
    EXPECT_EQ(column(r, "NRMESA"), numbers(21, 32));

    // Another branch sees only its own tables (a terminal of both).
    db.grantTerminalBranches({QStringLiteral("9999"), QStringLiteral("0001")});
    ASSERT_EQ(getMesas("0001", "00001", "SAL", C, r), 0);
    EXPECT_EQ(column(r, "NRMESA"), numbers(1, 8));
}

TEST_P(SrvServices, AmbientesOffersActiveUnplacedAreas)
{
    ServiceResult r;
    ASSERT_EQ(getAmbientes(F, C, r), 0);
    EXPECT_EQ(r.toPacket().columns, QStringList({"CDSALA", "NMSALA"}));
    EXPECT_EQ(column(r, "CDSALA"), QStringList({"TER", "AVIP", "DECK"}));
    EXPECT_TRUE(column(r, "NMSALA").contains(QStringLiteral("Área VIP")));

    ServiceResult w;
    ASSERT_EQ(getInsere(F, C, "04", "Terraço", 0.0f, 11571344.0f, "", "1", "TER", "4", "0", "0", "0", w), 0);
    ASSERT_EQ(w.toText(), QString()) << w.toText().toStdString();
    ASSERT_EQ(getAmbientes(F, C, r), 0);
    EXPECT_EQ(column(r, "CDSALA"), QStringList({"AVIP", "DECK"}));

    db.grantTerminalBranches({QStringLiteral("9999"), QStringLiteral("0001")});
    ASSERT_EQ(getAmbientes("0001", C, r), 0);
    QStringList branchAreas = column(r, "CDSALA");
    branchAreas.sort(); // the statement names no order
    EXPECT_EQ(branchAreas, QStringList({"JARD", "SAL", "VAR"}));
}

TEST_P(SrvServices, MesaNrButonFindsAreaAndTableBehindButton)
{
    ServiceResult r;
    ASSERT_EQ(getMesaNrButon(F, "00001", "3", "05", "1", "01", "1", C, "4", r), 0);
    EXPECT_EQ(r.toPacket().columns, QStringList({"CDSALA", "NMSALA", "NRMESA"}));
    ASSERT_EQ(r.toPacket().rows.size(), 1);
    EXPECT_EQ(r.toPacket().rows[0], QVariantList({"SAL", "Salão Principal", "5"}));

    ASSERT_EQ(getMesaNrButon(F, "00001", "3", "01", "2", "01", "1", C, "4", r), 0);
    EXPECT_EQ(column(r, "NRMESA"), QStringList({"9"}));
    // The table is looked up in the given store only.
    ASSERT_EQ(getMesaNrButon(F, "01", "3", "05", "1", "01", "1", C, "4", r), 0);
    EXPECT_TRUE(r.toPacket().isEmpty());
}

TEST_P(SrvServices, AmbNrbutonReadsStore01Only)
{
    ServiceResult r;
    ASSERT_EQ(getAmbNrbuton(F, C, "4", "0", "0", "0", "01", "1", r), 0);
    EXPECT_EQ(r.toPacket().columns, QStringList({"CDSALA", "NMSALA", "NRMESA"}));
    EXPECT_EQ(column(r, "NRMESA"), numbers(101, 106) << "199");
    EXPECT_EQ(column(r, "CDSALA"), QStringList(7, QStringLiteral("SAL")));

    ASSERT_EQ(getAmbNrbuton(F, C, "4", "0", "0", "0", "02", "1", r), 0);
    EXPECT_EQ(column(r, "NRMESA"), numbers(107, 110));

    // Balcão has tables in store 00001 only: the button exists, the packet is empty.
    ASSERT_EQ(getAmbNrbuton(F, C, "4", "0", "0", "0", "03", "1", r), 0);
    EXPECT_TRUE(r.isPacket());
    EXPECT_TRUE(r.toPacket().isEmpty());
}

TEST_P(SrvServices, FailingQueryAnswersErrorTextWithCodeZero)
{
    ServiceResult r;
    ASSERT_EQ(getLoja(F, C, r), 0);
    ASSERT_TRUE(r.isPacket());
    db.exec(QStringLiteral("DROP TABLE CONFTELA"));
    EXPECT_EQ(getLoja(F, C, r), 0);
    ASSERT_TRUE(r.isError());
    EXPECT_FALSE(r.isPacket());
    EXPECT_TRUE(r.toText().contains(QLatin1String("conftela"), Qt::CaseInsensitive)) << r.toText().toStdString();

    // The data module goes on working for the other statements.
    ASSERT_EQ(getPesqAmbientes(F, C, r), 0);
    EXPECT_EQ(r.toPacket().rows.size(), 3);
}

// --- Update services -------------------------------------------------------

TEST_P(SrvServices, InsereWritesTableButtonRow)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    ServiceResult r;
    ASSERT_EQ(getInsere(F, C, "09", "Mesa 11", 0.0f, 11571344.0f, "", "1", "11", "3", "4", "01", "1", r), 0);
    ASSERT_TRUE(r.isText());
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_FALSE(inTransaction());

    EXPECT_EQ(buttons("CDFILIAL = '9999' AND NRCONFTELA = '00001' AND IDTPBUTTON = '3' AND NRBUTTON = '09' AND "
                      "NRPGCONFTELA = '1' AND IDTPBUTONAUX = '4' AND NRBUTTONAUX = '01' AND NRPGCONFTAUX = '1' AND "
                      "CDIDENTBUTON = '11' AND DSBUTTON = 'Mesa 11' AND NRCOLORTEXT = 0 AND NRCOLORBACK = 11571344"),
              1);
    // The insertion time is the local wall-clock time.
    const QString stamp = db.scalar(QStringLiteral("SELECT DTULTATUITCT FROM ITMENUCONFTE WHERE CDIDENTBUTON = '11' "
                                                   "AND IDTPBUTTON = '3'"));
    QDateTime t = QDateTime::fromString(stamp.left(19).replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
    ASSERT_TRUE(t.isValid()) << stamp.toStdString();
    EXPECT_GE(t, before.addMSecs(-before.time().msec()));
    EXPECT_LE(t, QDateTime::currentDateTime().addSecs(2));

    ASSERT_EQ(getMesas(F, "00001", "SAL", C, r), 0);
    EXPECT_EQ(column(r, "NRMESA"), numbers(12, 18));
    ASSERT_EQ(getPesqMesas(F, C, "1", "01", r), 0);
    EXPECT_EQ(r.toPacket().rows.size(), 9);

    // The largest colour survives single precision.
    ASSERT_EQ(getInsere(F, C, "10", "Mesa 12", 16777215.0f, 1.0f, "", "1", "12", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(buttons("CDIDENTBUTON = '12' AND NRCOLORTEXT = 16777215 AND NRCOLORBACK = 1"), 1);
}

// A slot, table or area taken meanwhile is a change made elsewhere, not a
// database error for the operator to read.
TEST_P(SrvServices, InsereRefusedByUniqueKeyAnswersChangedElsewhereAndInsertsNothing)
{
    ServiceResult r;
    // Table 1 already stands on button 01 of page 1.
    ASSERT_EQ(getInsere(F, C, "20", "Mesa 01", 0.0f, 11571344.0f, "", "3", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QLatin1String(qdl::kBotaoAlterado)) << r.toText().toStdString();
    EXPECT_EQ(buttons("CDIDENTBUTON = '1' AND IDTPBUTTON = '3'"), 1);
    EXPECT_FALSE(inTransaction());

    // The same slot twice: the primary key refuses it.
    ASSERT_EQ(getInsere(F, C, "01", "Mesa 11", 0.0f, 11571344.0f, "", "1", "11", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QLatin1String(qdl::kBotaoAlterado));
    EXPECT_EQ(buttons("CDIDENTBUTON = '11'"), 0);

    // The module goes on: the next insert is its own transaction.
    ASSERT_EQ(getInsere(F, C, "09", "Mesa 11", 0.0f, 11571344.0f, "", "1", "11", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons("CDIDENTBUTON = '11'"), 1);
}

TEST_P(SrvServices, MudaNomeChangesCaptionOnly)
{
    const QString longCaption = QStringLiteral("Área coberta com vista para o jardim 40");
    ASSERT_EQ(longCaption.size(), 39);
    ServiceResult r;
    ASSERT_EQ(getMudaNome(F, C, "02", "1", longCaption, "4", "0", "0", "0", "Varanda", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(db.scalar("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '4' AND NRBUTTON = '02'"), longCaption);
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '02' AND DTULTATUITCT = '2024-03-15 10:30:00'"), 1);
    EXPECT_EQ(buttons("DSBUTTON = 'Varanda'"), 0);

    // A table button: the page and the parent are part of the key.
    ASSERT_EQ(getMudaNome(F, C, "01", "2", "Janela", "3", "4", "01", "1", "Mesa 09", r), 0);
    EXPECT_EQ(db.scalar("SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE DSBUTTON = 'Janela'"), QStringLiteral("9"));

    // No matching row (another terminal removed the button): nothing
    // changed, and the answer says so.
    ASSERT_EQ(getMudaNome(F, C, "01", "7", "Nada", "3", "4", "01", "1", "Mesa 09", r), 0);
    EXPECT_TRUE(r.isText());
    EXPECT_EQ(r.toText(), QLatin1String(qdl::kBotaoAlterado));
    EXPECT_EQ(buttons("DSBUTTON = 'Nada'"), 0);
}

TEST_P(SrvServices, MudaCorAndMudaFonteChangeDifferentColumns)
{
    const QString key = QStringLiteral("IDTPBUTTON = '3' AND NRBUTTON = '02' AND NRPGCONFTELA = '1' AND "
                                       "NRBUTTONAUX = '01'");
    ServiceResult r;
    ASSERT_EQ(getMudaCor(F, C, "02", "1", "255", "3", "4", "01", "1", "11571344", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons(key + " AND NRCOLORBACK = 255 AND NRCOLORTEXT = 0"), 1);

    const ServiceResult f = getMudaFonte(F, C, "02", "1", "16777215", "3", "4", "01", "1", "0");
    EXPECT_TRUE(f.isText());
    EXPECT_EQ(f.toText(), QString()) << f.toText().toStdString();
    EXPECT_EQ(buttons(key + " AND NRCOLORBACK = 255 AND NRCOLORTEXT = 16777215"), 1);
    // Only that row.
    EXPECT_EQ(buttons("NRCOLORTEXT = 16777215"), 1);
    EXPECT_EQ(buttons("NRCOLORBACK = 255"), 1);

    ASSERT_EQ(getPesqMesas(F, C, "1", "01", r), 0);
    for (const QVariantList& row : r.toPacket().rows)
        if (row[0].toString() == QLatin1String("02")) {
            EXPECT_EQ(row[2].toDouble(), 16777215.0);
            EXPECT_EQ(row[3].toDouble(), 255.0);
        }
}

// A rename or a colour names the value it was made over: another value
// stored since changes nothing and answers "Botao_Alt". A blank caption and
// an empty colour stand for null; colours compare as numbers.
TEST_P(SrvServices, AChangeIsWrittenOnlyOverTheValueRead)
{
    const QString table02 = QStringLiteral("IDTPBUTTON = '3' AND NRBUTTON = '02' AND NRPGCONFTELA = '1' AND "
                                           "NRBUTTONAUX = '01'");
    const QString changedElsewhere = QString::fromLatin1(qdl::kBotaoAlterado);
    ServiceResult r;
    ASSERT_EQ(getMudaCor(F, C, "02", "1", "255", "3", "4", "01", "1", "8421631", r), 0);
    EXPECT_EQ(r.toText(), changedElsewhere);
    ASSERT_EQ(getMudaNome(F, C, "02", "1", "Janela", "3", "4", "01", "1", "Mesa 2", r), 0);
    EXPECT_EQ(r.toText(), changedElsewhere);
    EXPECT_EQ(buttons(table02 + " AND DSBUTTON = 'Mesa 02' AND NRCOLORBACK = 11571344"), 1);

    ASSERT_EQ(getMudaCor(F, C, "02", "1", "255", "3", "4", "01", "1", "11571344.0", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();

    db.exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = NULL, NRCOLORTEXT = NULL WHERE ") + table02);
    EXPECT_EQ(getMudaFonte(F, C, "02", "1", "65280", "3", "4", "01", "1", "0").toText(), changedElsewhere);
    EXPECT_EQ(getMudaFonte(F, C, "02", "1", "65280", "3", "4", "01", "1", "").toText(), QString());
    ASSERT_EQ(getMudaNome(F, C, "02", "1", "Janela", "3", "4", "01", "1", "", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons(table02 + " AND DSBUTTON = 'Janela' AND NRCOLORTEXT = 65280 AND NRCOLORBACK = 255"), 1);
}

TEST_P(SrvServices, NonNumericColourComesBackAsErrorText)
{
    ServiceResult r;
    ASSERT_EQ(getMudaCor(F, C, "02", "1", "azul", "3", "4", "01", "1", "11571344", r), 0);
    EXPECT_TRUE(r.isError()) << r.toText().toStdString();
    EXPECT_FALSE(r.toText().isEmpty());
    EXPECT_FALSE(inTransaction());
    const ServiceResult f = getMudaFonte(F, C, "02", "1", "", "3", "4", "01", "1", "0");
    EXPECT_TRUE(f.isError());
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND NRBUTTON = '02' AND NRPGCONFTELA = '1' AND NRBUTTONAUX = '01' AND "
                      "NRCOLORBACK = 11571344 AND NRCOLORTEXT = 0"),
              1);
    // The connection is usable afterwards (PostgreSQL: the failed transaction was ended).
    ASSERT_EQ(getMudaCor(F, C, "02", "1", "12345", "3", "4", "01", "1", "11571344", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
}

TEST_P(SrvServices, DeletaRemovesOnlyFreeTables)
{
    ServiceResult r = ServiceResult::text(QStringLiteral("stale"));
    // Table 1: status A, auxiliary D.
    ASSERT_EQ(setDeleta(F, C, "01", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON = '1'"), 0);
    EXPECT_FALSE(inTransaction());

    // Table 5 occupied, table 8 reserved.
    ASSERT_EQ(setDeleta(F, C, "05", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    EXPECT_FALSE(r.isError());
    ASSERT_EQ(setDeleta(F, C, "08", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON IN ('5', '8')"), 2);
    EXPECT_FALSE(inTransaction());

    // An inactive table, a table whose area is gone, and no row at all.
    placeTable("09", "1", "01", "19");
    ASSERT_EQ(setDeleta(F, C, "09", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    db.exec("DELETE FROM SALA WHERE CDFILIAL = '9999' AND CDSALA = 'MEZAN'");
    placeTable("10", "1", "01", "57");
    ASSERT_EQ(setDeleta(F, C, "10", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    ASSERT_EQ(setDeleta(F, C, "33", "1", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON IN ('19', '57')"), 2);

    // Page and parent are part of the key: page 2 of the same slot.
    ASSERT_EQ(setDeleta(F, C, "01", "2", "3", "4", "01", "1", r), 0);
    EXPECT_EQ(r.toText(), QString());
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON = '9'"), 0);
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON = '10'"), 1);
}

TEST_P(SrvServices, DelAmbienteRemovesAreaWithTableButtonsOnEveryPage)
{
    placeTable("05", "3", "03", "51");
    ServiceResult r;
    // Balcão: five-character code, tables 49 and 50 on page 1, 51 on page 3.
    ASSERT_EQ(setDelAmbiente(F, C, "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons("NRBUTTON = '03' AND IDTPBUTTON = '4'"), 0);
    EXPECT_EQ(buttons("NRBUTTONAUX = '03'"), 0);
    EXPECT_FALSE(inTransaction());
    // Everything else stays.
    EXPECT_EQ(buttons("1 = 1"), 19 - 3);

    ASSERT_EQ(getAmbientes(F, C, r), 0);
    EXPECT_TRUE(column(r, "CDSALA").contains(QStringLiteral("BALCA")));
}

TEST_P(SrvServices, DelAmbienteWithoutTableButtonsDeletesOnlyAreaButton)
{
    placeArea("04", "TER");
    ServiceResult r;
    ASSERT_EQ(setDelAmbiente(F, C, "TER", "04", "4", "0", "0", "0", "1", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons("CDIDENTBUTON = 'TER'"), 0);
    EXPECT_EQ(buttons("1 = 1"), 19);
}

TEST_P(SrvServices, DelAmbienteRefusesAreaWithOccupiedOrReservedTable)
{
    ServiceResult r;
    // Salão: table 5 occupied (O), table 8 reserved (S).
    ASSERT_EQ(setDelAmbiente(F, C, "SAL", "01", "4", "0", "0", "0", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    EXPECT_FALSE(inTransaction());
    EXPECT_EQ(buttons("NRBUTTONAUX = '01' AND IDTPBUTTON = '3'"), 10);
    EXPECT_EQ(buttons("NRBUTTON = '01' AND IDTPBUTTON = '4'"), 1);

    // Reserved only (S) refuses too, also with the table on another page.
    db.exec("UPDATE MESA SET IDSTMESAAUX = 'D' WHERE CDFILIAL = '9999' AND NRMESA IN ('5', '8', '22')");
    db.exec("UPDATE MESA SET IDSTMESAAUX = 'S' WHERE CDFILIAL = '9999' AND NRMESA = '24'");
    placeTable("06", "4", "02", "25");
    db.exec("UPDATE MESA SET IDSTMESAAUX = 'D' WHERE CDFILIAL = '9999' AND NRMESA = '24'");
    db.exec("UPDATE MESA SET IDSTMESAAUX = 'S' WHERE CDFILIAL = '9999' AND NRMESA = '25'");
    ASSERT_EQ(setDelAmbiente(F, C, "VAR", "02", "4", "0", "0", "0", "1", r), 0);
    EXPECT_EQ(r.toText(), QStringLiteral("Mesa_Ind"));
    EXPECT_EQ(buttons("NRBUTTONAUX = '02'"), 5);

    // Once free, the whole area goes.
    db.exec("UPDATE MESA SET IDSTMESAAUX = 'D' WHERE CDFILIAL = '9999' AND NRMESA = '25'");
    ASSERT_EQ(setDelAmbiente(F, C, "VAR", "02", "4", "0", "0", "0", "1", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons("NRBUTTONAUX = '02' OR (IDTPBUTTON = '4' AND NRBUTTON = '02')"), 0);
}

TEST_P(SrvServices, DelAmbienteFailingLastDeleteLeavesEveryRow)
{
    placeTable("05", "3", "03", "51");
    installFailingTrigger(db, "qdl_falha_area", "DELETE", "ITMENUCONFTE",
                          "OLD.IDTPBUTTON = '4' AND OLD.NRBUTTON = '03'", "falha de teste na exclusão");
    ServiceResult r;
    ASSERT_EQ(setDelAmbiente(F, C, "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
    ASSERT_TRUE(r.isError());
    EXPECT_TRUE(r.toText().contains(QStringLiteral("falha de teste na exclusão"))) << r.toText().toStdString();
    EXPECT_FALSE(inTransaction());
    EXPECT_EQ(buttons("NRBUTTONAUX = '03' AND NRPGCONFTELA IN ('1', '3')"), 3);
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '03'"), 1);

    // A failing table-button delete in the middle undoes the ones before it.
    dropFailingTrigger(db, "qdl_falha_area", "ITMENUCONFTE");
    installFailingTrigger(db, "qdl_falha_mesa", "DELETE", "ITMENUCONFTE", "OLD.CDIDENTBUTON = '50'",
                          "mesa 50 presa");
    ASSERT_EQ(setDelAmbiente(F, C, "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
    ASSERT_TRUE(r.isError());
    EXPECT_EQ(buttons("NRBUTTONAUX = '03' OR (IDTPBUTTON = '4' AND NRBUTTON = '03')"), 4);

    dropFailingTrigger(db, "qdl_falha_mesa", "ITMENUCONFTE");
    ASSERT_EQ(setDelAmbiente(F, C, "BALCA", "03", "4", "0", "0", "0", "1", r), 0);
    EXPECT_EQ(r.toText(), QString()) << r.toText().toStdString();
    EXPECT_EQ(buttons("NRBUTTONAUX = '03' OR (IDTPBUTTON = '4' AND NRBUTTON = '03')"), 0);
}

TEST_P(SrvServices, FailingUpdateIsRolledBack)
{
    installFailingTrigger(db, "qdl_falha_nome", "UPDATE", "ITMENUCONFTE", "NEW.DSBUTTON = 'Proibido'",
                          "nome recusado");
    ServiceResult r;
    ASSERT_EQ(getMudaNome(F, C, "01", "1", "Proibido", "4", "0", "0", "0", "Salão Principal", r), 0);
    ASSERT_TRUE(r.isError());
    EXPECT_TRUE(r.toText().contains(QLatin1String("nome recusado"))) << r.toText().toStdString();
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '01' AND DSBUTTON = 'Salão Principal'"), 1);
    EXPECT_FALSE(inTransaction());
}

// --- Data module -----------------------------------------------------------

TEST_P(SrvServices, TransactionOperationsTrackOneTransaction)
{
    // None open: nothing happens, nothing is reported.
    EXPECT_NO_THROW(rdmConfMesa->Commit());
    EXPECT_NO_THROW(rdmConfMesa->Rollback());
    EXPECT_FALSE(inTransaction());

    rdmConfMesa->StartTrans();
    EXPECT_TRUE(inTransaction());
    // A second StartTrans joins the open transaction (on SQLite a second
    // BEGIN would fail).
    EXPECT_NO_THROW(rdmConfMesa->StartTrans());
    // A write as the screen makes it (on PostgreSQL, through the owner's operation).
    const auto rename = [this](const char* caption) {
        return execOnDataModule(
            QString::fromUtf8(db.isPostgres() ? "SELECT qdl_acmmudanome('%1', '9999', '00001', '4', '01', '0', '0', '1', '0', 'Salão Principal')"
                                              : "UPDATE ITMENUCONFTE SET DSBUTTON = '%1' WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'")
                .arg(QString::fromUtf8(caption)));
    };
    ASSERT_TRUE(rename("temporário"));
    rdmConfMesa->Rollback();
    EXPECT_FALSE(inTransaction());
    EXPECT_EQ(buttons("DSBUTTON = 'temporário'"), 0);

    rdmConfMesa->StartTrans();
    ASSERT_TRUE(rename("gravado"));
    rdmConfMesa->Commit();
    EXPECT_FALSE(inTransaction());
    EXPECT_EQ(buttons("DSBUTTON = 'gravado'"), 1);
    EXPECT_NO_THROW(rdmConfMesa->Commit());
}

TEST_P(SrvServices, SecondDataModuleOpensNewConnectionWithBothEvents)
{
    const QString firstConnection = dataModuleSession();
    ASSERT_FALSE(firstConnection.isEmpty());
    session.reset();
    EXPECT_EQ(rdmConfMesa, nullptr);

    // The next module reads the connection string again: point it elsewhere.
    TestDatabase other = TestDatabase::create(GetParam(), false);
    other.exec(QStringLiteral("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('9999', '00001', '77')"));
    session = std::make_unique<ServiceSession>(other);
    EXPECT_NE(dataModuleSession(), firstConnection);
    ServiceResult r;
    ASSERT_EQ(getLoja(F, C, r), 0);
    EXPECT_EQ(column(r, "CDLOJA"), QStringList({"77"}));

    // The session was prepared on the new connection.
    {
        SqlQuery q(*rdmConfMesa->adcConfigMesa);
        if (db.isSqlite()) {
            ASSERT_TRUE(q.exec("PRAGMA foreign_keys") && q.next());
            EXPECT_EQ(q.value(0).toInt(), 1);
            // The wait for a busy file is the session's own busy handler,
            // which PRAGMA busy_timeout does not show: the outage tests hold
            // the file and time the wait.
            ASSERT_TRUE(q.exec("PRAGMA journal_mode") && q.next());
            EXPECT_EQ(q.value(0).toString().toLower(), QStringLiteral("wal"));
            ASSERT_TRUE(q.exec("PRAGMA synchronous") && q.next());
            EXPECT_EQ(q.value(0).toInt(), 2); // FULL
        } else {
            ASSERT_TRUE(q.exec("SHOW application_name") && q.next());
            EXPECT_EQ(q.value(0).toString(), QStringLiteral("quadrel-qdl00005"));
        }
        q.finish();
    }
    session.reset();
    other.drop();
}

// A session that dies inside the service's transaction: the server has
// rolled it back, the handle says no transaction is open, and the failure
// reaches the caller as the error text with code 0; the next call opens the
// session again.
TEST_P(SrvServices, ASessionLostInsideTheTransactionIsAnErrorTextAndNothingIsWritten)
{
    if (!db.isPostgres())
        GTEST_SKIP() << "needs a connection that dies inside a transaction (PostgreSQL)";
    endSessionOnUpdate();
    ServiceResult r;
    // The server's last words may not get out before the socket closes: the
    // outcome is then unknown to the client, and said so. Never "done".
    const auto notDone = [](const ServiceResult& answer) {
        return answer.isError() || answer.toText() == QLatin1String(qdl::kGravacaoIncerta);
    };
    EXPECT_EQ(getMudaCor(F, C, "02", "1", "1", "3", "4", "01", "1", "11571344", r), 0);
    EXPECT_TRUE(notDone(r)) << r.toText().toStdString();
    EXPECT_FALSE(inTransaction());
    const ServiceResult fonte = getMudaFonte(F, C, "02", "1", "1", "3", "4", "01", "1", "0");
    EXPECT_TRUE(notDone(fonte)) << fonte.toText().toStdString();
    EXPECT_FALSE(inTransaction());
    EXPECT_EQ(buttons("NRCOLORBACK = 1 OR NRCOLORTEXT = 1"), 0);

    db.exec(QStringLiteral("DROP TRIGGER qdl_morre ON ITMENUCONFTE"));
    ASSERT_EQ(getMudaCor(F, C, "02", "1", "1", "3", "4", "01", "1", "11571344", r), 0);
    EXPECT_FALSE(r.isError()) << r.toText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Db, SrvServices, ::testing::ValuesIn(testBackends()), backendName);

// --- Without a database ------------------------------------------------------

TEST(SrvWithoutDataModule, ServicesAnswerErrorText)
{
    ASSERT_EQ(rdmConfMesa, nullptr);
    ServiceResult r;
    EXPECT_EQ(getLoja(F, C, r), 0);
    EXPECT_TRUE(r.isError());
    EXPECT_EQ(setDeleta(F, C, "01", "1", "3", "4", "01", "1", r), 0);
    EXPECT_TRUE(r.isError());
    EXPECT_TRUE(getMudaFonte(F, C, "01", "1", "0", "3", "4", "01", "1", "0").isError());
}

} // namespace

QDL_TEST_MAIN()

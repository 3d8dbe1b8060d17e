// Many terminals on one database, briefly: qdl-load's worker processes run
// about twenty terminals for ten seconds on a chain (SQLite and PostgreSQL);
// afterwards every write a terminal was told was done must be in the
// database, once, and nothing it did not write; the layout check must be
// clean. The check itself is shown to find a write lost, a row left behind
// and a colour that is not the last one written.
//
// Timing goals are the benchmark's (BENCHMARKS.md), not this test's.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>
#include <vector>

#include "adoconnection.h"
#include "benchdata.h"
#include "checkcommand.h"
#include "connection.h"
#include "consistency.h"
#include "dbfixture.h"
#include "pgservers.h"
#include "loadengine.h"
#include "testmain.h"

namespace {

constexpr int kTerminals = 20;
constexpr int kWorkers = 3;

class LoadTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        ASSERT_TRUE(dir.isValid());
        if (GetParam() == u"sqlite")
            connection = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("load.db"));
        else
            connection = qdlbench::withDatabase(qEnvironmentVariable("QDL_PG_URL"),
                                                QStringLiteral("qdl_load_%1").arg(QCoreApplication::applicationPid()));
        qdlbench::resetDatabase(connection);
        qdlload::generate(connection, kTerminals, 2000, 1);
        qdlload::freeTables(connection, kTerminals);
        terminals = connection;
        if (GetParam() == u"postgresql") {
            // The terminals connect as a terminal role of the chain's
            // branches; the test checks as the schema's owner.
            QStringList branches;
            withConnection(connection, [&](TADOConnection& db) {
                SqlQuery q(db);
                EXPECT_TRUE(q.exec("SELECT DISTINCT CDFILIAL FROM LOJA")) << errorText(q.lastError());
                while (q.next())
                    branches << q.value(0).toString();
            });
            terminals = grantTestTerminalAt(connection, branches);
        }
    }

    void TearDown() override
    {
        // The test's own connection goes with its database.
        own.reset();
        if (GetParam() == u"postgresql" && !connection.isEmpty()) {
            qdlbench::resetDatabase(connection); // empties it; then dropped through the server's own database
            TADOConnection admin;
            admin.ConnectionString = qdlbench::withDatabase(connection, QStringLiteral("postgres"));
            try {
                admin.setConnected(true);
                admin.execute(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)")
                                  .arg(QStringLiteral("qdl_load_%1").arg(QCoreApplication::applicationPid())),
                              QStringLiteral("DROP DATABASE"));
            } catch (const std::exception& e) {
                ADD_FAILURE() << "the test's database stays: " << ADOExceptionMessage(e, &admin, QString()).toStdString();
            }
        }
    }

    // The workers of one run, started as qdl-load starts them; their
    // results merged.
    qdlload::WorkerResult run(double seconds, double thinkMs)
    {
        std::vector<std::unique_ptr<QProcess>> procs;
        for (int i = 0; i < kWorkers; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(qEnvironmentVariable("QDL_BUILD_DIR") + QStringLiteral("/bin/qdl-load"),
                     {QStringLiteral("--database"), terminals, QStringLiteral("--terminals"),
                      QString::number(kTerminals), QStringLiteral("--workers"), QString::number(kWorkers),
                      QStringLiteral("--worker"), QString::number(i), QStringLiteral("--seconds"),
                      QString::number(seconds), QStringLiteral("--think"), QString::number(thinkMs),
                      QStringLiteral("--result"), dir.filePath(QStringLiteral("w%1").arg(i))});
            procs.push_back(std::move(p));
        }
        for (auto& p : procs) {
            while (!p->canReadLine())
                if (!p->waitForReadyRead(120000))
                    ADD_FAILURE() << "a worker did not open its terminals";
            p->readLine();
        }
        for (auto& p : procs)
            p->write("go\n");
        qdlload::WorkerResult all;
        for (int i = 0; i < kWorkers; ++i) {
            EXPECT_TRUE(procs[size_t(i)]->waitForFinished(int(seconds * 1000) + 120000));
            EXPECT_EQ(procs[size_t(i)]->exitCode(), 0);
            qdlload::WorkerResult r;
            EXPECT_TRUE(qdlload::readResult(dir.filePath(QStringLiteral("w%1").arg(i)), r));
            qdlload::merge(all, r);
        }
        return all;
    }

    int layoutCheck()
    {
        QString text;
        QTextStream out(&text);
        const int status = runLayoutCheck(connection, out);
        if (status != 0)
            ADD_FAILURE() << text.toStdString();
        return status;
    }

    // Runs a statement on a connection of the test's own; answers the rows it changed.
    int exec(const QString& sql)
    {
        if (!own) {
            own = std::make_unique<TADOConnection>();
            own->ConnectionString = connection;
        }
        if (!own->Connected()) {
            try {
                own->setConnected(true);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "cannot open " << connection.toStdString() << ": "
                              << ADOExceptionMessage(e, own.get(), QString()).toStdString();
                return -1;
            }
        }
        SqlQuery q(*own);
        if (!q.exec(sql))
            ADD_FAILURE() << sql.toStdString() << ": " << errorText(q.lastError());
        const int changed = q.numRowsAffected();
        q.finish();
        return changed;
    }

    QTemporaryDir dir;
    QString connection; // the schema's owner
    QString terminals;  // what the terminals connect as
    std::unique_ptr<TADOConnection> own; // the test's own, opened at its first statement
};

TEST_P(LoadTest, EveryCountedWriteIsThereOnceAndTheLayoutStaysConsistent)
{
    const qdlload::WorkerResult r = run(10, 100);

    // The run did what an operator's mix does, on every terminal.
    EXPECT_EQ(r.areas.size(), kTerminals);
    EXPECT_EQ(r.shared.size(), 2); // branches of terminals 0 and 1, 10 and 11
    for (const char* service : {"getPesqAmbientes", "getPesqMesas", "getMesas", "getInsere", "getMudaNome",
                                "getMudaCor", "getMudaFonte", "setDeleta", "setDelAmbiente"})
        EXPECT_GT(r.serviceUs.value(QLatin1String(service)).size(), 0) << service;
    EXPECT_GT(r.counters.writes, 200);
    // Each terminal keeps to its own area: nothing is refused, nothing has
    // gone from under it, and the database answered every call.
    EXPECT_EQ(r.counters.dbErrors, 0) << r.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(r.counters.mesaInd, 0) << r.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(r.counters.botaoAlt, 0) << r.errors.join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(qdlload::verify(connection, r.areas, r.shared), QStringList());
    EXPECT_EQ(layoutCheck(), 0);

    // The comparison finds what a lost or stray write would leave. A table
    // button a terminal placed is removed behind its back ...
    const qdlload::AreaState* area = nullptr;
    for (const qdlload::AreaState& a : r.areas)
        if (!area && a.rows.size() > 1)
            area = &a;
    ASSERT_NE(area, nullptr);
    const qdlload::Button& table = area->rows.last();
    ASSERT_EQ(table.type, QStringLiteral("3"));
    ASSERT_EQ(exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE CDFILIAL = '%1' AND NRCONFTELA = '00001' AND "
                                  "IDTPBUTTON = '3' AND CDIDENTBUTON = '%2'")
                       .arg(area->branch, table.ident)),
              1);
    QStringList differences = qdlload::verify(connection, r.areas, r.shared);
    ASSERT_EQ(differences.size(), 1) << differences.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(differences[0].contains(QStringLiteral("missing"))) << differences[0].toStdString();

    // ... and put back twice over, on another slot: one row too many.
    exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
                        "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) "
                        "VALUES ('%1', '00001', '3', '%2', '%3', '%4', %5, %6, '', '4', '%7', '%8', '1')")
             .arg(area->branch, table.number, table.ident, table.caption)
             .arg(table.text)
             .arg(table.back)
             .arg(area->areaButton, table.page));
    exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
                        "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX) "
                        "VALUES ('%1', '00001', '3', '%2', 'X%3', '%4', %5, %6, '', '4', '%7', '9', '1')")
             .arg(area->branch, table.number, table.ident.left(9), table.caption)
             .arg(table.text)
             .arg(table.back)
             .arg(area->areaButton));
    differences = qdlload::verify(connection, r.areas, r.shared);
    ASSERT_EQ(differences.size(), 1) << differences.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(differences[0].contains(QStringLiteral("not written by it"))) << differences[0].toStdString();

    // The two terminals' common row with a colour neither wrote last.
    exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRCOLORBACK = 16777216 WHERE CDFILIAL = '%1' AND "
                        "NRCONFTELA = '00001' AND IDTPBUTTON = '4' AND NRBUTTON = '%2'")
             .arg(r.shared[0].branch, r.shared[0].button));
    differences = qdlload::verify(connection, r.areas, r.shared);
    ASSERT_EQ(differences.size(), 2) << differences.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(differences[1].contains(QStringLiteral("not the last one written"))) << differences[1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Db, LoadTest, ::testing::ValuesIn(testBackends()), backendName);

} // namespace

QDL_TEST_MAIN()

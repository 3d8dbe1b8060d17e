// Round trips to a PostgreSQL server far from the terminal: the screen's
// opening, a lookup, a rename and colour changes, counted by the delaying
// relay of bench/ (with no delay: counts, not times); and what a statement
// the server refuses still answers when its preparation, the transaction's
// BEGIN or its COMMIT travels with it.

#include <QTest>
#include <QUrl>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "connection.h"
#include "dbfixture.h"
#include "delayproxy.h"
#include "layoutfile.h"
#include "screensession.h"
#include "testmain.h"

namespace {

class RoundTrips : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(QStringLiteral("postgresql"));
        db = std::make_unique<TestDatabase>(TestDatabase::create(QStringLiteral("postgresql")));
        QUrl url(db->connectionString);
        proxy = std::make_unique<DelayProxy>(url.host().toStdString(), url.port(5432), 0);
        proxy->onRoundTrip = [this](int connection, const std::string&) {
            std::lock_guard lock(burstsMutex);
            ++bursts[connection];
        };
        const int port = proxy->start();
        ASSERT_GT(port, 0);
        url.setPort(port);
        proxied = url.toString();
        setConnectionStringOverride(proxied);
    }

    void TearDown() override
    {
        closeScreen();
        setConnectionStringOverride(QString());
        if (proxy)
            proxy->stop();
        if (db)
            db->drop();
    }

    // The screen's start-up as the entry runs it; answers the round trips of
    // the connections it opened (the handshake and every burst), so that the
    // goodbye of a screen closed before, counted late, is not among them.
    std::int64_t openScreen()
    {
        const int firstNew = int(proxy->connections()) + 1;
        frmConfMesa = new TfrmConfMesa(nullptr);
        frmConfMesa->InicializaForm({}, -1);
        std::int64_t trips = proxy->connections() - firstNew + 1;
        std::lock_guard lock(burstsMutex);
        for (const auto& [connection, count] : bursts)
            if (connection >= firstNew)
                trips += count;
        return trips;
    }

    void closeScreen()
    {
        delete frmConfMesa;
        frmConfMesa = nullptr;
        delete rdmConfMesa;
        rdmConfMesa = nullptr;
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<DelayProxy> proxy;
    QString proxied; // the terminal role's connection string, through the proxy
    std::mutex burstsMutex;
    std::map<int, std::int64_t> bursts; // by connection
};

TEST_F(RoundTrips, OpeningAndClicksStayWithinTheirCounts)
{
    // The TCP handshake, the start-up (the session's settings go with it;
    // no TLS asked of a server on this machine), then one batch: the
    // watch's LISTEN with its look at the notify trigger, and the three
    // start-up reads, each prepared with its run.
    const std::int64_t opening = openScreen();
    std::printf("QDL-FIGURE round-trips-opening=%lld\n", static_cast<long long>(opening));
    EXPECT_LE(opening, 3);
    EXPECT_FALSE(frmConfMesa->areaButton(1)->text().trimmed().isEmpty()) << "the screen shows the stored layout";

    // Selecting another area, by a tap: its button and its page of tables
    // read in one round trip.
    std::int64_t before = proxy->roundTrips();
    tapCentre(frmConfMesa->areaButton(2));
    EXPECT_EQ(proxy->roundTrips() - before, 1);
    EXPECT_EQ(frmConfMesa->stNrFocusAmb, QStringLiteral("02"));

    // An area's lookup, prepared with its first run: one round trip.
    ServiceResult lookup;
    before = proxy->roundTrips();
    ASSERT_EQ(getAmbNrbuton("9999", "00001", "4", "0", "0", "0", "01", "1", lookup), 0);
    EXPECT_EQ(proxy->roundTrips() - before, 1);
    ASSERT_TRUE(lookup.isPacket()) << lookup.toText().toStdString();
    ASSERT_FALSE(lookup.toPacket().rows.isEmpty());
    EXPECT_TRUE(lookup.toPacket().columns.contains(QStringLiteral("CDSALA")));

    // A rename: BEGIN, the update (prepared with its run) and COMMIT in one.
    ServiceResult renamed;
    before = proxy->roundTrips();
    ASSERT_EQ(getMudaNome("9999", "00001", "01", "1", "Salão Novo", "4", "0", "0", "0", "Salão Principal", renamed), 0);
    EXPECT_EQ(proxy->roundTrips() - before, 1);
    EXPECT_EQ(renamed.toText(), QString());
    EXPECT_EQ(db->scalar("SELECT DSBUTTON FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' "
                         "AND IDTPBUTTON = '4' AND NRBUTTON = '01'"),
              QStringLiteral("Salão Novo"));

    // Run again, a prepared statement is one round trip, its columns the same.
    before = proxy->roundTrips();
    ASSERT_EQ(getAmbNrbuton("9999", "00001", "4", "0", "0", "0", "01", "1", lookup), 0);
    EXPECT_EQ(proxy->roundTrips() - before, 1);
    EXPECT_TRUE(lookup.toPacket().columns.contains(QStringLiteral("CDSALA")));

    // The session is named from the start-up message, not by a statement.
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM pg_stat_activity WHERE application_name = 'quadrel-qdl00005' "
                         "AND datname = current_database() AND pid <> pg_backend_pid()"),
              QStringLiteral("1"));
}

// A change the server refuses while its COMMIT travels with it: the COMMIT is
// not run, the transaction is rolled back, nothing is written, and the next
// change goes through on the same session.
TEST_F(RoundTrips, AChangeRefusedWithItsCommitAlongsideLeavesNothingBehind)
{
    openScreen();
    const auto name = [&] {
        return db->scalar("SELECT DSBUTTON FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' "
                          "AND IDTPBUTTON = '4' AND NRBUTTON = '02'");
    };
    const QString stored = name();
    ServiceResult answer;
    ASSERT_EQ(getMudaNome("9999", "00001", "02", "1", QString(41, QLatin1Char('x')), "4", "0", "0", "0", stored, answer), 0);
    EXPECT_TRUE(answer.isError()) << "a name longer than the column is refused";
    EXPECT_FALSE(rdmConfMesa->adcConfigMesa->InTransaction());
    EXPECT_EQ(name(), stored);

    // Three colours, each its own transaction and one round trip.
    const std::int64_t before = proxy->roundTrips();
    const std::pair<const char*, const char*> buttons[] = {{"01", "11571344"}, {"02", "11571344"}, {"03", "49151"}};
    for (const auto& [button, read] : buttons) {
        ASSERT_EQ(getMudaCor("9999", "00001", button, "1", "255", "4", "0", "0", "0", read, answer), 0);
        EXPECT_EQ(answer.toText(), QString()) << button;
    }
    EXPECT_EQ(proxy->roundTrips() - before, 3);
    EXPECT_FALSE(rdmConfMesa->adcConfigMesa->InTransaction());
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = '00001' "
                         "AND IDTPBUTTON = '4' AND NRBUTTON IN ('01','02','03') AND NRCOLORBACK = 255"),
              QStringLiteral("3"));

    // A change of a button no longer there answers so; nothing stays open.
    ASSERT_EQ(getMudaCor("9999", "00001", "77", "1", "255", "4", "0", "0", "0", "11571344", answer), 0);
    EXPECT_EQ(answer.toText(), QStringLiteral("Botao_Alt"));
    EXPECT_FALSE(rdmConfMesa->adcConfigMesa->InTransaction());
}

TEST_F(RoundTrips, AStatementTheServerRefusesAnswersAsItsPreparation)
{
    openScreen();
    ASSERT_TRUE(db->exec("ALTER TABLE MESA RENAME COLUMN NMMESA TO NMMESA_OUTRO"));
    ServiceResult tables;
    ASSERT_EQ(getMesas("9999", "00001", "SAL", "00001", tables), 0);
    ASSERT_TRUE(tables.isError());
    EXPECT_TRUE(tables.toText().startsWith(QStringLiteral("Erro ao preparar o comando para "))) << tables.toText().toStdString();
    EXPECT_TRUE(tables.toText().contains(QStringLiteral("(adqMesas)"))) << tables.toText().toStdString();
    EXPECT_TRUE(tables.toText().contains(QStringLiteral("nmmesa"))) << tables.toText().toStdString();

    // Put back, the same statement is prepared again and answers.
    ASSERT_TRUE(db->exec("ALTER TABLE MESA RENAME COLUMN NMMESA_OUTRO TO NMMESA"));
    ASSERT_EQ(getMesas("9999", "00001", "SAL", "00001", tables), 0);
    ASSERT_TRUE(tables.isPacket()) << tables.toText().toStdString();
    EXPECT_TRUE(tables.toPacket().columns.contains(QStringLiteral("NMMESA")));
}

// What the opening read ahead is taken only by the next run with the same
// values and no round trip between: after one, the store is read again and
// shows what was committed meanwhile.
TEST_F(RoundTrips, AnAnswerReadAheadIsTakenOnlyWhileNothingCameBetween)
{
    openScreen();
    const auto areaName = [](const ServiceResult& areas) {
        return areas.toPacket().rows.value(0).value(areas.toPacket().columns.indexOf(QStringLiteral("DSBUTTON"))).toString();
    };
    rdmConfMesa->readLayoutAhead("9999", "00001", "1", "01");
    ASSERT_TRUE(db->exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Renomeado Fora' WHERE CDFILIAL = '9999' "
                         "AND NRCONFTELA = '00001' AND IDTPBUTTON = '4' AND NRBUTTON = '01'"));
    ServiceResult areas;
    std::int64_t before = proxy->roundTrips();
    ASSERT_EQ(getPesqAmbientes("9999", "00001", areas), 0);
    EXPECT_EQ(proxy->roundTrips() - before, 0) << "taken from the batch";
    EXPECT_NE(areaName(areas), QStringLiteral("Renomeado Fora"));

    rdmConfMesa->readLayoutAhead("9999", "00001", "1", "01");
    ServiceResult page;
    ASSERT_EQ(getPesqMesas("9999", "00001", "2", "01", page), 0); // other values: a round trip of its own
    before = proxy->roundTrips();
    ASSERT_EQ(getPesqAmbientes("9999", "00001", areas), 0);
    EXPECT_EQ(proxy->roundTrips() - before, 1);
    EXPECT_EQ(areaName(areas), QStringLiteral("Renomeado Fora"));
}

// The watch's LISTEN goes ahead of the opening's reads: a change another
// session commits after them, before the watch starts, is still heard.
TEST_F(RoundTrips, AChangeCommittedRightAfterTheOpeningReadsIsHeard)
{
    rdmConfMesa = new TrdmConfMesa(nullptr);
    rdmConfMesa->adcConfigMesa->setConnected(true);
    rdmConfMesa->readLayoutAhead("9999", "00001", "1", "01");
    ServiceResult answer;
    ASSERT_EQ(getLoja("9999", "00001", answer), 0);
    ASSERT_EQ(getPesqAmbientes("9999", "00001", answer), 0);
    ASSERT_EQ(getPesqMesas("9999", "00001", "1", "01", answer), 0);
    ASSERT_TRUE(db->exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Mudado Agora' WHERE CDFILIAL = '9999' "
                         "AND NRCONFTELA = '00001' AND IDTPBUTTON = '4' AND NRBUTTON = '01'"));
    bool heard = false;
    rdmConfMesa->watchLayout("9999", "00001", [&heard] { heard = true; });
    EXPECT_TRUE(QTest::qWaitFor([&heard] { return heard; }, 5000));
}

// An import sends a branch's writes ahead, together: its round trips do not
// grow with the buttons it writes.
TEST_F(RoundTrips, AnImportWritesItsButtonsTogether)
{
    ASSERT_TRUE(db->exec("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('9999', '00003', '00001')"));
    TADOConnection connection;
    connection.ConnectionString = proxied;
    connection.setConnected(true);
    const QList<ButtonRow> central = readLayout(connection, "9999", "00001");
    const std::int64_t before = proxy->roundTrips();
    const LayoutChanges changes = applyLayout(connection, "9999", "00003", central, false);
    const std::int64_t trips = proxy->roundTrips() - before;
    ASSERT_TRUE(changes.written) << changes.problems.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(changes.added.size(), 19);
    EXPECT_LE(trips, 20);
    EXPECT_EQ(db->countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND NRCONFTELA = '00003'"),
              changes.added.size());
}

// A roll-out reads its branches in one round trip and writes them in
// another, each branch in a transaction of its own that the server refuses
// when the branch changed since it was read: that branch is then applied
// alone, on what it holds now.
TEST_F(RoundTrips, ARollOutGoesTogetherAndRereadsABranchChangedMeanwhile)
{
    db->grantTerminalBranches({QStringLiteral("9999"), QStringLiteral("0001"), QStringLiteral("0002")});
    TADOConnection connection;
    connection.ConnectionString = proxied;
    connection.setConnected(true);
    QList<ButtonRow> central = readLayout(connection, "9999", "00001");
    const QStringList branches{QStringLiteral("0001"), QStringLiteral("0002")};
    {
        // A branch without the configuration, between them, is left to be
        // told alone.
        LayoutRollout first(connection, "00001", central, false);
        const std::int64_t before = proxy->roundTrips();
        first.writeTogether({branches[0], QStringLiteral("0404"), branches[1]});
        for (const QString& branch : branches)
            ASSERT_TRUE(first.apply(branch).written);
        EXPECT_LE(proxy->roundTrips() - before, 3); // the schema's version, the reads, the writes
    }

    // The second roll-out renames the first area button; while its writes
    // travel, a screen renames the second in 0001.
    central[0].caption = QStringLiteral("Salão novo");
    std::atomic<bool> changed = false;
    proxy->onRoundTrip = [&](int, const std::string& burst) {
        if (burst.find("QDL_EXIGE") != std::string::npos && !changed.exchange(true))
            db->exec("UPDATE ITMENUCONFTE SET DSBUTTON = 'Mudado' WHERE CDFILIAL = '0001' AND NRCONFTELA = '00001' "
                     "AND IDTPBUTTON = '4' AND NRBUTTON = '02'");
    };
    LayoutRollout second(connection, "00001", central, false);
    second.writeTogether(branches);
    ASSERT_TRUE(changed);
    EXPECT_EQ(second.apply("0002").changed.size(), 1);
    const LayoutChanges reread = second.apply("0001");
    EXPECT_EQ(reread.changed.size(), 2) << reread.changed.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(db->countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '0001' AND DSBUTTON = 'Mudado'"), 0);

    // A screen holding 0001's layout locked holds up 0001 alone, and only
    // until it lets go: 0002 is written together meanwhile.
    central[0].caption = QStringLiteral("Salão de novo");
    TADOConnection screen;
    screen.ConnectionString = db->ownerConnectionString;
    screen.setConnected(true);
    screen.BeginTrans();
    screen.execute("SELECT 1 FROM ITMENUCONFTE WHERE CDFILIAL = '0001' AND NRCONFTELA = '00001' FOR UPDATE", "lock");
    LayoutRollout third(connection, "00001", central, false);
    third.writeTogether(branches);
    const std::int64_t before = proxy->roundTrips();
    EXPECT_EQ(third.apply("0002").changed.size(), 1);
    EXPECT_EQ(proxy->roundTrips(), before);
    screen.RollbackTrans();
    EXPECT_EQ(third.apply("0001").changed.size(), 1);
}

} // namespace

QDL_TEST_MAIN()

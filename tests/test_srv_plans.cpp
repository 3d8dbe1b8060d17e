// How the statements reach their rows, on a chain of restaurants: no
// statement reads ITMENUCONFTE or MESA whole, and every read of them stays
// inside one branch (the index is entered with CDFILIAL and more), so a
// service costs the same for a chain of four hundred branches as for one and
// for a large branch as for a small one. And the button lookups answer with
// their own branch's rows only.

#include <QRegularExpression>

#include "Srv_qdl00005.h"
#include "adoquery.h"
#include "dbfixture.h"
#include "statements.h"
#include "testmain.h"

namespace {

constexpr int kChainBranches = 400;

// The values the screen binds for branch 9999 (area button 01, page 1).
QString valueOf(const QString& parameter)
{
    static const QHash<QString, QString> values = {
        {"P_CDFILIAL", "9999"}, {"P_NRCONFTELA", "00001"}, {"P_IDTPBUTTON", "3"},  {"P_NRBUTTON", "01"},
        {"P_NRPGCONFTELA", "1"}, {"P_IDTPBUTONAUX", "4"},  {"P_NRBUTTONAUX", "01"}, {"P_NRPGCONFTAUX", "1"},
        {"P_CDLOJA", "00001"},  {"P_CDSALA", "SAL"},       {"P_CDIDENTBUTON", "1"}, {"P_DSBUTTON", "Mesa"},
        {"P_NRCOLORTEXT", "0"}, {"P_NRCOLORBACK", "11571344"}, {"P_DSMESSAGEBUT", ""},
        {"P_DTULTATUITCT", "2024-01-01 00:00:00"}};
    return values.value(parameter, QStringLiteral("1"));
}

// The statement's placeholder names, each once, as the data layer finds them.
QStringList parametersOf(const QString& sql)
{
    QStringList names;
    qdl::positionalSql(sql, &names);
    return names;
}

// SQLite: a SCAN of the button or table rows (under any of the statements'
// names for them) is a full pass, of the table or of an index; a SEARCH must
// enter its index with the branch and something more, and not through an
// index built on the fly.
QString sqliteFault(const QStringList& plan)
{
    static const QRegularExpression watched(QStringLiteral("\\b(SCAN|SEARCH) (ITMENUCONFTE|MESA|M|I|IT)\\b"));
    for (const QString& line : plan) {
        const QRegularExpressionMatch m = watched.match(line);
        if (!m.hasMatch())
            continue;
        if (m.captured(1) == u"SCAN")
            return QStringLiteral("full scan: ") + line;
        if (line.contains(QLatin1String("AUTOMATIC")))
            return QStringLiteral("index built on the fly (a full scan): ") + line;
        if (!line.contains(QLatin1String("(CDFILIAL=")))
            return QStringLiteral("not bounded by the branch: ") + line;
        if (line.contains(QLatin1String("(CDFILIAL=?)")))
            return QStringLiteral("reads the whole branch: ") + line;
    }
    return {};
}

// PostgreSQL: no sequential scan of the two tables, and every index scan on
// them has CDFILIAL and another column in its index condition.
QString postgresFault(const QStringList& plan, const QSet<QString>& watchedIndexes)
{
    static const QRegularExpression seqScan(QStringLiteral("Seq Scan on (itmenuconfte|mesa)\\b"));
    static const QRegularExpression indexScan(
        QStringLiteral("(?:Index Scan|Index Only Scan) using (\\w+) on|Bitmap Index Scan on (\\w+)"));
    const QString text = plan.join(QLatin1Char('\n'));
    if (text.contains(seqScan))
        return QStringLiteral("sequential scan");
    for (const QString& node : text.split(QStringLiteral("->"))) {
        const QRegularExpressionMatch m = indexScan.match(node);
        if (!m.hasMatch())
            continue;
        const QString index = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        if (!watchedIndexes.contains(index))
            continue;
        const qsizetype cond = node.indexOf(QLatin1String("Index Cond:"));
        if (cond < 0)
            return QStringLiteral("whole index %1 read").arg(index);
        const QString condition = node.mid(cond).section(QLatin1Char('\n'), 0, 0);
        if (!condition.contains(QLatin1String("cdfilial")))
            return QStringLiteral("index %1 not entered with the branch").arg(index);
        if (!condition.contains(QLatin1String(" AND ")))
            return QStringLiteral("index %1 entered with the branch alone: it reads the whole branch").arg(index);
    }
    return {};
}

class ChainPlans : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam());
        copyDemoBranch();
    }
    void TearDown() override { db.drop(); }

    // Branches 1000 to 1399, each a copy of the demo branch 9999: the same
    // configuration numbers, buttons, areas and tables, as in a real chain.
    void copyDemoBranch()
    {
        QStringList codes;
        for (int i = 0; i < kChainBranches; ++i)
            codes << QStringLiteral("('%1')").arg(1000 + i);
        ASSERT_TRUE(db.exec("CREATE TABLE QDL_CHAIN (CDFILIAL VARCHAR(4) NOT NULL)"));
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO QDL_CHAIN (CDFILIAL) VALUES ") + codes.join(", ")));
        const char* const copies[] = {
            "INSERT INTO LOJA SELECT C.CDFILIAL, T.CDLOJA, T.NRMESAPADRAO FROM LOJA T, QDL_CHAIN C "
            "WHERE T.CDFILIAL = '9999'",
            "INSERT INTO CONFTELA SELECT C.CDFILIAL, T.NRCONFTELA, T.CDLOJA FROM CONFTELA T, QDL_CHAIN C "
            "WHERE T.CDFILIAL = '9999'",
            "INSERT INTO SALA SELECT C.CDFILIAL, T.CDSALA, T.NMSALA, T.IDSITSALA FROM SALA T, QDL_CHAIN C "
            "WHERE T.CDFILIAL = '9999'",
            "INSERT INTO MESA SELECT C.CDFILIAL, T.CDLOJA, T.NRMESA, T.CDSALA, T.NMMESA, T.IDSTMESA, T.IDSTMESAAUX, "
            "T.NRPESSOAMESA, T.DSPOSICMESA FROM MESA T, QDL_CHAIN C WHERE T.CDFILIAL = '9999'",
            "INSERT INTO ITMENUCONFTE SELECT C.CDFILIAL, T.NRCONFTELA, T.IDTPBUTTON, T.NRBUTTON, T.CDIDENTBUTON, "
            "T.DSBUTTON, T.NRCOLORTEXT, T.NRCOLORBACK, T.DSMESSAGEBUT, T.IDTPBUTONAUX, T.NRBUTTONAUX, "
            "T.NRPGCONFTELA, T.NRPGCONFTAUX, T.DTULTATUITCT FROM ITMENUCONFTE T, QDL_CHAIN C "
            "WHERE T.CDFILIAL = '9999'",
            "DROP TABLE QDL_CHAIN",
        };
        for (const char* sql : copies)
            ASSERT_TRUE(db.exec(sql));
        ASSERT_GT(db.countRows("SELECT COUNT(*) FROM MESA"), 20000);
    }

    QStringList sqlitePlan(const qdl::StatementDef& def)
    {
        SqlQuery q(db.openCheckConnection());
        const QString sql = QString::fromUtf8(def.sql);
        if (!q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql)) {
            ADD_FAILURE() << def.component << " " << errorText(q.lastError());
            return {};
        }
        for (const QString& name : parametersOf(sql))
            q.bindValue(QLatin1Char(':') + name, valueOf(name));
        QStringList plan;
        if (!q.exec())
            ADD_FAILURE() << def.component << " " << errorText(q.lastError());
        while (q.next())
            plan << q.value(3).toString();
        return plan;
    }

    // The plan of the statement prepared as the data layer prepares it (its
    // own placeholder numbering), run with the screen's values; settings are
    // SET for the session first.
    QStringList postgresPlan(const qdl::StatementDef& def, const QStringList& settings)
    {
        SqlQuery q(db.openCheckConnection());
        QStringList names;
        const QString positional = qdl::positionalSql(QString::fromUtf8(def.sql), &names);
        QStringList values;
        for (const QString& n : names)
            values << QLatin1Char('\'') + valueOf(n) + QLatin1Char('\'');
        QStringList plan;
        for (const QString& s : settings)
            EXPECT_TRUE(q.exec(QStringLiteral("SET ") + s)) << errorText(q.lastError());
        if (!q.exec(QStringLiteral("PREPARE qdl_plano AS ") + positional))
            ADD_FAILURE() << def.component << " " << errorText(q.lastError());
        else if (!q.exec(QStringLiteral("EXPLAIN EXECUTE qdl_plano (%1)").arg(values.join(", "))))
            ADD_FAILURE() << def.component << " " << errorText(q.lastError());
        while (q.next())
            plan << q.value(0).toString();
        q.exec(QStringLiteral("DEALLOCATE qdl_plano"));
        q.exec(QStringLiteral("RESET ALL"));
        return plan;
    }

    void expectEveryStatementBounded(const QString& when)
    {
        QSet<QString> watchedIndexes;
        if (db.isPostgres()) {
            SqlQuery q(db.openCheckConnection());
            ASSERT_TRUE(q.exec("SELECT c.relname FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid "
                               "JOIN pg_class t ON t.oid = i.indrelid WHERE t.relname IN ('itmenuconfte', 'mesa')"));
            while (q.next())
                watchedIndexes << q.value(0).toString();
            ASSERT_GE(watchedIndexes.size(), 6);
        }
        for (const auto& def : qdl::kStatements) {
            const bool isInsert = QByteArray(def.sql).startsWith("INSERT");
            if (db.isSqlite()) {
                if (def.postgresOnly())
                    continue;
                const QStringList plan = sqlitePlan(def);
                EXPECT_EQ(sqliteFault(plan), QString())
                    << when.toStdString() << ", " << def.component << ":\n" << plan.join('\n').toStdString();
                if (!isInsert) {
                    EXPECT_FALSE(plan.isEmpty()) << def.component;
                }
                continue;
            }
            // The first runs get a plan for their values, later ones may get
            // the generic plan; without sequential scans any reachable index
            // shows, including one read whole.
            const std::pair<const char*, QStringList> modes[] = {
                {"custom plan", {}},
                {"generic plan", {"plan_cache_mode = force_generic_plan"}},
                {"sequential scans off", {"enable_seqscan = off", "enable_bitmapscan = off"}},
            };
            for (const auto& [mode, settings] : modes) {
                const QStringList plan = postgresPlan(def, settings);
                EXPECT_EQ(postgresFault(plan, watchedIndexes), QString())
                    << when.toStdString() << ", " << mode << ", " << def.component << ":\n"
                    << plan.join('\n').toStdString();
                EXPECT_FALSE(plan.isEmpty()) << def.component;
            }
        }
    }

    TestDatabase db;
};

TEST_P(ChainPlans, EveryStatementStaysInItsBranch)
{
    // SQLite plans without statistics, as a terminal's file has them, and
    // then with them.
    if (db.isSqlite())
        expectEveryStatementBounded(QStringLiteral("no statistics"));
    ASSERT_TRUE(db.exec("ANALYZE"));
    expectEveryStatementBounded(QStringLiteral("analysed"));
}

INSTANTIATE_TEST_SUITE_P(Db, ChainPlans, ::testing::ValuesIn(testBackends()), backendName);

// --- The button lookups answer in the caller's branch --------------------------

class ButtonLookupBranch : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        QDL_REQUIRE_BACKEND(GetParam());
        db = TestDatabase::create(GetParam());
        // Branch 0003, which has no tables, numbers its configuration and
        // buttons as 9999 does; its area button 01 stands for VAR and its
        // first table button for table 7.
        ASSERT_TRUE(db.exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                            "DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, "
                            "NRPGCONFTELA, NRPGCONFTAUX) VALUES ('0003', '00001', '4', '01', 'VAR', 'Varanda', 0, "
                            "11571344, '', '0', '0', '1', '0')"));
        ASSERT_TRUE(db.exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                            "DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, "
                            "NRPGCONFTELA, NRPGCONFTAUX) VALUES ('0003', '00001', '3', '01', '7', 'Mesa 07', 0, "
                            "11571344, '', '4', '01', '1', '1')"));
        session = std::make_unique<ServiceSession>(db);
    }
    void TearDown() override
    {
        session.reset();
        db.drop();
    }

    static QStringList column(const ServiceResult& r, const char* name)
    {
        QStringList values;
        const DataPacket& p = r.toPacket();
        const int c = p.columnIndex(QLatin1String(name));
        for (const QVariantList& row : p.rows)
            values << row.value(c).toString();
        return values;
    }

    TestDatabase db;
    std::unique_ptr<ServiceSession> session;
};

TEST_P(ButtonLookupBranch, TableButtonAnswersOnlyItsOwnTable)
{
    ServiceResult r;
    ASSERT_EQ(getMesaNrButon("9999", "00001", "3", "01", "1", "01", "1", "00001", "4", r), 0);
    ASSERT_TRUE(r.isPacket()) << r.toText().toStdString();
    EXPECT_EQ(column(r, "NRMESA"), QStringList{"1"});
    EXPECT_EQ(column(r, "CDSALA"), QStringList{"SAL"});

    // The other branch's own lookup finds its table 7 only where its branch
    // has one: 0003 has no tables, so nothing.
    ASSERT_EQ(getMesaNrButon("0003", "00001", "3", "01", "1", "01", "1", "00001", "4", r), 0);
    EXPECT_TRUE(r.toPacket().rows.isEmpty());
}

TEST_P(ButtonLookupBranch, AreaButtonAnswersOnlyItsOwnArea)
{
    ServiceResult r;
    ASSERT_EQ(getAmbNrbuton("9999", "00001", "4", "0", "0", "0", "01", "1", r), 0);
    ASSERT_TRUE(r.isPacket()) << r.toText().toStdString();
    const QStringList areas = column(r, "CDSALA");
    EXPECT_EQ(areas.size(), db.countRows("SELECT COUNT(*) FROM MESA WHERE CDFILIAL = '9999' AND CDLOJA = '01' AND "
                                         "CDSALA = 'SAL'"));
    EXPECT_EQ(areas.count(QStringLiteral("SAL")), areas.size()) << areas.join(' ').toStdString();
    QStringList tables = column(r, "NRMESA");
    tables.removeDuplicates();
    EXPECT_EQ(tables.size(), areas.size()) << "each table once";
}

INSTANTIATE_TEST_SUITE_P(Db, ButtonLookupBranch, ::testing::ValuesIn(testBackends()), backendName);

} // namespace

QDL_TEST_MAIN()

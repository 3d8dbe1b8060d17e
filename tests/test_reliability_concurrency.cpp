// Two terminals at once: two screens, each its own process, place and clear
// the same areas and tables on one database in a loop. No table or area may
// end up on two buttons, every refused placement must reach its operator as
// a message, and the layout must pass the check at the end.
//
// QDL_DRILL_OPERATIONS sets the operations per terminal (default 300).

#include <QProcess>
#include <QRegularExpression>

#include "consistency.h"
#include "formfixture.h"
#include "testmain.h"

namespace {

struct Terminal {
    QProcess process;
    QString output;
    QHash<QString, int> result;
};

class ConcurrencyTest : public FormTest {};

TEST_P(ConcurrencyTest, TwoTerminalsPlacingAndClearingTheSameButtonsKeepTheLayoutSound)
{
    const int operations = qEnvironmentVariableIsSet("QDL_DRILL_OPERATIONS")
        ? qEnvironmentVariableIntValue("QDL_DRILL_OPERATIONS")
        : 300;
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");

    Terminal terminals[2];
    for (int i = 0; i < 2; ++i) {
        terminals[i].process.start(qEnvironmentVariable("QDL_BUILD_DIR") + "/bin/qdl-drill",
                                   {"terminal", "--database", db->connectionString, "--operations",
                                    QString::number(operations), "--seed", QString::number(7 + i * 1000)});
    }
    for (Terminal& t : terminals) {
        ASSERT_TRUE(t.process.waitForFinished(300000)) << "a terminal hung";
        t.output = QString::fromUtf8(t.process.readAllStandardOutput());
        EXPECT_EQ(t.process.exitStatus(), QProcess::NormalExit) << t.process.readAllStandardError().toStdString();
        EXPECT_EQ(t.process.exitCode(), 0) << t.output.toStdString();
        static const QRegularExpression field(QStringLiteral("([a-z-]+)=(\\d+)"));
        const QString line = t.output.section(QStringLiteral("RESULT "), 1).section(QLatin1Char('\n'), 0, 0);
        for (auto it = field.globalMatch(line); it.hasNext();) {
            const auto m = it.next();
            t.result.insert(m.captured(1), m.captured(2).toInt());
        }
    }

    int placements = 0, refused = 0, done = 0;
    for (const Terminal& t : terminals) {
        ASSERT_EQ(t.result.value("operations"), operations) << t.output.toStdString();
        EXPECT_EQ(t.result.value("silent"), 0) << t.output.toStdString();   // no placement lost without a word
        EXPECT_EQ(t.result.value("failures"), 0) << t.output.toStdString(); // nothing but refused placements failed
        EXPECT_EQ(t.result.value("errors"), 0) << t.output.toStdString();
        placements += t.result.value("placements");
        refused += t.result.value("refused");
        done += t.result.value("operations");
        // What a refused placement told the operator: that the slot, table or
        // area changed elsewhere, never the database's own words.
        for (const QString& line : t.output.split('\n')) {
            if (line.startsWith("REFUSED ")) {
                EXPECT_FALSE(line.contains("UNIQUE", Qt::CaseInsensitive) || line.contains("duplicate", Qt::CaseInsensitive)
                             || line.contains("duplica", Qt::CaseInsensitive))
                    << line.toStdString();
            }
        }
    }

    const LayoutReport report = checkLayout(db->openCheckConnection());
    QStringList problems;
    for (const LayoutProblem& p : report.problems)
        problems << p.text;
    EXPECT_TRUE(report.clean()) << problems.join('\n').toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM (SELECT CDIDENTBUTON FROM ITMENUCONFTE GROUP BY CDFILIAL, NRCONFTELA, "
                    "IDTPBUTTON, CDIDENTBUTON HAVING COUNT(*) > 1) D"),
              0);
    EXPECT_GT(placements, 0);
    std::printf("QDL-FIGURE concurrent-operations-%s=%d placements-%s=%d refused-placements-%s=%d\n",
                qPrintable(GetParam()), done, qPrintable(GetParam()), placements, qPrintable(GetParam()), refused);
}

// Terminals started together on a file not yet in WAL mode all switch it at
// once; SQLite turns all but one away without waiting.
TEST(ConcurrentStart, ScreensOpeningAFreshSqliteFileTogetherAllOpen)
{
    for (int round = 0; round < 20; ++round) {
        TestDatabase db = TestDatabase::create(QStringLiteral("sqlite"), true);
        QProcess screens[4];
        for (QProcess& p : screens)
            p.start(qEnvironmentVariable("QDL_BUILD_DIR") + "/bin/qdl-drill", {"open", "--database", db.connectionString});
        for (QProcess& p : screens) {
            ASSERT_TRUE(p.waitForFinished(120000));
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            EXPECT_EQ(p.exitCode(), 0) << "round " << round << ": " << out.toStdString();
            EXPECT_TRUE(out.contains("OPENED")) << out.toStdString();
        }
        db.drop();
    }
}

} // namespace

QDL_FORM_SUITE(ConcurrencyTest);

QDL_TEST_MAIN()

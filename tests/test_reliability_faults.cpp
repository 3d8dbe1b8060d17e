// A database error injected at every write the update services make: the
// service answers the error's text, the stored layout is exactly as before
// the call, and on the real form the operator is told (a message naming the
// service) and the screen goes on working. On SQLite and PostgreSQL.

#include <functional>

#include "Srv_qdl00005.h"
#include "formfixture.h"
#include "layoutdump.h"
#include "siblings.h"
#include "testmain.h"

namespace {

const QString kFault = QStringLiteral("falha injetada pelo teste");
const QString kTrigger = QStringLiteral("qdl_fault");
const QString F = QStringLiteral("9999");
const QString C = QStringLiteral("00001");

int g_faultsInjected = 0;

class FaultTest : public FormTest {
protected:
    // Areas SAL on button 01 (tables 1, 2 and 3 on pages 1, 3 and 10) and
    // VAR on button 02 (table 10).
    void seedLayout()
    {
        placeArea("01", "SAL", "Salão");
        placeArea("02", "VAR", "Varanda");
        placeTable("01", "1", "01", "1", "Mesa 1");
        placeTable("09", "3", "01", "2", "Mesa 2");
        placeTable("05", "10", "01", "3", "Mesa 3");
        placeTable("01", "1", "02", "10", "Varanda 10");
    }
    QStringList dump() { return dumpLayout(db->openCheckConnection()); }
    void inject(const QString& event, const QString& condition)
    {
        installFailingTrigger(*db, kTrigger, event, "ITMENUCONFTE", condition, kFault);
        ++g_faultsInjected;
    }
    void heal() { dropFailingTrigger(*db, kTrigger, "ITMENUCONFTE"); }

    // The operator saw the failure: a message naming the service and
    // carrying the database's own text; nothing went to the error report.
    void expectTold(const QString& service)
    {
        ASSERT_FALSE(host->messages.isEmpty()) << "no message for " << service.toStdString();
        const QString text = host->messages.last().text;
        EXPECT_TRUE(text.contains(service)) << text.toStdString();
        EXPECT_TRUE(text.contains(kFault)) << text.toStdString();
        EXPECT_TRUE(host->errors.isEmpty()) << host->errors.join('\n').toStdString();
    }
    QStringList tablesUnder(const QString& areaButton)
    {
        SqlQuery q(db->openCheckConnection());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND NRBUTTONAUX = '%1' "
                                          "ORDER BY CDIDENTBUTON")
                               .arg(areaButton)))
            << errorText(q.lastError());
        QStringList l;
        while (q.next())
            l << q.value(0).toString();
        q.finish();
        return l;
    }
    void enterClear() { key(Qt::Key_F7); }
    void confirm() { key(Qt::Key_Return, Qt::ControlModifier); }
};

// ---- the services ------------------------------------------------------------------

TEST_P(FaultTest, EveryWriteOfEveryUpdateServiceFailsWholeWithTheDatabasesText)
{
    seedLayout();
    ServiceSession session(*db);
    struct Case {
        QString name, event, condition;
        std::function<ServiceResult()> call;
        bool retry = true; // heal and send again, which must then write
    };
    const auto coded = [](auto call) {
        return [call] {
            ServiceResult r;
            EXPECT_EQ(call(r), 0);
            return r;
        };
    };
    QList<Case> cases = {
        {"getInsere (table)", "INSERT", "NEW.CDIDENTBUTON = '4'", coded([](ServiceResult& r) {
             return getInsere(F, C, "02", "Mesa 4", 0, 11571344, "", "2", "4", "3", "4", "01", "1", r);
         })},
        {"getInsere (area)", "INSERT", "NEW.IDTPBUTTON = '4'", coded([](ServiceResult& r) {
             return getInsere(F, C, "03", "Terraço", 0, 11571344, "", "1", "TER", "4", "0", "0", "0", r);
         })},
        {"getMudaNome", "UPDATE", "OLD.CDIDENTBUTON = '2'", coded([](ServiceResult& r) {
             return getMudaNome(F, C, "09", "3", "Novo nome", "3", "4", "01", "1", "Mesa 2", r);
         })},
        {"getMudaCor", "UPDATE", "OLD.IDTPBUTTON = '4' AND OLD.NRBUTTON = '01'", coded([](ServiceResult& r) {
             return getMudaCor(F, C, "01", "1", "255", "4", "0", "0", "0", "11571344", r);
         })},
        {"getMudaFonte", "UPDATE", "OLD.CDIDENTBUTON = '1'",
         [] { return getMudaFonte(F, C, "01", "1", "65280", "3", "4", "01", "1", "0"); }},
        {"setDeleta", "DELETE", "OLD.CDIDENTBUTON = '10'", coded([](ServiceResult& r) {
             return setDeleta(F, C, "01", "1", "3", "4", "02", "1", r);
         })},
    };
    // setDelAmbiente writes once per table button of the area, then the area
    // button: each of those writes fails in its turn.
    const auto delAmbiente = coded([](ServiceResult& r) {
        return setDelAmbiente(F, C, "SAL", "01", "4", "0", "0", "0", "1", r);
    });
    const QStringList areaTables = tablesUnder("01") << QStringLiteral("4"); // 4: placed by the first case
    for (const QString& table : areaTables)
        cases << Case{"setDelAmbiente (table " + table + ")", "DELETE",
                      "OLD.IDTPBUTTON = '3' AND OLD.CDIDENTBUTON = '" + table + "'", delAmbiente, false};
    cases << Case{"setDelAmbiente (area)", "DELETE", "OLD.IDTPBUTTON = '4'", delAmbiente};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QStringList before = dump();
        inject(c.event, c.condition);
        const ServiceResult failed = c.call();
        EXPECT_TRUE(failed.isError());
        EXPECT_TRUE(failed.toText().contains(kFault)) << failed.toText().toStdString();
        EXPECT_EQ(dump(), before);
        EXPECT_FALSE(rdmConfMesa->adcConfigMesa->InTransaction());
        heal();
        if (!c.retry)
            continue;
        const ServiceResult done = c.call();
        EXPECT_TRUE(done.isText() && done.toText().isEmpty()) << done.toText().toStdString();
        EXPECT_NE(dump(), before);
    }
    EXPECT_EQ(db->countRows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE NRBUTTONAUX = '01' OR CDIDENTBUTON = 'SAL'"), 0);
}

// ---- through the screen ----------------------------------------------------------------

TEST_P(FaultTest, AFailedPlacementIsToldAndTheButtonStaysFreeForTheNextTry)
{
    seedLayout();
    openScreen();
    const QStringList before = dump();

    inject("INSERT", "NEW.IDTPBUTTON = '3'");
    host->picks.push_back({"NRMESA", "4"});
    click(table(2));
    expectTold("getInsere");
    EXPECT_TRUE(isFreeTable(2));
    EXPECT_EQ(dump(), before);
    heal();
    host->picks.push_back({"NRMESA", "4"});
    click(table(2));
    EXPECT_EQ(table(2)->text(), QStringLiteral("Mesa 4"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON = '4' AND NRBUTTON = '02'"), 1);

    const QStringList beforeArea = dump();
    host->clearRecords();
    inject("INSERT", "NEW.IDTPBUTTON = '4'");
    host->picks.push_back({"CDSALA", "TER"});
    click(area(3));
    expectTold("getInsere");
    EXPECT_EQ(area(3)->text(), QStringLiteral(" "));
    EXPECT_EQ(dump(), beforeArea);
    heal();
    host->picks.push_back({"CDSALA", "TER"});
    click(area(3));
    EXPECT_EQ(area(3)->text(), QStringLiteral("Terraço"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON = 'TER'"), 1);
}

TEST_P(FaultTest, AFailedRenameIsToldAndTheButtonShowsItsStoredName)
{
    seedLayout();
    openScreen();
    const QStringList before = dump();

    inject("UPDATE", "OLD.IDTPBUTTON = '3'");
    key(Qt::Key_F3);
    host->typed.push_back("Mesa da janela");
    click(table(1));
    expectTold("getMudaNome");
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1")); // not a name the database refused
    heal();
    host->typed.push_back("Mesa da janela");
    click(table(1)); // still renaming: the next click tries again
    EXPECT_EQ(value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND CDIDENTBUTON = '1'"),
              QStringLiteral("Mesa da janela"));
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa da janela"));
    EXPECT_FALSE(boMudaNome);

    const QStringList beforeArea = dump();
    host->clearRecords();
    inject("UPDATE", "OLD.IDTPBUTTON = '4'");
    key(Qt::Key_F3);
    host->typed.push_back("Salão Nobre");
    click(area(1));
    expectTold("getMudaNome");
    EXPECT_EQ(dump(), beforeArea);
    EXPECT_EQ(area(1)->text(), QStringLiteral("Salão"));
    heal();
    key(Qt::Key_F2); // or give up: the screen is idle again
    EXPECT_FALSE(boMudaNome);
    EXPECT_TRUE(form->tcbNome->isEnabled());
}

TEST_P(FaultTest, AFailedColourBatchIsToldAndConfirmingAgainWritesIt)
{
    seedLayout();
    openScreen();
    for (const bool background : {true, false}) {
        const QString service = background ? QStringLiteral("getMudaCor") : QStringLiteral("getMudaFonte");
        SCOPED_TRACE(service.toStdString());
        const QStringList before = dump();
        host->clearRecords();
        inject("UPDATE", "1 = 1");
        host->colours.push_back(background ? "255" : "65280");
        key(background ? Qt::Key_F5 : Qt::Key_F6);
        click(area(1));
        click(area(2));
        if (!background)
            click(table(1));
        confirm();
        expectTold(service);
        EXPECT_EQ(dump(), before);
        EXPECT_TRUE(background ? boMudaCor : boMudaFonte); // the batch waits for another try
        heal();
        host->clearRecords();
        confirm();
        EXPECT_TRUE(host->messages.isEmpty());
        const char* column = background ? "NRCOLORBACK" : "NRCOLORTEXT";
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE %1 = %2")
                            .arg(column, background ? "255" : "65280")),
                  background ? 2 : 3);
        EXPECT_FALSE(boMudaCor || boMudaFonte);
    }
}

TEST_P(FaultTest, AFailedClearIsToldAtEveryWriteAndNothingIsHalfDeleted)
{
    seedLayout();
    openScreen();

    // The table button.
    const QStringList before = dump();
    inject("DELETE", "OLD.CDIDENTBUTON = '1'");
    enterClear();
    click(table(1));
    confirm();
    expectTold("setDeleta");
    EXPECT_EQ(dump(), before);
    key(Qt::Key_F2);

    // The area button: every write of its removal, one after another.
    QStringList steps;
    for (const QString& t : tablesUnder("01"))
        steps << "OLD.IDTPBUTTON = '3' AND OLD.CDIDENTBUTON = '" + t + "'";
    steps << "OLD.IDTPBUTTON = '4'";
    heal();
    for (const QString& step : steps) {
        SCOPED_TRACE(step.toStdString());
        host->clearRecords();
        inject("DELETE", step);
        enterClear();
        click(area(1));
        confirm();
        expectTold("setDelAmbiente");
        EXPECT_EQ(dump(), before);
        heal();
        key(Qt::Key_F2); // cancel: the area shows as stored again
        EXPECT_EQ(area(1)->text(), QStringLiteral("Salão"));
    }

    // And once the database takes the writes again, the same clear goes through.
    host->clearRecords();
    enterClear();
    click(table(1));
    click(area(2));
    confirm();
    EXPECT_FALSE(host->messageTexts().join("").contains("falhou"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDIDENTBUTON IN ('1', 'VAR', '10')"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITMENUCONFTE"), 3);
}

class FigureReporter : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest&) override
    {
        std::printf("QDL-FIGURE faults-injected=%d\n", g_faultsInjected);
    }
};

void addFigureReporter()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new FigureReporter);
}

} // namespace

QDL_FORM_SUITE(FaultTest);

QDL_TEST_MAIN_WITH(addFigureReporter)

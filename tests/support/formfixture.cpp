#include "formfixture.h"


#include "Srv_qdl00005.h"
#include "connection.h"
#include "process.h"
#include "screensession.h"

void FormTest::SetUp()
{
    QDL_REQUIRE_BACKEND(GetParam());
    db = std::make_unique<TestDatabase>(TestDatabase::create(GetParam(), false));
    host = std::make_unique<ScriptedHost>();
    setConnectionStringOverride(db->connectionString);
    setHostExecutableDir(exeDir.path());
    seedRestaurant();
}

void FormTest::TearDown()
{
    closeScreen();
    host.reset();
    setHostExecutableDir(QString());
    if (db)
        db->drop();
}

void FormTest::exec(const QString& sql)
{
    SqlQuery q(db->openCheckConnection());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << "\n" << errorText(q.lastError());
}

int FormTest::count(const QString& sql)
{
    return value(sql).toInt();
}

QString FormTest::value(const QString& sql)
{
    SqlQuery q(db->openCheckConnection());
    if (!q.exec(sql) || !q.next()) {
        ADD_FAILURE() << sql.toStdString() << "\n" << errorText(q.lastError());
        return {};
    }
    return q.value(0).toString();
}

void FormTest::seedRestaurant()
{
    exec("INSERT INTO LOJA (CDFILIAL, CDLOJA, NRMESAPADRAO) VALUES ('9999', '00001', '99')");
    exec("INSERT INTO CONFTELA (CDFILIAL, NRCONFTELA, CDLOJA) VALUES ('9999', '00001', '00001')");
    const char* areas[][3] = {{"SAL", "Salão", "A"}, {"VAR", "Varanda", "A"}, {"TER", "Terraço", "A"},
                              {"INA", "Inativa", "I"}};
    for (const auto& a : areas)
        exec(QStringLiteral("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('9999', '%1', '%2', '%3')")
                 .arg(QString::fromUtf8(a[0]), QString::fromUtf8(a[1]), QString::fromUtf8(a[2])));
    const auto table = [this](const char* nr, const char* area, const char* name, const char* aux) {
        exec(QStringLiteral("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) "
                            "VALUES ('9999', '00001', '%1', '%2', '%3', 'A', '%4')")
                 .arg(QLatin1String(nr), QLatin1String(area), QString::fromUtf8(name), QLatin1String(aux)));
    };
    table("1", "SAL", "Mesa 1", "D");
    table("2", "SAL", "Mesa 2", "D");
    table("3", "SAL", "Mesa 3", "D");
    table("4", "SAL", "Mesa 4", "D");
    table("5", "SAL", "Mesa 5", "O");
    table("6", "SAL", "Mesa 6", "D");
    table("10", "VAR", "Varanda 10", "D");
    table("11", "VAR", "Varanda 11", "D");
    table("12", "VAR", "Varanda 12", "S");
    table("20", "TER", "Terraço 20", "D");
    table("99", "SAL", "Padrão", "D");
}

void FormTest::insertButton(const ButtonRow& r)
{
    exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, "
                        "DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, "
                        "NRPGCONFTAUX, DTULTATUITCT) VALUES ('9999', '00001', '%1', '%2', '%3', '%4', %5, %6, '', "
                        "'%7', '%8', '%9', '%10', CURRENT_TIMESTAMP)")
             .arg(r.type, r.number, r.ident, r.caption)
             .arg(r.text)
             .arg(r.back)
             .arg(r.auxType, r.auxNumber, r.page, r.auxPage));
}

void FormTest::placeArea(const QString& number, const QString& code, const QString& caption, int back, int text)
{
    insertButton({"4", number, "1", "0", "0", "0", code, caption, text, back});
}

void FormTest::placeTable(const QString& number, const QString& page, const QString& areaButton,
                          const QString& nrmesa, const QString& caption, int text, int back)
{
    insertButton({"3", number, page, "4", areaButton, "1", nrmesa, caption, text, back});
}

void FormTest::openScreen()
{
    ASSERT_TRUE(startScreen(form));
    host->clearRecords();
}

void FormTest::closeScreen()
{
    stopScreen(form);
}

void FormTest::click(QWidget* w)
{
    ASSERT_NE(w, nullptr);
    tapCentre(w);
}

void FormTest::key(Qt::Key k, Qt::KeyboardModifiers m)
{
    QTest::keyClick(form, k, m);
}

void FormTest::typeChar(char c)
{
    QTest::keyClick(form, c);
}

bool FormTest::isFreeTable(int n) const
{
    TSpeedButton* b = table(n);
    return b->text() == QLatin1String(" ") && b->Color() == 11571344 && b->FontColor() == 0
        && b->glyph().cacheKey() == form->imgLivreCinza->pixmap().cacheKey();
}

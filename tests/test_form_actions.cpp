// Every operator action on the real form and a real database, with the
// operator dialogs scripted; the database is checked afterwards.

#include <QMouseEvent>
#include <QWindow>

#include "errors.h"
#include "formfixture.h"
#include "siblings.h"
#include "testmain.h"

namespace {

const QString kTecle = QStringLiteral("Clique em um dos botões desta tela para associar ambientes e suas mesas.");
const QString kMesaInd = QStringLiteral("Mesa pendente no sistema de restaurante, não pode ser apagada.");

class ActionTest : public FormTest {
protected:
    int buttons(const QString& where)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE CDFILIAL = '9999' AND ") + where);
    }
    bool idle() const { return !boExcluir && !boMudaCor && !boMudaFonte && !boMudaNome; }
};

// ---- placing ------------------------------------------------------------------

TEST_P(ActionTest, PlacingAnAreaThenATableOnPageThreeStoresExactlyTheirRows)
{
    openScreen();
    host->picks.push_back({"CDSALA", "SAL"});
    click(area(5));
    ASSERT_EQ(host->pickCalls.size(), 1);
    EXPECT_EQ(host->pickCalls[0].dataset, QStringLiteral("cdsAmbientes"));
    EXPECT_EQ(host->pickCalls[0].flag, QStringLiteral("S"));
    EXPECT_EQ(host->pickCalls[0].colors[0], 11776174);
    EXPECT_EQ(host->pickCalls[0].colors[3], 8487297);
    EXPECT_FALSE(host->pickCalls[0].rows.contains("INA")); // inactive areas are never offered
    EXPECT_TRUE(host->serviceCalls.contains("getInsere:9999-00001-05-Salão-0-11571344-1-SAL-40-0-0"));
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '05' AND NRPGCONFTELA = '1' AND IDTPBUTONAUX = '0' AND "
                      "NRBUTTONAUX = '0' AND NRPGCONFTAUX = '0' AND CDIDENTBUTON = 'SAL' AND DSBUTTON = 'Salão' AND "
                      "NRCOLORTEXT = 0 AND NRCOLORBACK = 11571344"),
              1);
    EXPECT_EQ(area(5)->text(), QStringLiteral("Salão"));
    EXPECT_EQ(form->stNrFocusAmb, QStringLiteral("05"));
    EXPECT_EQ(form->stCdAmb, QStringLiteral("SAL"));
    EXPECT_FALSE(strip(5)->isHidden());
    EXPECT_TRUE(strip(1)->isHidden());

    typeChar('b');
    typeChar('b');
    ASSERT_EQ(form->NrPagina, 3);
    host->picks.push_back({"NRMESA", "2"});
    click(table(7));
    EXPECT_EQ(host->pickCalls.last().dataset, QStringLiteral("cdsMesas"));
    EXPECT_FALSE(host->pickCalls.last().rows.contains("99")); // the store's default table
    EXPECT_FALSE(host->pickCalls.last().rows.contains("10")); // another area's table
    EXPECT_TRUE(host->serviceCalls.contains("getInsere:9999-00001-07-Mesa 2-0-11571344--3-2-34-05-1"));
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND NRBUTTON = '07' AND NRPGCONFTELA = '3' AND IDTPBUTONAUX = '4' AND "
                      "NRBUTTONAUX = '05' AND NRPGCONFTAUX = '1' AND CDIDENTBUTON = '2' AND DSBUTTON = 'Mesa 2' AND "
                      "NRCOLORTEXT = 0 AND NRCOLORBACK = 11571344"),
              1);
    EXPECT_EQ(table(7)->text(), QStringLiteral("Mesa 2"));
    EXPECT_EQ(table(7)->glyph().cacheKey(), form->imgLivre->pixmap().cacheKey());

    // The placed table is offered no more, on any page.
    typeChar('a');
    host->picks.push_back({"", ""});
    click(table(8));
    EXPECT_FALSE(host->pickCalls.last().rows.contains("2"));
    EXPECT_TRUE(host->pickCalls.last().rows.contains("1"));
    EXPECT_TRUE(isFreeTable(8)); // cancelled: nothing placed
}

TEST_P(ActionTest, InformationMessagesComeAtTheirMomentWithoutNeedlessCalls)
{
    openScreen();
    // No area on the selected button: "Amb_deve", and no service is called.
    click(table(1));
    EXPECT_EQ(host->messageTexts(), QStringList{"Ambiente da mesa deve ser informado."});
    EXPECT_TRUE(host->serviceCalls.isEmpty());

    // An area without tables to place: "Mesa_NCad".
    exec("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('9999', 'VAZIA', 'Vazia', 'A')");
    host->picks.push_back({"CDSALA", "VAZIA"});
    click(area(1));
    host->clearRecords();
    click(table(1));
    EXPECT_EQ(host->messageTexts(), QStringList{"Não há mesas cadastradas para o ambiente informado."});
    EXPECT_EQ(host->services(), (QStringList{"getLoja", "getMesas"}));

    // Every active area placed: "Amb_NCad", then the free button is selected.
    for (auto [n, code] : {std::pair{2, "SAL"}, {3, "VAR"}, {4, "TER"}}) {
        host->picks.push_back({"CDSALA", code});
        click(area(n));
    }
    host->clearRecords();
    click(area(9));
    EXPECT_EQ(host->messageTexts(), QStringList{"Não há ambiente cadastrado."});
    EXPECT_EQ(form->stNrFocusAmb, QStringLiteral("09"));
    EXPECT_EQ(form->stCdAmb, QStringLiteral("TER")); // the code of the area selected before
    EXPECT_FALSE(strip(9)->isHidden());

    // The configuration has no store: "Loja_NCad".
    exec("DELETE FROM CONFTELA");
    click(area(2)); // select an occupied area
    host->clearRecords();
    click(table(2));
    EXPECT_EQ(host->messageTexts(), QStringList{"Não há lojas cadastradas para a filial informada."});
    EXPECT_EQ(host->services(), QStringList{"getLoja"});

    // Background-colour mode: any table click only says "Mesa_Cor".
    host->colours.push_back("255");
    click(form->tcbCorButton);
    host->clearRecords();
    click(table(1));
    click(table(5));
    EXPECT_EQ(host->messageTexts(), (QStringList{"Cor do botão não pode ser alterada.", "Cor do botão não pode ser alterada."}));
    EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
    EXPECT_TRUE(host->serviceCalls.isEmpty());
}

TEST_P(ActionTest, ClicksThatMustDoNothingCallNothing)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    click(table(1)); // occupied, no mode
    EXPECT_TRUE(host->serviceCalls.isEmpty());
    for (auto* command : {form->tcbLimpar, form->tcbNome}) {
        click(command);
        host->clearRecords();
        click(table(2)); // free, in a mode
        click(area(4));
        EXPECT_TRUE(host->serviceCalls.isEmpty());
        EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
        EXPECT_FALSE(idle());
        key(Qt::Key_F2);
    }
}

// ---- rename ---------------------------------------------------------------------

TEST_P(ActionTest, RenameWritesAtOnceAndEndsTheMode)
{
    placeArea("01", "SAL", "Salão");
    placeArea("03", "VAR", "Varanda");
    placeTable("02", "1", "01", "1", "Mesa 1");
    openScreen();

    key(Qt::Key_F3);
    EXPECT_TRUE(boMudaNome);
    EXPECT_EQ(form->lblMensagem->text(), QStringLiteral("Clique no botão desejado para mudar seu nome."));
    host->typed.push_back("Mesa VIP ção");
    click(table(2));
    EXPECT_EQ(host->keyboardInitial, QStringList{"Mesa 1"});
    EXPECT_TRUE(host->serviceCalls.contains("getMudaNome:9999-00001-02-1-Mesa VIP ção-3-4-01-1-Mesa 1"));
    EXPECT_EQ(value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '3' AND NRBUTTON = '02'"),
              QStringLiteral("Mesa VIP ção"));
    EXPECT_EQ(table(2)->text(), QStringLiteral("Mesa VIP ção"));
    EXPECT_TRUE(idle());
    EXPECT_EQ(form->lblMensagem->text(), kTecle);
    EXPECT_TRUE(form->tcbNome->isEnabled());

    click(form->tcbNome);
    host->typed.push_back("Salão Nobre");
    click(area(1));
    EXPECT_EQ(value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '4' AND NRBUTTON = '01'"),
              QStringLiteral("Salão Nobre"));

    // A strip renames its area button; it offers its own (empty) caption.
    click(form->tcbNome);
    host->typed.push_back("Varanda Sul");
    form->stNrFocusAmb = "03";
    form->ControlaFocus();
    click(strip(3));
    EXPECT_EQ(host->keyboardInitial.last(), QString());
    EXPECT_EQ(strip(3)->text(), QStringLiteral("Varanda Sul"));
    EXPECT_EQ(value("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '4' AND NRBUTTON = '03'"),
              QStringLiteral("Varanda Sul"));

    // A blank name and "@" change nothing, and the mode ends all the same.
    for (const char* answer : {"   ", "@"}) {
        click(form->tcbNome);
        host->clearRecords();
        host->typed.push_back(answer);
        click(area(1));
        EXPECT_EQ(host->services(), QStringList{"getAmbNrbuton"});
        EXPECT_EQ(area(1)->text(), QStringLiteral("Salão Nobre"));
        EXPECT_TRUE(idle());
        EXPECT_EQ(form->lblMensagem->text(), kTecle);
    }
}

// ---- clear and confirm -------------------------------------------------------------

TEST_P(ActionTest, ClearBatchDeletesAreasWithTheirTablesOnEveryPage)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "TER", "Terraço");
    placeTable("01", "1", "01", "1", "Mesa 1");
    placeTable("09", "3", "01", "2", "Mesa 2");
    placeTable("04", "1", "01", "3", "Mesa 3");
    placeTable("01", "1", "02", "20", "Terraço 20");
    openScreen();

    key(Qt::Key_F7);
    EXPECT_TRUE(boExcluir);
    EXPECT_EQ(table(1)->cursor().shape(), Qt::PointingHandCursor);
    click(table(4)); // a table row
    EXPECT_TRUE(table(4)->text() == " ");
    click(area(2));  // an area row, not the selected one: the grid still empties
    EXPECT_TRUE(isFreeTable(1));
    EXPECT_EQ(area(2)->text(), QStringLiteral(" "));
    ASSERT_EQ(form->cdsAlteracoes.RecordCount(), 2);

    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(host->messages.size(), 1);
    EXPECT_TRUE(host->messages[0].isQuestion());
    EXPECT_EQ(host->messages[0].code, QStringLiteral("002"));
    EXPECT_TRUE(host->serviceCalls.contains("setDeleta:9999-00001-04-1-3-4-01-1"));
    EXPECT_TRUE(host->serviceCalls.contains("setDelAmbiente:9999-00001-TER-02-4-0-0-0-1"));
    EXPECT_EQ(buttons("NRBUTTONAUX = '02'"), 0);
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '02'"), 0);
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON = '3'"), 0);
    EXPECT_EQ(buttons("IDTPBUTTON = '3'"), 2);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1")); // grid rebuilt from the database
    EXPECT_EQ(table(1)->cursor().shape(), Qt::ArrowCursor);

    // The whole area with its pages.
    click(form->tcbLimpar);
    click(area(1));
    host->clearRecords();
    click(form->tcbConfirma);
    EXPECT_EQ(buttons("1 = 1"), 0);
}

TEST_P(ActionTest, DeclinedOrCancelledClearsWriteNothingAndRestoreTheScreen)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    const int before = buttons("1 = 1");

    click(form->tcbLimpar);
    click(table(1));
    click(area(2));
    host->answers.push_back(false);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(buttons("1 = 1"), before);
    EXPECT_EQ(area(2)->text(), QStringLiteral("Varanda"));
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1"));
    EXPECT_TRUE(idle());
    EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
    EXPECT_FALSE(host->services().contains("setDeleta"));

    click(form->tcbLimpar);
    click(table(1));
    click(area(2));
    key(Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(buttons("1 = 1"), before);
    EXPECT_EQ(area(2)->text(), QStringLiteral("Varanda"));
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1"));
    EXPECT_TRUE(idle());
    EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());

    // Confirm in clear mode without pending rows asks nothing.
    click(form->tcbLimpar);
    host->clearRecords();
    click(form->tcbConfirma);
    EXPECT_TRUE(host->messages.isEmpty());
    EXPECT_EQ(host->services(), QStringList{"getPesqMesas"});
    EXPECT_TRUE(idle());
}

TEST_P(ActionTest, AnAreaInUseIsRefusedOthersGoAndItShowsAsStoredAgain)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    placeTable("01", "1", "02", "12", "Varanda 12"); // table 12 is reserved ("S")
    placeTable("02", "1", "01", "1", "Mesa 1");
    openScreen();

    click(form->tcbLimpar);
    click(table(2)); // before the area: an area clear empties the grid
    click(area(2));
    EXPECT_EQ(area(2)->text(), QStringLiteral(" "));
    EXPECT_TRUE(isFreeTable(2));
    click(form->tcbConfirma);
    EXPECT_EQ(host->messageTexts().count(kMesaInd), 1);
    EXPECT_EQ(buttons("IDTPBUTTON = '4' AND NRBUTTON = '02'"), 1);
    EXPECT_EQ(buttons("NRBUTTONAUX = '02'"), 1);
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND NRBUTTON = '02'"), 0);
    EXPECT_TRUE(idle());
    // The refused area is stored, so it must not look free.
    EXPECT_EQ(area(2)->text(), QStringLiteral("Varanda"));
    EXPECT_TRUE(form->cdsControleAmb.Locate("NRBUTTON", "02"));
    EXPECT_EQ(form->stCdAmb, QStringLiteral("SAL")); // selection kept
}

TEST_P(ActionTest, ADatabaseErrorStopsTheBatchAndASecondConfirmSendsOnlyWhatIsLeft)
{
    placeArea("01", "SAL", "Salão");
    for (int n = 1; n <= 4; ++n)
        placeTable(QStringLiteral("0%1").arg(n), "1", "01", QString::number(n), QStringLiteral("Mesa %1").arg(n));
    openScreen();
    installFailingTrigger(*db, "qdl_fail_three", "DELETE", "ITMENUCONFTE", "OLD.CDIDENTBUTON = '3'",
                          "falha simulada");

    click(form->tcbLimpar);
    for (int n = 1; n <= 4; ++n)
        click(table(n));
    click(form->tcbConfirma);
    ASSERT_GE(host->messages.size(), 2);
    EXPECT_TRUE(host->messages.last().text.contains("setDeleta")) << host->messages.last().text.toStdString();
    EXPECT_TRUE(host->messages.last().text.contains("falha simulada"));
    EXPECT_EQ(buttons("IDTPBUTTON = '3'"), 2);          // 1 and 2 written, 3 failed, 4 not reached
    EXPECT_EQ(buttons("CDIDENTBUTON IN ('3', '4')"), 2);
    EXPECT_TRUE(boExcluir);                              // the mode stays for a retry or a cancel
    EXPECT_TRUE(form->tcbConfirma->isEnabled());
    EXPECT_EQ(form->cdsAlteracoes.RecordCount(), 2);     // only what is left

    dropFailingTrigger(*db, "qdl_fail_three", "ITMENUCONFTE");
    host->clearRecords();
    click(form->tcbConfirma);
    EXPECT_FALSE(host->messageTexts().contains(kMesaInd));
    EXPECT_EQ(host->services().count("setDeleta"), 2);
    EXPECT_EQ(buttons("IDTPBUTTON = '3'"), 0);
    EXPECT_TRUE(idle());
}

// ---- colours -----------------------------------------------------------------------

TEST_P(ActionTest, ColourBatchesWriteTheirOwnColumnAndTheLastClickWins)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();

    host->colours.push_back("255");
    key(Qt::Key_F5);
    EXPECT_FALSE(form->shpMostraCor->isHidden());
    EXPECT_EQ(form->shpMostraCor->brushColor(), QColor(255, 0, 0));
    click(area(1));
    EXPECT_EQ(area(1)->Color(), 255);
    EXPECT_EQ(strip(1)->Color(), 255);
    host->colours.push_back("65280");
    key(Qt::Key_F5); // a new colour for the clicks that follow
    click(area(1));
    ASSERT_EQ(form->cdsAlteracoes.RecordCount(), 2);
    key(Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(value("SELECT NRCOLORBACK FROM ITMENUCONFTE WHERE IDTPBUTTON = '4'").toDouble(), 65280.0);
    EXPECT_EQ(value("SELECT NRCOLORTEXT FROM ITMENUCONFTE WHERE IDTPBUTTON = '4'").toDouble(), 0.0);
    EXPECT_TRUE(form->shpMostraCor->isHidden());
    EXPECT_TRUE(idle());

    host->colours.push_back("16711680");
    click(form->tcbCorTexto);
    click(table(1));
    click(area(1));
    EXPECT_EQ(table(1)->FontColor(), 16711680);
    host->clearRecords();
    click(form->tcbConfirma);
    EXPECT_EQ(host->services().count("getMudaFonte"), 2);
    EXPECT_EQ(value("SELECT NRCOLORTEXT FROM ITMENUCONFTE WHERE IDTPBUTTON = '3'").toDouble(), 16711680.0);
    EXPECT_EQ(value("SELECT NRCOLORBACK FROM ITMENUCONFTE WHERE IDTPBUTTON = '3'").toDouble(), 11571344.0);
    EXPECT_EQ(value("SELECT NRCOLORTEXT FROM ITMENUCONFTE WHERE IDTPBUTTON = '4'").toDouble(), 16711680.0);

    // Cancelled: nothing written, the screen shows what is stored.
    host->colours.push_back("0");
    click(form->tcbCorButton);
    click(area(1));
    click(form->tcbCancela);
    EXPECT_EQ(area(1)->Color(), 65280);
    EXPECT_EQ(value("SELECT NRCOLORBACK FROM ITMENUCONFTE WHERE IDTPBUTTON = '4'").toDouble(), 65280.0);
}

TEST_P(ActionTest, AbandonedColourChoiceFromIdleReturnsToIdle)
{
    openScreen();
    host->colours.push_back("X");
    click(form->tcbCorButton);
    EXPECT_TRUE(idle());
    EXPECT_EQ(CorButton, QStringLiteral("X"));
    EXPECT_EQ(form->lblMensagem->text(), kTecle);
    EXPECT_TRUE(form->shpMostraCor->isHidden());
    EXPECT_TRUE(form->tcbNome->isEnabled());
    EXPECT_FALSE(form->tcbConfirma->isEnabled());
    EXPECT_EQ(table(1)->cursor().shape(), Qt::ArrowCursor);
}

TEST_P(ActionTest, AbandonedChoiceInsideAColourModeKeepsThePreviousColour)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();
    host->colours.push_back("255");
    click(form->tcbCorTexto);
    click(table(1));
    host->colours.push_back("X");
    click(form->tcbCorTexto);
    EXPECT_TRUE(boMudaFonte);
    EXPECT_EQ(CorFonte, QStringLiteral("255"));
    click(table(1));
    EXPECT_EQ(form->cdsAlteracoes.RecordCount(), 2);
    click(form->tcbConfirma);
    EXPECT_EQ(value("SELECT NRCOLORTEXT FROM ITMENUCONFTE WHERE IDTPBUTTON = '3'").toDouble(), 255.0);
}

// ---- keys ----------------------------------------------------------------------------

TEST_P(ActionTest, KeysReachACommandOnlyWhileItsButtonIsUsable)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "2", "01", "1", "Mesa 1");
    openScreen();

    key(Qt::Key_Return, Qt::ControlModifier); // idle: Confirm is off
    EXPECT_TRUE(host->serviceCalls.isEmpty());
    typeChar('a'); // page 1: nothing before it
    EXPECT_EQ(form->NrPagina, 1);
    typeChar('B');
    EXPECT_EQ(form->NrPagina, 2);
    typeChar('a');
    EXPECT_EQ(form->NrPagina, 1);

    key(Qt::Key_F3);
    EXPECT_TRUE(boMudaNome);
    key(Qt::Key_F7); // other modes' commands are off
    key(Qt::Key_F5);
    EXPECT_TRUE(boMudaNome && !boExcluir && host->colourCalls == 0);
    key(Qt::Key_Return, Qt::ControlModifier); // no Confirm in rename mode
    typeChar('b');
    EXPECT_EQ(form->NrPagina, 1);
    key(Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_TRUE(idle());

    key(Qt::Key_F7);
    click(table(1)); // free on page 1: nothing
    key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(boExcluir);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(idle());

    host->colours.push_back("255");
    key(Qt::Key_F6);
    EXPECT_TRUE(boMudaFonte);
    host->colours.push_back("128");
    key(Qt::Key_F6);
    EXPECT_EQ(host->colourCalls, 2);
    EXPECT_EQ(CorFonte, QStringLiteral("128"));
    key(Qt::Key_F2);

    key(Qt::Key_Delete, Qt::ControlModifier);
    key(Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(form->isVisible());
    key(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

// ---- mended faults ------------------------------------------------------------------

TEST_P(ActionTest, SelectedAreaKeepsItsCodeThroughARebuild)
{
    placeArea("01", "SAL", "Salão");
    placeArea("03", "VAR", "Varanda");
    openScreen();
    click(area(3));
    EXPECT_EQ(form->stCdAmb, QStringLiteral("VAR"));
    click(form->tcbLimpar);
    click(form->tcbCancela); // rebuilds the area menu
    EXPECT_EQ(form->stNrFocusAmb, QStringLiteral("03"));
    EXPECT_EQ(form->stCdAmb, QStringLiteral("VAR"));
    host->picks.push_back({"NRMESA", "10"});
    click(table(1));
    EXPECT_TRUE(host->pickCalls.last().rows.contains("10"));
    EXPECT_FALSE(host->pickCalls.last().rows.contains("1"));
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND CDIDENTBUTON = '10' AND NRBUTTONAUX = '03'"), 1);
}

TEST_P(ActionTest, ClearingAnAreaTakesItsCodeFromItsOwnRow)
{
    // Tables of store 00001: the area lookup of store "01" finds none.
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    placeTable("02", "2", "01", "2", "Mesa 2");
    openScreen();
    click(form->tcbLimpar);
    click(area(1));
    form->cdsAlteracoes.First();
    EXPECT_EQ(form->cdsAlteracoes.FieldByName("CDSALA").AsString(), QStringLiteral("SAL"));
    click(form->tcbConfirma);
    EXPECT_EQ(buttons("1 = 1"), 0); // no table button left behind
}

TEST_P(ActionTest, LongAreaCodesAndHighPagesPassUncut)
{
    exec("INSERT INTO SALA (CDFILIAL, CDSALA, NMSALA, IDSITSALA) VALUES ('9999', 'ABCDEFGHIJ', 'Longa', 'A')");
    exec("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) "
         "VALUES ('9999', '00001', '70', 'ABCDEFGHIJ', 'Mesa 70', 'A', 'D')");
    placeArea("01", "ABCDEFGHIJ", "Longa");
    placeTable("03", "100", "01", "70", "Mesa 70");
    openScreen();
    EXPECT_EQ(form->stCdAmb, QStringLiteral("ABCDEFGHIJ"));
    form->NrPagina = 99;
    click(form->tcbProximo);
    ASSERT_EQ(table(3)->text(), QStringLiteral("Mesa 70"));
    click(form->tcbCorTexto);
    host->colours.push_back("255");
    click(form->tcbCorTexto);
    click(table(3));
    form->cdsAlteracoes.First();
    EXPECT_EQ(form->cdsAlteracoes.FieldByName("NRPGCONFTELA").AsString(), QStringLiteral("100"));
    click(form->tcbConfirma);
    EXPECT_EQ(value("SELECT NRCOLORTEXT FROM ITMENUCONFTE WHERE IDTPBUTTON = '3'").toDouble(), 255.0);

    click(form->tcbLimpar);
    click(area(1));
    form->cdsAlteracoes.First();
    EXPECT_EQ(form->cdsAlteracoes.FieldByName("CDSALA").AsString(), QStringLiteral("ABCDEFGHIJ"));
    click(form->tcbConfirma);
    EXPECT_EQ(buttons("1 = 1"), 0);
}

TEST_P(ActionTest, APlacementOvertakenElsewhereIsToldAndTheScreenShowsWhatIsStored)
{
    placeArea("01", "SAL", "Salão");
    openScreen();
    // Another terminal places table 1 after this screen offered it.
    host->picks.push_back({"NRMESA", "1"});
    Pesquisa = [this, inner = Pesquisa](TClientDataSet& ds, const QString& f, const QString& s, int a, int b, int c,
                                        int d, int e) {
        const bool picked = inner(ds, f, s, a, b, c, d, e);
        placeTable("30", "5", "02", "1", "Mesa 1");
        return picked;
    };
    click(table(1));
    EXPECT_TRUE(isFreeTable(1));
    ASSERT_FALSE(host->messages.isEmpty());
    EXPECT_EQ(host->messages.last().text, TfrmConfMesa::changedElsewhereText());
    EXPECT_TRUE(host->services().contains("getPesqMesas")); // the screen shows what is stored
    EXPECT_EQ(buttons("CDIDENTBUTON = '1'"), 1);
}

TEST_P(ActionTest, TableNumbersAsLongAsTheSchemaAllowsArePlacedAndClearedWhole)
{
    // Each long number starts with the number of a table already placed.
    exec("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, CDSALA, NMMESA, IDSTMESA, IDSTMESAAUX) VALUES "
         "('9999', '00001', '1234', 'SAL', 'Mesa 1234', 'A', 'D'), "
         "('9999', '00001', '12345', 'SAL', 'Mesa 12345', 'A', 'D'), "
         "('9999', '00001', '1234567890', 'SAL', 'Mesa 1234567890', 'A', 'D')");
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1234", "Mesa 1234");
    openScreen();

    host->picks.push_back({"NRMESA", "12345"});
    click(table(2));
    EXPECT_TRUE(host->pickCalls.last().rows.contains("1234567890"));
    host->picks.push_back({"NRMESA", "1234567890"});
    click(table(3));
    EXPECT_EQ(buttons("NRBUTTON = '02' AND CDIDENTBUTON = '12345' AND DSBUTTON = 'Mesa 12345'"), 1);
    EXPECT_EQ(buttons("NRBUTTON = '03' AND CDIDENTBUTON = '1234567890' AND DSBUTTON = 'Mesa 1234567890'"), 1);
    EXPECT_EQ(buttons("CDIDENTBUTON = '1234'"), 1);

    click(form->tcbLimpar);
    click(table(2));
    EXPECT_EQ(form->cdsMesaNrButon.FieldByName("NRMESA").AsString(), QStringLiteral("12345"));
    click(table(3));
    EXPECT_EQ(form->cdsMesaNrButon.FieldByName("NRMESA").AsString(), QStringLiteral("1234567890"));
    click(form->tcbConfirma);
    EXPECT_EQ(buttons("IDTPBUTTON = '3'"), 1);
    EXPECT_EQ(buttons("NRBUTTON = '01' AND CDIDENTBUTON = '1234'"), 1);
}

// The selected area's button and its strip stand for one area: clearing it
// through both, in either order, is one pending clear, confirmed without a
// word of another terminal.
TEST_P(ActionTest, AnAreaClearedThroughItsButtonAndItsStripIsClearedOnce)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen(); // area 01 selected, its strip shown
    const auto clearTwice = [&](QWidget* first, QWidget* second) {
        click(form->tcbLimpar);
        click(first);
        click(second);
        EXPECT_EQ(form->cdsAlteracoes.RecordCount(), 1);
        host->clearRecords();
        click(form->tcbConfirma);
        EXPECT_EQ(host->services().count("setDelAmbiente"), 1);
        EXPECT_EQ(host->messages.size(), 1) << host->messageTexts().join('|').toStdString(); // the question only
        EXPECT_TRUE(idle());
    };
    clearTwice(area(1), strip(1));
    EXPECT_EQ(buttons("NRBUTTON = '01'"), 0);
    click(area(2));
    clearTwice(strip(2), area(2));
    EXPECT_EQ(buttons("1 = 1"), 0);
}

// The strip of a selected free slot (after "Amb_NCad", or after the selected
// area's clear was confirmed): a mode's tap on it does nothing, and a tap
// without a mode selects the slot again, as a strip always does.
TEST_P(ActionTest, TheStripOfASelectedFreeSlotIsFree)
{
    placeArea("01", "SAL", "Salão");
    placeArea("02", "VAR", "Varanda");
    placeArea("03", "TER", "Terraço");
    openScreen();
    const auto tapInEveryMode = [&](int n) {
        ASSERT_FALSE(strip(n)->isHidden());
        for (QWidget* command : {form->tcbNome, form->tcbCorButton, form->tcbCorTexto, form->tcbLimpar}) {
            if (command == form->tcbCorButton || command == form->tcbCorTexto)
                host->colours.push_back("255");
            click(command);
            host->clearRecords();
            host->typed.push_back("Novo nome");
            click(strip(n));
            EXPECT_TRUE(host->serviceCalls.isEmpty()) << host->serviceCalls.join('|').toStdString();
            EXPECT_TRUE(host->messages.isEmpty()) << host->messageTexts().join('|').toStdString();
            EXPECT_TRUE(host->keyboardInitial.isEmpty());
            EXPECT_TRUE(form->cdsAlteracoes.IsEmpty());
            EXPECT_FALSE(idle()); // the mode stays on
            host->typed.clear();
            key(Qt::Key_F2);
        }
    };
    click(area(9)); // every area placed: "Amb_NCad", and slot 09 is selected
    ASSERT_EQ(host->messageTexts(), QStringList{"Não há ambiente cadastrado."});
    tapInEveryMode(9);

    click(area(1));
    click(form->tcbLimpar);
    click(area(1));
    click(form->tcbConfirma);
    ASSERT_EQ(buttons("NRBUTTON = '01'"), 0);
    tapInEveryMode(1);
    EXPECT_EQ(buttons("1 = 1"), 2);

    host->clearRecords();
    click(strip(1));
    EXPECT_TRUE(host->pickCalls.isEmpty());
    EXPECT_TRUE(host->messages.isEmpty()) << host->messageTexts().join('|').toStdString();
    EXPECT_EQ(form->stNrFocusAmb, QStringLiteral("01"));
    EXPECT_EQ(buttons("1 = 1"), 2);
}

// A close asked by the window manager (its own Alt+F4, a taskbar's close)
// would drop the pending changes: only the leave command closes the screen.
TEST_P(ActionTest, OnlyTheLeaveCommandClosesTheScreen)
{
    placeArea("01", "SAL", "Salão");
    openScreen();
    click(form->tcbLimpar);
    click(area(1));
    ASSERT_EQ(form->cdsAlteracoes.RecordCount(), 1);

    ASSERT_NE(form->windowHandle(), nullptr);
    form->windowHandle()->close(); // the close event a window manager's request produces
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->cdsAlteracoes.RecordCount(), 1);

    click(form->tcbSair);
    EXPECT_FALSE(form->isVisible());
}

// Placing lets paints through after the pick; a tap already queued then must
// not run another handler in the middle of this one.
TEST_P(ActionTest, TapsQueuedDuringAPlacementDoNotRunInsideIt)
{
    placeArea("01", "SAL", "Salão");
    openScreen();
    host->picks.push_back({"NRMESA", "1"});
    const auto queueTap = [](QWidget* w) {
        const QPointF at = w->rect().center();
        const QPointF global = w->mapToGlobal(at);
        QCoreApplication::postEvent(
            w, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            w, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    };
    Pesquisa = [&, inner = Pesquisa](TClientDataSet& ds, const QString& f, const QString& s, int a, int b, int c,
                                     int d, int e) {
        queueTap(table(2));
        queueTap(form->tcbLimpar);
        return inner(ds, f, s, a, b, c, d, e);
    };
    click(table(1));
    QCoreApplication::processEvents();

    EXPECT_EQ(host->pickCalls.size(), 1); // the second table tap opened no pick inside the first
    EXPECT_FALSE(boExcluir);              // nor did the clear command switch modes under it
    EXPECT_EQ(buttons("IDTPBUTTON = '3' AND NRBUTTON = '01' AND CDIDENTBUTON = '1'"), 1);
    EXPECT_EQ(table(1)->text(), QStringLiteral("Mesa 1"));
}

// ---- argument texts ----------------------------------------------------------------

// A service's argument text is its arguments, in the order the service takes
// them, joined with "-" (getInsere's is checked with the placements).
TEST_P(ActionTest, EachCallsArgumentTextIsItsArgumentsInTheirOrder)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "1", "01", "1", "Mesa 1");
    openScreen();

    host->colours.push_back("255");
    key(Qt::Key_F5);
    click(area(1));
    key(Qt::Key_Enter, Qt::ControlModifier);
    host->colours.push_back("65280");
    click(form->tcbCorTexto);
    click(table(1));
    click(form->tcbConfirma);
    key(Qt::Key_F7);
    click(table(1));
    click(form->tcbCancela);

    const QStringList& calls = host->serviceCalls;
    EXPECT_TRUE(calls.contains("getAmbNrbuton:9999-00001-4-0-0-0-01-1")) << calls.join('|').toStdString();
    EXPECT_TRUE(calls.contains("getMudaCor:9999-00001-01-1-255-4-0-0-0-11571344")) << calls.join('|').toStdString();
    EXPECT_TRUE(calls.contains("getMudaFonte:9999-00001-01-1-65280-3-4-01-1-0")) << calls.join('|').toStdString();
    EXPECT_TRUE(calls.contains("getMesaNrButon:9999-" + form->stCdLojaAber + "-3-01-1-01-1-00001-4"))
        << calls.join('|').toStdString();
}

} // namespace

QDL_FORM_SUITE(ActionTest);

QDL_TEST_MAIN()

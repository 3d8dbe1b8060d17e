// The operator dialogs, opened through their real entry points and worked
// with real taps and key presses under the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "clientdataset.h"
#include "colors.h"
#include "dbfixture.h"
#include "dialogs/colorchoice.h"
#include "dialogs/install.h"
#include "dialogs/keyboard.h"
#include "dialogs/messagedialog.h"
#include "dialogs/picklist.h"
#include "glyphs.h"
#include "picktables.h"
#include "guard.h"
#include "modalscript.h"
#include "siblings.h"
#include "testmain.h"
#include "touchcontrols.h"

namespace {

void tap(QWidget* dialog, const QString& name)
{
    if (QWidget* w = child(dialog, name)) {
        EXPECT_TRUE(w->isVisible()) << name.toStdString();
        QTest::mouseClick(w, Qt::LeftButton);
    }
}

// What the window system delivers for a double tap.
void doubleTap(QWidget* w, QPoint at = {})
{
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

// The physical keyboard: keys go where the dialog has its focus.
QWidget* keyTarget(QWidget* dialog)
{
    return dialog->focusWidget() ? dialog->focusWidget() : dialog;
}

void press(QWidget* dialog, Qt::Key key)
{
    QTest::keyClick(keyTarget(dialog), key);
}

void typeOn(QWidget* dialog, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(keyTarget(dialog), char(ch.unicode()));
        else // accented letters
            QTest::sendKeyEvent(QTest::Click, keyTarget(dialog), Qt::Key(ch.toUpper().unicode()),
                                QString(ch), {});
    }
}

// --- Pick list -------------------------------------------------------------

TClientDataSet fourTables()
{
    return tables({{"0001", "Varanda 1"}, {"0002", "Salão Principal"}, {"0003", "Terraço"},
                   {"0004", "Mesa VIP"}});
}

bool pickWith(TClientDataSet& ds, Script script)
{
    whenModal(std::move(script));
    return runPickList(ds, QString(), "S", 11776174, 13684686, 4407615, 8487297, 0);
}

QTableView* table(QWidget* d)
{
    return child<QTableView>(d, "pickTable");
}

QPoint rowCentre(QWidget* d, int row)
{
    return table(d)->visualRect(table(d)->model()->index(row, 1)).center();
}

QStringList shownColumn(QWidget* d, int column)
{
    QStringList out;
    for (int r = 0; r < table(d)->model()->rowCount(); ++r)
        out << table(d)->model()->index(r, column).data().toString();
    return out;
}

int selectedRow(QWidget* d)
{
    const auto rows = table(d)->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

TEST(PickList, ShowsVisibleFieldsUnderTheirLabelsWithFirstRowSelected)
{
    TClientDataSet ds = fourTables();
    pickWith(ds, [](QWidget* d) {
        const QAbstractItemModel* m = table(d)->model();
        ASSERT_EQ(m->columnCount(), 2); // the hidden status is not shown
        EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Mesa");
        EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Nome");
        EXPECT_EQ(shownColumn(d, 0), QStringList({"0001", "0002", "0003", "0004"}));
        EXPECT_EQ(selectedRow(d), 0);
        EXPECT_GT(table(d)->columnWidth(1), table(d)->columnWidth(0) * 2); // 30 vs 4 characters
        EXPECT_GE(table(d)->rowHeight(0), 48);
        for (const char* name : {"pickOk", "pickCancel", "pickUp", "pickDown"})
            EXPECT_GE(child(d, name)->height(), 48) << name;
        tap(d, "pickCancel");
    });
}

TEST(PickList, PicksTheThirdRowByTapAndOkDoubleTapOrKeys)
{
    const std::pair<const char*, Script> ways[] = {
        {"tap and OK", [](QWidget* d) {
             QTest::mouseClick(table(d)->viewport(), Qt::LeftButton, {}, rowCentre(d, 2));
             EXPECT_EQ(selectedRow(d), 2);
             tap(d, "pickOk");
         }},
        {"double tap", [](QWidget* d) { doubleTap(table(d)->viewport(), rowCentre(d, 2)); }},
        {"keys", [](QWidget* d) {
             for (Qt::Key k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return})
                 press(d, k);
         }},
    };
    for (const auto& [how, script] : ways) {
        TClientDataSet ds = fourTables();
        EXPECT_TRUE(pickWith(ds, script)) << how;
        EXPECT_EQ(ds.FieldByName("NMMESA").AsString(), "Terraço") << how;
    }
}

TEST(PickList, TypingFiltersAnyColumnIgnoringCaseAndAccents)
{
    TClientDataSet ds = fourTables();
    EXPECT_TRUE(pickWith(ds, [](QWidget* d) {
        typeOn(d, "TERRACO");
        EXPECT_EQ(shownColumn(d, 1), QStringList({"Terraço"}));
        EXPECT_EQ(selectedRow(d), 0);
        EXPECT_EQ(child<QLabel>(d, "pickCount")->text(), "1 de 4 itens");
        auto* filter = child<QLineEdit>(d, "pickFilter");
        filter->selectAll();
        typeOn(d, "principal SALÃ"); // words in any order, accents typed
        EXPECT_EQ(shownColumn(d, 0), QStringList({"0002"}));
        filter->selectAll();
        typeOn(d, "cozinha");
        EXPECT_EQ(table(d)->model()->rowCount(), 0);
        EXPECT_FALSE(child(d, "pickOk")->isEnabled());
        EXPECT_TRUE(child(d, "pickEmpty")->isVisible());
        press(d, Qt::Key_Return); // nothing to pick: stays open
        EXPECT_TRUE(d->isVisible());
        tap(d, "pickClearFilter");
        EXPECT_FALSE(child(d, "pickEmpty")->isVisible());
        typeOn(d, "0004"); // the code column counts too
        press(d, Qt::Key_Enter);
    }));
    EXPECT_EQ(ds.RecNo(), 3); // the dataset's own row, not the filtered one
}

TEST(PickList, FilterTypedOnTheOnScreenKeyboard)
{
    TClientDataSet ds = fourTables();
    EXPECT_TRUE(pickWith(ds, [](QWidget* d) {
        whenModal([](QWidget* kbd) {
            EXPECT_EQ(kbd->findChild<QWidget*>("kbdPreview"), nullptr);
            for (const char* key : {"key_v", "key_a", "key_r", "key_ok"})
                tap(kbd, key);
        });
        tap(d, "pickKeyboard");
        EXPECT_EQ(shownColumn(d, 1), QStringList({"Varanda 1"}));
        tap(d, "pickOk");
    }));
    EXPECT_EQ(ds.RecNo(), 0);
}

TEST(PickList, CancelLeavesTheCursorWhereItWas)
{
    TClientDataSet ds = fourTables();
    ds.setRecNo(1);
    for (bool byKey : {false, true}) {
        EXPECT_FALSE(pickWith(ds, [byKey](QWidget* d) {
            QTest::mouseClick(table(d)->viewport(), Qt::LeftButton, {}, rowCentre(d, 3));
            byKey ? press(d, Qt::Key_Escape) : tap(d, "pickCancel");
        }));
        EXPECT_EQ(ds.RecNo(), 1);
    }
    TClientDataSet empty = tables({});
    EXPECT_FALSE(pickWith(empty, [](QWidget* d) {
        EXPECT_FALSE(child(d, "pickOk")->isEnabled());
        EXPECT_TRUE(child(d, "pickEmpty")->isVisible());
        press(d, Qt::Key_Down);
        press(d, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        tap(d, "pickCancel");
    }));
}

TEST(PickList, PagesThroughHundredsOfRows)
{
    QList<QStringList> rows;
    for (int i = 1; i <= 600; ++i)
        rows << QStringList{QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Mesa %1").arg(i)};
    TClientDataSet ds = tables(rows);
    int chosen = -1;
    EXPECT_TRUE(pickWith(ds, [&chosen](QWidget* d) {
        EXPECT_FALSE(child(d, "pickUp")->isEnabled());
        tap(d, "pickDown");
        const int page = selectedRow(d);
        EXPECT_GT(page, 3); // a page, not a row
        tap(d, "pickDown");
        EXPECT_EQ(selectedRow(d), 2 * page);
        const QRect shown = table(d)->visualRect(table(d)->model()->index(2 * page, 0));
        EXPECT_TRUE(table(d)->viewport()->rect().contains(shown));
        tap(d, "pickUp");
        EXPECT_EQ(selectedRow(d), page);
        press(d, Qt::Key_PageDown);
        chosen = selectedRow(d);
        tap(d, "pickOk");
    }));
    EXPECT_EQ(ds.FieldByName("NMMESA").AsString(), QStringLiteral("Mesa %1").arg(chosen + 1));
}

TEST(PickList, PaintsWithTheGivenColours)
{
    TClientDataSet ds = fourTables();
    pickWith(ds, [](QWidget* d) {
        const QImage face = d->grab().toImage();
        EXPECT_EQ(face.pixelColor(d->width() / 2, d->height() - 8), colorFromBgr(11776174)); // window
        EXPECT_EQ(face.pixelColor(d->width() / 2, 10), colorFromBgr(4407615));                // title
        const QImage rows = table(d)->viewport()->grab().toImage();
        EXPECT_EQ(rows.pixelColor(4, rowCentre(d, 0).y()), colorFromBgr(8487297));            // selection
        tap(d, "pickCancel");
    });
}

// --- Keyboard --------------------------------------------------------------

QString typeWith(const QString& initial, Script script)
{
    whenModal(std::move(script));
    return runKeyboard(initial, 0, 0, 0);
}

// Taps the text in, with a one-shot shift before each capital.
void tapText(QWidget* kbd, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.isUpper())
            tap(kbd, "key_shift");
        tap(kbd, ch == ' ' ? QStringLiteral("key_space") : QStringLiteral("key_") + ch.toLower());
    }
}

QString edited(QWidget* kbd)
{
    return child<QLineEdit>(kbd, "kbdEdit")->text();
}

TEST(Keyboard, TypesACaptionWithAccentsByTapOrPhysicalKeys)
{
    EXPECT_EQ(typeWith({}, [](QWidget* k) {
        tapText(k, "Mesa VIP ção");
        EXPECT_EQ(child<QLabel>(k, "kbdCounter")->text(), "12/40");
        for (QPushButton* key : k->findChildren<QPushButton*>())
            EXPECT_GE(key->height(), 48) << key->objectName().toStdString();
        EXPECT_LE(k->width(), 800);
        EXPECT_LE(k->height(), 600);
        tap(k, "key_ok");
    }), "Mesa VIP ção");
    EXPECT_EQ(typeWith("Mesa", [](QWidget* k) {
        typeOn(k, " VIP ção"); // the caption is kept, not replaced
        press(k, Qt::Key_Enter);
    }), "Mesa VIP ção");
}

TEST(Keyboard, ShiftIsOneShotOnceAndLocksOnTheSecondTap)
{
    EXPECT_EQ(typeWith({}, [](QWidget* k) {
        tap(k, "key_shift");
        EXPECT_EQ(child<QPushButton>(k, "key_a")->text(), "A");
        for (const char* key : {"key_a", "key_b", "key_shift", "key_shift", "key_ç", "key_é", "key_1",
                                "key_amp", "key_d", "key_shift", "key_e"})
            tap(k, key);
        press(k, Qt::Key_Return);
    }), "AbÇÉ1&De");
}

TEST(Keyboard, BackspaceClearCancelAndEsc)
{
    EXPECT_EQ(typeWith("Mesa 12", [](QWidget* k) {
        tap(k, "key_backspace");
        EXPECT_EQ(edited(k), "Mesa 1");
        tap(k, "key_clear");
        EXPECT_EQ(child<QLabel>(k, "kbdCounter")->text(), "0/40");
        tapText(k, "Bar");
        tap(k, "key_ok");
    }), "Bar");
    EXPECT_EQ(typeWith("Mesa", [](QWidget* k) {
        tap(k, "key_clear");
        tap(k, "key_ok");
    }), "");
    EXPECT_EQ(typeWith("Mesa 1", [](QWidget* k) {
        tapText(k, "abc");
        tap(k, "key_cancel");
    }), "@");
    EXPECT_EQ(typeWith("Mesa 1", [](QWidget* k) {
        typeOn(k, "xyz");
        press(k, Qt::Key_Escape);
    }), "@");
}

TEST(Keyboard, RefusesKeysPastFortyCharacters)
{
    const QString start(39, QLatin1Char('x'));
    EXPECT_EQ(typeWith(start, [](QWidget* k) {
        tap(k, "key_a");
        EXPECT_EQ(child<QLabel>(k, "kbdCounter")->text(), "40/40");
        EXPECT_FALSE(child(k, "key_b")->isEnabled());
        EXPECT_FALSE(child(k, "key_space")->isEnabled());
        tap(k, "key_b");
        typeOn(k, "cde");
        EXPECT_EQ(edited(k).size(), 40);
        tap(k, "key_backspace"); // room again
        tap(k, "key_b");
        tap(k, "key_ok");
    }), start + "b");
    EXPECT_EQ(typeWith(QString(50, QLatin1Char('y')), [](QWidget* k) { tap(k, "key_ok"); }),
              QString(40, QLatin1Char('y')));
}

TEST(Keyboard, PreviewCopiesTheButtonBeingRenamed)
{
    TTouchButton area;
    area.resize(100, 40);
    area.SetColor(bgrFromColor(QColor(10, 120, 40)));
    area.SetFontColor(bgrFromColor(QColor(250, 250, 0)));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(13);
    area.setFont(f);
    setKeyboardPreviewSource(&area);
    typeWith("Salão", [&area](QWidget* k) {
        auto* preview = qobject_cast<TTouchButton*>(child(k, "kbdPreview"));
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->size(), QSize(100, 40));
        EXPECT_EQ(preview->Color(), area.Color());
        EXPECT_EQ(preview->FontColor(), area.FontColor());
        EXPECT_EQ(preview->font().pixelSize(), 13);
        tapText(k, " 2");
        EXPECT_EQ(preview->text(), "Salão 2");
        tap(k, "key_cancel");
    });
    // The source serves one keyboard only; then a table button's size.
    typeWith({}, [](QWidget* k) {
        EXPECT_EQ(child(k, "kbdPreview")->size(), QSize(77, 50));
        tap(k, "key_cancel");
    });
}

// --- Colour choice ---------------------------------------------------------

QString chooseWith(Script script, QVariant result = QVariant(QVariantList(10)))
{
    whenModal(std::move(script));
    runColorChoice(QVariantList{QString()}, result);
    EXPECT_EQ(result.toList().size(), 10);
    return result.toList().value(0).toString();
}

QList<QWidget*> swatches(QWidget* dialog)
{
    QList<QWidget*> out;
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (w->objectName().startsWith(QLatin1String("swatch_")))
            out << w;
    return out;
}

// The swatch showing the colour, found by its look rather than its name.
QWidget* swatchShowing(QWidget* dialog, const QColor& color)
{
    for (QWidget* w : swatches(dialog))
        if (w->grab().toImage().pixelColor(12, w->height() / 2) == color)
            return w;
    ADD_FAILURE() << "no swatch shows " << color.name().toStdString();
    return nullptr;
}

TEST(ColorChoice, OffersDistinctSwatchesAndATappedOneGivesItsExactValue)
{
    EXPECT_EQ(chooseWith([](QWidget* c) {
        QSet<QRgb> seen;
        for (QWidget* w : swatches(c)) {
            EXPECT_GE(w->height(), 48);
            seen.insert(w->grab().toImage().pixel(12, w->height() / 2));
        }
        EXPECT_GE(swatches(c).size(), 24);
        EXPECT_EQ(seen.size(), swatches(c).size());
        QTest::mouseClick(swatchShowing(c, QColor(144, 144, 176)), Qt::LeftButton);
        tap(c, "colorOk");
    }), "11571344");
    EXPECT_EQ(chooseWith([](QWidget* c) { doubleTap(swatchShowing(c, Qt::black)); }), "0");
}

TEST(ColorChoice, PreviewShowsTheChoiceAsBackgroundAndAsText)
{
    const QColor red(220, 20, 20);
    chooseWith([red](QWidget* c) {
        QTest::mouseClick(swatchShowing(c, red), Qt::LeftButton);
        const QImage back = child(c, "colorPreviewBack")->grab().toImage();
        EXPECT_EQ(back.pixelColor(8, back.height() / 2), red);
        const QImage text = child(c, "colorPreviewText")->grab().toImage();
        bool inLetters = false;
        for (int x = 0; x < text.width(); ++x)
            for (int y = 0; y < text.height(); ++y)
                inLetters = inLetters || text.pixelColor(x, y) == red;
        EXPECT_TRUE(inLetters);
        tap(c, "colorCancel");
    });
}

TEST(ColorChoice, ArrowKeysMoveAndEnterChooses)
{
    QColor shown;
    const QString value = chooseWith([&shown](QWidget* c) {
        for (Qt::Key k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up,
                          Qt::Key_Up /* past the top: stays */, Qt::Key_Down})
            press(c, k);
        const QImage sample = child(c, "colorPreviewBack")->grab().toImage();
        shown = sample.pixelColor(8, sample.height() / 2);
        EXPECT_EQ(swatchShowing(c, shown)->objectName(), "swatch_7"); // row 1, column 1
        press(c, Qt::Key_Return);
    });
    EXPECT_EQ(value, QString::number(bgrFromColor(shown)));
}

TEST(ColorChoice, CancelAndEscGiveXInAListOfTen)
{
    EXPECT_EQ(chooseWith([](QWidget* c) {
        QTest::mouseClick(swatchShowing(c, Qt::black), Qt::LeftButton);
        tap(c, "colorCancel");
    }), "X");
    QVariantList given(10);
    given[5] = QStringLiteral("keep");
    QVariant result = given;
    whenModal([](QWidget* c) { press(c, Qt::Key_Escape); });
    runColorChoice({QString()}, result);
    EXPECT_EQ(result.toList().value(0).toString(), "X");
    EXPECT_EQ(result.toList().value(5).toString(), "keep");
    // Not a list of ten: made one.
    EXPECT_EQ(chooseWith([](QWidget* c) { press(c, Qt::Key_Escape); }, QStringLiteral("?")), "X");
}

TEST(ColorChoice, MoreColoursTakesAnyColour)
{
    EXPECT_EQ(chooseWith([](QWidget* c) {
        whenModal([](QWidget* picker) {
            for (QLineEdit* e : picker->findChildren<QLineEdit*>()) {
                if (e->text().startsWith(QLatin1Char('#'))) {
                    e->selectAll();
                    QTest::keyClicks(e, "#102030");
                    QTest::keyClick(e, Qt::Key_Return);
                }
            }
        });
        tap(c, "colorMore");
        tap(c, "colorOk");
    }), QString::number(0x302010)); // RGB 16,32,48 as 0x00BBGGRR
}

// --- Messages --------------------------------------------------------------

bool answerWith(const MessageRequest& request, Script script)
{
    whenModal(std::move(script));
    return showMessageDialog(request);
}

const MessageRequest kDelete{"Todas as mesas e ambientes selecionados serão excluídos. Confirma exclusão?",
                             "S", 1, "002"};
const MessageRequest kInfo{"Não há ambiente cadastrado.", "N", 3, ""};

TEST(Message, QuestionIsAnsweredSimOrNao)
{
    EXPECT_FALSE(answerWith(kDelete, [](QWidget* m) {
        EXPECT_EQ(child<QLabel>(m, "msgText")->text(), kDelete.text);
        EXPECT_TRUE(child<QLabel>(m, "msgCode")->text().contains("002"));
        EXPECT_EQ(m->findChild<QWidget*>("msgOk"), nullptr);
        tap(m, "msgNo");
    }));
    EXPECT_TRUE(answerWith(kDelete, [](QWidget* m) { tap(m, "msgYes"); }));
    EXPECT_TRUE(answerWith(kDelete, [](QWidget* m) { press(m, Qt::Key_Return); }));
    EXPECT_FALSE(answerWith(kDelete, [](QWidget* m) { press(m, Qt::Key_Escape); }));
}

TEST(Message, InformationHasOneOkAndLongTextStaysOnScreen)
{
    EXPECT_TRUE(answerWith(kInfo, [](QWidget* m) {
        EXPECT_EQ(m->findChild<QWidget*>("msgYes"), nullptr);
        EXPECT_EQ(m->findChild<QWidget*>("msgNo"), nullptr);
        EXPECT_TRUE(child<QLabel>(m, "msgCode")->text().isEmpty());
        tap(m, "msgOk");
    }));
    MessageRequest longOne = kInfo;
    longOne.text = QStringLiteral("ORA-00001: restrição exclusiva violada. ").repeated(20);
    EXPECT_TRUE(answerWith(longOne, [](QWidget* m) {
        EXPECT_LE(m->height(), 600);
        EXPECT_GE(child(m, "msgOk")->height(), 48);
        press(m, Qt::Key_Enter);
    }));
}

// --- Behind the host's procedure variables --------------------------------

TEST(Install, ProcedureVariablesOpenTheRealDialogs)
{
    installHostDialogs();
    TClientDataSet ds = fourTables();
    whenModal([](QWidget* d) { doubleTap(table(d)->viewport(), rowCentre(d, 1)); });
    EXPECT_TRUE(Pesquisa(ds, QString(), "S", 11776174, 13684686, 4407615, 8487297, 0));
    EXPECT_EQ(ds.RecNo(), 1);

    whenModal([](QWidget* k) { tap(k, "key_cancel"); });
    EXPECT_EQ(TecladoAlfaNumerico("Mesa", 0, 0, 0), "@");

    QVariant result = QVariantList(10);
    whenModal([](QWidget* c) { tap(c, "colorCancel"); });
    CriaTelaQdl00006({QString()}, result);
    EXPECT_EQ(result.toList()[0].toString(), "X");

    whenModal([](QWidget* m) { tap(m, "msgYes"); });
    EXPECT_TRUE(Mensagem(kDelete.text, "", "N", "S", 1, "", "002", 0, nullptr));

    whenModal([](QWidget* m) {
        EXPECT_EQ(child<QLabel>(m, "dlgTitle")->text(), "Erro");
        EXPECT_EQ(child<QLabel>(m, "msgText")->text(), "Falha ao gravar.");
        tap(m, "msgOk");
    });
    reportGeneralError(QStringLiteral("Falha ao gravar."));
}

} // namespace

QDL_TEST_MAIN()

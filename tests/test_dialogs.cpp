// The operator dialogs, opened through their real entry points and worked
// with real taps and key presses under the offscreen platform.
//
// With QDL_SCREENSHOTS=<dir> the Screenshots test also saves each dialog as a
// PNG there.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
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
#include "dialogs/colorchoice.h"
#include "dialogs/install.h"
#include "dialogs/keyboard.h"
#include "dialogs/messagedialog.h"
#include "dialogs/picklist.h"
#include "glyphs.h"
#include "guard.h"
#include "messages.h"
#include "siblings.h"
#include "touchcontrols.h"

// Readable QStrings in failure messages.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using Script = std::function<void(QWidget* dialog)>;

// Queues the script to run against the next modal dialog, once it is up.
// A script that leaves its dialog open fails the test and closes it, so a
// broken dialog can never hang the run.
void whenModal(Script script)
{
    QTimer::singleShot(0, [script] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog came up";
            return;
        }
        script(dialog);
        if (auto* d = qobject_cast<QDialog*>(dialog); d && d->isVisible()) {
            ADD_FAILURE() << "the script left " << d->objectName().toStdString() << " open";
            d->reject();
        }
    });
}

template <typename T = QWidget>
T* child(QWidget* dialog, const QString& name)
{
    T* w = dialog->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no child " << name.toStdString();
    return w;
}

void tap(QWidget* dialog, const QString& name)
{
    QWidget* w = child(dialog, name);
    if (!w)
        return;
    EXPECT_TRUE(w->isVisible()) << name.toStdString();
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// The physical keyboard: keys go where the dialog has its focus.
QWidget* keyTarget(QWidget* dialog)
{
    QWidget* focus = dialog->focusWidget();
    return focus ? focus : dialog;
}

// What the window system delivers for a double tap: press, release, then a
// double-click event and its release.
void doubleTap(QWidget* w, QPoint at = {})
{
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

// Typing on the physical keyboard, accented letters included.
void typeOn(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(ch.toUpper().unicode()), QString(ch), {});
    }
}

void press(QWidget* dialog, Qt::Key key)
{
    QTest::keyClick(keyTarget(dialog), key);
}

// --- Pick list -------------------------------------------------------------

// The tables offered when placing a table: code, name, and a hidden status.
TClientDataSet tables(const QList<QStringList>& rows)
{
    TClientDataSet ds(QStringLiteral("cdsMesas"));
    ds.addField({QStringLiteral("NRMESA"), FieldType::String, 4, QStringLiteral("Mesa")});
    ds.addField({QStringLiteral("NMMESA"), FieldType::String, 30, QStringLiteral("Nome")});
    FieldDef hidden{QStringLiteral("IDSTMESAAUX"), FieldType::String, 1};
    hidden.visible = false;
    ds.addField(hidden);
    ds.setIndexFieldName(QStringLiteral("NRMESA"));
    ds.CreateDataSet();
    for (const QStringList& r : rows) {
        ds.Append();
        ds.FieldByName(QStringLiteral("NRMESA")).setAsString(r[0]);
        ds.FieldByName(QStringLiteral("NMMESA")).setAsString(r[1]);
        ds.FieldByName(QStringLiteral("IDSTMESAAUX")).setAsString(QStringLiteral("N"));
        ds.Post();
    }
    ds.First();
    return ds;
}

TClientDataSet fourTables()
{
    return tables({{"0001", "Varanda 1"}, {"0002", "Salão Principal"}, {"0003", "Terraço"},
                   {"0004", "Mesa VIP"}});
}

bool pickWith(TClientDataSet& ds, Script script)
{
    whenModal(std::move(script));
    return runPickList(ds, QString(), QStringLiteral("S"), 11776174, 13684686, 4407615, 8487297, 0);
}

QTableView* table(QWidget* dialog)
{
    return child<QTableView>(dialog, QStringLiteral("pickTable"));
}

void tapRow(QWidget* dialog, int row, bool twice = false)
{
    QTableView* view = table(dialog);
    const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
    if (twice)
        doubleTap(view->viewport(), at);
    else
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
}

QStringList shownColumn(QWidget* dialog, int column)
{
    QStringList out;
    const QAbstractItemModel* m = table(dialog)->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, column).data().toString();
    return out;
}

int selectedRow(QWidget* dialog)
{
    const auto rows = table(dialog)->selectionModel()->selectedRows();
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
        // A name of 30 characters gets a wider column than a code of 4.
        EXPECT_GT(table(d)->columnWidth(1), table(d)->columnWidth(0) * 2);
        EXPECT_GE(table(d)->rowHeight(0), 48);
        for (const char* name : {"pickOk", "pickCancel", "pickUp", "pickDown"})
            EXPECT_GE(child(d, name)->height(), 48) << name;
        tap(d, "pickCancel");
    });
}

TEST(PickList, PicksTheThirdRowByTapAndOk)
{
    TClientDataSet ds = fourTables();
    const bool picked = pickWith(ds, [](QWidget* d) {
        tapRow(d, 2);
        EXPECT_EQ(selectedRow(d), 2);
        EXPECT_TRUE(child(d, "pickOk")->isEnabled());
        tap(d, "pickOk");
    });
    EXPECT_TRUE(picked);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.FieldByName("NMMESA").AsString(), "Terraço");
}

TEST(PickList, PicksTheThirdRowByDoubleTap)
{
    TClientDataSet ds = fourTables();
    EXPECT_TRUE(pickWith(ds, [](QWidget* d) { tapRow(d, 2, true); }));
    EXPECT_EQ(ds.FieldByName("NRMESA").AsString(), "0003");
}

TEST(PickList, PicksTheThirdRowByKeyboard)
{
    TClientDataSet ds = fourTables();
    EXPECT_TRUE(pickWith(ds, [](QWidget* d) {
        press(d, Qt::Key_Down);
        press(d, Qt::Key_Down);
        press(d, Qt::Key_Down);
        press(d, Qt::Key_Up);
        press(d, Qt::Key_Return);
    }));
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST(PickList, TypingFiltersAnyColumnIgnoringCaseAndAccents)
{
    TClientDataSet ds = fourTables();
    EXPECT_TRUE(pickWith(ds, [](QWidget* d) {
        QTest::keyClicks(keyTarget(d), "TERRACO");
        EXPECT_EQ(shownColumn(d, 1), QStringList({"Terraço"}));
        EXPECT_EQ(selectedRow(d), 0);
        EXPECT_EQ(child<QLabel>(d, "pickCount")->text(), "1 de 4 itens");
        // The code column counts too; words may come in any order.
        auto* filter = child<QLineEdit>(d, "pickFilter");
        filter->selectAll();
        QTest::keyClicks(filter, "principal sal");
        EXPECT_EQ(shownColumn(d, 0), QStringList({"0002"}));
        filter->selectAll();
        QTest::keyClicks(filter, "000");
        EXPECT_EQ(shownColumn(d, 0).size(), 4);
        QTest::keyClicks(filter, "4");
        EXPECT_EQ(shownColumn(d, 1), QStringList({"Mesa VIP"}));
        press(d, Qt::Key_Enter);
    }));
    EXPECT_EQ(ds.RecNo(), 3); // the dataset's own row, not the filtered one
}

TEST(PickList, FilterWithNoMatchOffersNothingToPick)
{
    TClientDataSet ds = fourTables();
    EXPECT_FALSE(pickWith(ds, [](QWidget* d) {
        QTest::keyClicks(keyTarget(d), "cozinha");
        EXPECT_EQ(table(d)->model()->rowCount(), 0);
        EXPECT_FALSE(child(d, "pickOk")->isEnabled());
        EXPECT_TRUE(child(d, "pickEmpty")->isVisible());
        press(d, Qt::Key_Return); // nothing to pick: stays open
        EXPECT_TRUE(d->isVisible());
        tap(d, "pickClearFilter");
        EXPECT_EQ(table(d)->model()->rowCount(), 4);
        EXPECT_FALSE(child(d, "pickEmpty")->isVisible());
        press(d, Qt::Key_Escape);
    }));
}

TEST(PickList, FilterTypedOnTheOnScreenKeyboard)
{
    TClientDataSet ds = fourTables();
    EXPECT_TRUE(pickWith(ds, [](QWidget* d) {
        whenModal([](QWidget* kbd) {
            EXPECT_EQ(kbd->findChild<QWidget*>("kbdPreview"), nullptr);
            tap(kbd, "key_v");
            tap(kbd, "key_a");
            tap(kbd, "key_r");
            tap(kbd, "key_ok");
        });
        tap(d, "pickKeyboard");
        EXPECT_EQ(child<QLineEdit>(d, "pickFilter")->text(), "var");
        EXPECT_EQ(shownColumn(d, 1), QStringList({"Varanda 1"}));
        tap(d, "pickOk");
    }));
    EXPECT_EQ(ds.RecNo(), 0);
}

TEST(PickList, CancelLeavesTheCursorWhereItWas)
{
    TClientDataSet ds = fourTables();
    ds.setRecNo(1);
    EXPECT_FALSE(pickWith(ds, [](QWidget* d) {
        tapRow(d, 3);
        tap(d, "pickCancel");
    }));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_FALSE(pickWith(ds, [](QWidget* d) {
        tapRow(d, 3);
        press(d, Qt::Key_Escape);
    }));
    EXPECT_EQ(ds.RecNo(), 1);
}

TEST(PickList, EmptyDatasetCanOnlyBeCancelled)
{
    TClientDataSet ds = tables({});
    EXPECT_FALSE(pickWith(ds, [](QWidget* d) {
        EXPECT_FALSE(child(d, "pickOk")->isEnabled());
        EXPECT_FALSE(child(d, "pickDown")->isEnabled());
        EXPECT_TRUE(child(d, "pickEmpty")->isVisible());
        press(d, Qt::Key_Return);
        press(d, Qt::Key_Down);
        EXPECT_TRUE(d->isVisible());
        tap(d, "pickCancel");
    }));
    EXPECT_EQ(ds.RecNo(), -1);
}

TEST(PickList, PagesThroughHundredsOfRows)
{
    QList<QStringList> rows;
    for (int i = 1; i <= 600; ++i)
        rows << QStringList{QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')),
                            QStringLiteral("Mesa %1").arg(i)};
    TClientDataSet ds = tables(rows);
    int chosen = -1;
    EXPECT_TRUE(pickWith(ds, [&chosen](QWidget* d) {
        EXPECT_FALSE(child(d, "pickUp")->isEnabled());
        tap(d, "pickDown");
        const int afterOne = selectedRow(d);
        EXPECT_GT(afterOne, 3); // a page, not a row
        tap(d, "pickDown");
        EXPECT_EQ(selectedRow(d), 2 * afterOne);
        // The selected row is on screen.
        QTableView* view = table(d);
        const QRect shown = view->visualRect(view->model()->index(selectedRow(d), 0));
        EXPECT_TRUE(view->viewport()->rect().contains(shown)) << shown.y();
        tap(d, "pickUp");
        EXPECT_EQ(selectedRow(d), afterOne);
        press(d, Qt::Key_PageDown);
        chosen = selectedRow(d);
        tap(d, "pickOk");
    }));
    EXPECT_EQ(ds.RecNo(), chosen);
    EXPECT_EQ(ds.FieldByName("NMMESA").AsString(), QStringLiteral("Mesa %1").arg(chosen + 1));
}

TEST(PickList, PaintsWithTheGivenColours)
{
    TClientDataSet ds = fourTables();
    pickWith(ds, [](QWidget* d) {
        const QImage face = d->grab().toImage();
        // Window body in colour 1 (0xB3B0AE), title band in colour 3.
        EXPECT_EQ(face.pixelColor(d->width() / 2, d->height() - 8), colorFromBgr(11776174));
        EXPECT_EQ(face.pixelColor(d->width() / 2, 10), colorFromBgr(4407615));
        // The selected row in colour 4.
        QTableView* view = table(d);
        const QImage rows = view->viewport()->grab().toImage();
        const QRect first = view->visualRect(view->model()->index(0, 1));
        EXPECT_EQ(rows.pixelColor(first.right() - 4, first.center().y()), colorFromBgr(8487297));
        tap(d, "pickCancel");
    });
}

// --- Keyboard --------------------------------------------------------------

QString typeWith(const QString& initial, Script script)
{
    whenModal(std::move(script));
    return runKeyboard(initial, 0, 0, 0);
}

QString keyFor(QChar ch)
{
    switch (ch.unicode()) {
    case ' ': return QStringLiteral("key_space");
    case '-': return QStringLiteral("key_minus");
    case '.': return QStringLiteral("key_period");
    default: return QStringLiteral("key_") + ch.toLower();
    }
}

// Taps the text in, with a one-shot shift before each capital.
void tapText(QWidget* kbd, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.isUpper())
            tap(kbd, "key_shift");
        tap(kbd, keyFor(ch));
    }
}

QString edited(QWidget* kbd)
{
    return child<QLineEdit>(kbd, "kbdEdit")->text();
}

TEST(Keyboard, TappedKeysSpellACaptionWithAccents)
{
    EXPECT_EQ(typeWith({}, [](QWidget* k) {
        tapText(k, "Mesa VIP ção");
        EXPECT_EQ(child<QLabel>(k, "kbdCounter")->text(), "12/40");
        tap(k, "key_ok");
    }), "Mesa VIP ção");
}

TEST(Keyboard, ShiftIsOneShotOnceAndLocksOnTheSecondTap)
{
    EXPECT_EQ(typeWith({}, [](QWidget* k) {
        tap(k, "key_shift");
        EXPECT_EQ(child<QPushButton>(k, "key_a")->text(), "A");
        tap(k, "key_a");
        EXPECT_EQ(child<QPushButton>(k, "key_a")->text(), "a");
        tap(k, "key_b");
        tap(k, "key_shift");
        tap(k, "key_shift"); // locked
        tap(k, "key_ç");
        tap(k, "key_é");
        tap(k, "key_1");
        tap(k, "key_amp");
        tap(k, "key_d");
        tap(k, "key_shift"); // off again
        tap(k, "key_e");
        press(k, Qt::Key_Return);
    }), "AbÇÉ1&De");
}

TEST(Keyboard, PhysicalKeyboardTypesAndEnterReturnsTheText)
{
    EXPECT_EQ(typeWith("Mesa", [](QWidget* k) {
        EXPECT_EQ(edited(k), "Mesa");
        typeOn(keyTarget(k), " VIP ção");
        EXPECT_EQ(edited(k), "Mesa VIP ção");
        press(k, Qt::Key_Enter);
    }), "Mesa VIP ção");
}

TEST(Keyboard, BackspaceAndClear)
{
    EXPECT_EQ(typeWith("Mesa 12", [](QWidget* k) {
        tap(k, "key_backspace");
        EXPECT_EQ(edited(k), "Mesa 1");
        tap(k, "key_clear");
        EXPECT_EQ(edited(k), "");
        EXPECT_EQ(child<QLabel>(k, "kbdCounter")->text(), "0/40");
        tapText(k, "Bar");
        tap(k, "key_ok");
    }), "Bar");
    // Clearing everything and confirming gives the empty text.
    EXPECT_EQ(typeWith("Mesa", [](QWidget* k) {
        tap(k, "key_clear");
        tap(k, "key_ok");
    }), "");
}

TEST(Keyboard, CancelAndEscGiveTheNoChangeMark)
{
    EXPECT_EQ(typeWith("Mesa 1", [](QWidget* k) {
        tapText(k, "abc");
        tap(k, "key_cancel");
    }), "@");
    EXPECT_EQ(typeWith("Mesa 1", [](QWidget* k) {
        QTest::keyClicks(keyTarget(k), "xyz");
        press(k, Qt::Key_Escape);
    }), "@");
}

TEST(Keyboard, RefusesKeysPastFortyCharacters)
{
    const QString start(39, QLatin1Char('x'));
    const QString result = typeWith(start, [](QWidget* k) {
        tap(k, "key_a");
        EXPECT_EQ(edited(k).size(), 40);
        EXPECT_EQ(child<QLabel>(k, "kbdCounter")->text(), "40/40");
        EXPECT_FALSE(child(k, "key_b")->isEnabled());
        EXPECT_FALSE(child(k, "key_space")->isEnabled());
        tap(k, "key_b");
        QTest::keyClicks(keyTarget(k), "cde");
        EXPECT_EQ(edited(k).size(), 40);
        // Making room brings the keys back.
        tap(k, "key_backspace");
        EXPECT_TRUE(child(k, "key_b")->isEnabled());
        tap(k, "key_b");
        tap(k, "key_ok");
    });
    EXPECT_EQ(result, start + "b");
    // A longer caption is cut to what the button can store.
    EXPECT_EQ(typeWith(QString(50, QLatin1Char('y')), [](QWidget* k) { tap(k, "key_ok"); }),
              QString(40, QLatin1Char('y')));
}

TEST(Keyboard, PreviewCopiesTheButtonBeingRenamed)
{
    TTouchButton area;
    area.resize(100, 40);
    area.SetColor(bgrFromColor(QColor(10, 120, 40)));
    area.setFontColor(bgrFromColor(QColor(250, 250, 0)));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(13);
    f.setBold(true);
    area.setFont(f);
    area.setText(QStringLiteral("Salão"));
    setKeyboardPreviewSource(&area);
    typeWith(area.text(), [&area](QWidget* k) {
        auto* preview = qobject_cast<TTouchButton*>(child(k, "kbdPreview"));
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->size(), QSize(100, 40));
        EXPECT_EQ(preview->Color(), area.Color());
        EXPECT_EQ(preview->FontColor(), area.FontColor());
        EXPECT_EQ(preview->font().pixelSize(), 13);
        EXPECT_EQ(preview->text(), "Salão");
        tapText(k, " 2");
        EXPECT_EQ(preview->text(), "Salão 2");
        tap(k, "key_cancel");
    });

    // The source serves one keyboard only; then a table button's size.
    typeWith({}, [](QWidget* k) {
        QWidget* preview = child(k, "kbdPreview");
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->size(), QSize(77, 50));
        tap(k, "key_cancel");
    });
}

TEST(Keyboard, KeysAreLargeEnoughForAFinger)
{
    typeWith({}, [](QWidget* k) {
        const auto keys = k->findChildren<QPushButton*>();
        EXPECT_GT(keys.size(), 50);
        for (QPushButton* key : keys) {
            EXPECT_GE(key->height(), 48) << key->objectName().toStdString();
            EXPECT_GE(key->width(), 48) << key->objectName().toStdString();
            EXPECT_FALSE(key->objectName().isEmpty());
        }
        EXPECT_LE(k->width(), 800);
        EXPECT_LE(k->height(), 600);
        tap(k, "key_cancel");
    });
}

// --- Colour choice ---------------------------------------------------------

QString chooseWith(Script script, QVariant result = QVariant(QVariantList(10)))
{
    whenModal(std::move(script));
    runColorChoice(QVariantList{QString()}, result);
    const QVariantList list = result.toList();
    EXPECT_EQ(list.size(), 10);
    return list.value(0).toString();
}

// The swatch showing the colour, found by its look rather than its name.
QWidget* swatchShowing(QWidget* dialog, const QColor& color)
{
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->objectName().startsWith(QLatin1String("swatch_")))
            continue;
        const QImage img = w->grab().toImage();
        if (img.pixelColor(12, img.height() / 2) == color)
            return w;
    }
    ADD_FAILURE() << "no swatch shows " << color.name().toStdString();
    return nullptr;
}

TEST(ColorChoice, OffersClearSwatchesIncludingTheFreeColourAndBlack)
{
    chooseWith([](QWidget* c) {
        int swatches = 0;
        QSet<QRgb> seen;
        for (QWidget* w : c->findChildren<QWidget*>()) {
            if (!w->objectName().startsWith(QLatin1String("swatch_")))
                continue;
            ++swatches;
            EXPECT_GE(w->height(), 48);
            seen.insert(w->grab().toImage().pixel(12, w->height() / 2));
        }
        EXPECT_GE(swatches, 24);
        EXPECT_EQ(seen.size(), swatches); // all distinct
        EXPECT_NE(swatchShowing(c, QColor(144, 144, 176)), nullptr);
        EXPECT_NE(swatchShowing(c, Qt::black), nullptr);
        tap(c, "colorCancel");
    });
}

TEST(ColorChoice, ATappedSwatchGivesItsExactValue)
{
    EXPECT_EQ(chooseWith([](QWidget* c) {
        QWidget* free = swatchShowing(c, QColor(144, 144, 176));
        ASSERT_NE(free, nullptr);
        QTest::mouseClick(free, Qt::LeftButton);
        tap(c, "colorOk");
    }), "11571344");
    EXPECT_EQ(chooseWith([](QWidget* c) {
        QWidget* black = swatchShowing(c, Qt::black);
        ASSERT_NE(black, nullptr);
        doubleTap(black); // chooses at once
    }), "0");
}

TEST(ColorChoice, PreviewShowsTheChoiceAsBackgroundAndAsText)
{
    chooseWith([](QWidget* c) {
        QWidget* red = swatchShowing(c, QColor(220, 20, 20));
        ASSERT_NE(red, nullptr);
        QTest::mouseClick(red, Qt::LeftButton);
        const QImage back = child(c, "colorPreviewBack")->grab().toImage();
        EXPECT_EQ(back.pixelColor(8, back.height() / 2), QColor(220, 20, 20));
        // The text sample carries the colour in its letters.
        const QImage text = child(c, "colorPreviewText")->grab().toImage();
        bool found = false;
        for (int x = 0; x < text.width() && !found; ++x)
            for (int y = 0; y < text.height() && !found; ++y)
                found = text.pixelColor(x, y) == QColor(220, 20, 20);
        EXPECT_TRUE(found);
        tap(c, "colorCancel");
    });
}

TEST(ColorChoice, CancelAndEscGiveX)
{
    EXPECT_EQ(chooseWith([](QWidget* c) {
        QTest::mouseClick(swatchShowing(c, Qt::black), Qt::LeftButton);
        tap(c, "colorCancel");
    }), "X");
    EXPECT_EQ(chooseWith([](QWidget* c) { press(c, Qt::Key_Escape); }), "X");
}

TEST(ColorChoice, ArrowKeysMoveBetweenSwatchesAndEnterChooses)
{
    QColor shown;
    const QString value = chooseWith([&shown](QWidget* c) {
        press(c, Qt::Key_Right);
        press(c, Qt::Key_Right);
        press(c, Qt::Key_Down);
        press(c, Qt::Key_Left);
        press(c, Qt::Key_Up);
        press(c, Qt::Key_Up); // past the top: stays
        press(c, Qt::Key_Down);
        const QImage sample = child(c, "colorPreviewBack")->grab().toImage();
        shown = sample.pixelColor(8, sample.height() / 2);
        press(c, Qt::Key_Return);
    });
    EXPECT_EQ(value, QString::number(bgrFromColor(shown)));
    // Row two, column two: not the first swatch, not black.
    EXPECT_NE(value, "0");
}

TEST(ColorChoice, MakesTheResultAListOfTenAndKeepsTheRest)
{
    QVariantList given(10);
    given[5] = QStringLiteral("keep");
    QVariant result = given;
    whenModal([](QWidget* c) { press(c, Qt::Key_Return); });
    runColorChoice({QString()}, result);
    EXPECT_EQ(result.toList().size(), 10);
    EXPECT_EQ(result.toList()[5].toString(), "keep");

    QVariant wrong = QStringLiteral("not a list");
    whenModal([](QWidget* c) { press(c, Qt::Key_Escape); });
    runColorChoice({QString()}, wrong);
    ASSERT_EQ(wrong.toList().size(), 10);
    EXPECT_EQ(wrong.toList()[0].toString(), "X");
}

TEST(ColorChoice, MoreColoursTakesAnyColour)
{
    EXPECT_EQ(chooseWith([](QWidget* c) {
        whenModal([](QWidget* picker) {
            QLineEdit* html = nullptr;
            for (QLineEdit* e : picker->findChildren<QLineEdit*>()) {
                if (e->text().startsWith(QLatin1Char('#')))
                    html = e;
            }
            ASSERT_NE(html, nullptr);
            html->selectAll();
            QTest::keyClicks(html, "#102030");
            QTest::keyClick(html, Qt::Key_Return);
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

const MessageRequest kDelete{QStringLiteral("Todas as mesas e ambientes selecionados serão excluídos. Confirma exclusão?"),
                             QStringLiteral("S"), 1, QStringLiteral("002")};
const MessageRequest kInfo{QStringLiteral("Não há ambiente cadastrado."), QStringLiteral("N"), 3, QString()};

TEST(Message, QuestionIsAnsweredSimOrNao)
{
    EXPECT_FALSE(answerWith(kDelete, [](QWidget* m) {
        EXPECT_EQ(child<QLabel>(m, "msgText")->text(), kDelete.text);
        EXPECT_TRUE(child<QLabel>(m, "msgCode")->text().contains("002"));
        EXPECT_EQ(child<QPushButton>(m, "msgYes")->text(), "Sim");
        EXPECT_EQ(child<QPushButton>(m, "msgNo")->text(), "Não");
        EXPECT_EQ(m->findChild<QWidget*>("msgOk"), nullptr);
        tap(m, "msgNo");
    }));
    EXPECT_TRUE(answerWith(kDelete, [](QWidget* m) { tap(m, "msgYes"); }));
    EXPECT_TRUE(answerWith(kDelete, [](QWidget* m) { press(m, Qt::Key_Return); }));
    EXPECT_FALSE(answerWith(kDelete, [](QWidget* m) { press(m, Qt::Key_Escape); }));
}

TEST(Message, InformationHasOneOk)
{
    EXPECT_TRUE(answerWith(kInfo, [](QWidget* m) {
        EXPECT_EQ(m->findChild<QWidget*>("msgYes"), nullptr);
        EXPECT_EQ(m->findChild<QWidget*>("msgNo"), nullptr);
        EXPECT_TRUE(child<QLabel>(m, "msgCode")->text().isEmpty());
        EXPECT_GE(child(m, "msgOk")->height(), 48);
        tap(m, "msgOk");
    }));
    EXPECT_TRUE(answerWith(kInfo, [](QWidget* m) { press(m, Qt::Key_Enter); }));
}

TEST(Message, LongTextWrapsInsideTheScreen)
{
    MessageRequest longOne = kInfo;
    longOne.text = QStringLiteral("ORA-00001: restrição exclusiva violada. ").repeated(20);
    answerWith(longOne, [](QWidget* m) {
        EXPECT_LE(m->width(), 800);
        EXPECT_LE(m->height(), 600);
        EXPECT_GE(child(m, "msgOk")->height(), 48);
        tap(m, "msgOk");
    });
}

// --- Installed behind the host's procedure variables ----------------------

TEST(Install, ProcedureVariablesOpenTheRealDialogs)
{
    installHostDialogs();
    ASSERT_TRUE(Pesquisa && TecladoAlfaNumerico && CriaTelaQdl00006);

    TClientDataSet ds = fourTables();
    whenModal([](QWidget* d) {
        EXPECT_EQ(d->objectName(), "pickListDialog");
        tapRow(d, 1);
        tap(d, "pickOk");
    });
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

// --- Screenshots -----------------------------------------------------------

TEST(Screenshots, SavesEachDialog)
{
    const QString dir = qEnvironmentVariable("QDL_SCREENSHOTS");
    if (dir.isEmpty())
        GTEST_SKIP() << "set QDL_SCREENSHOTS to a folder to save the dialogs as PNG";
    QDir().mkpath(dir);
    auto save = [dir](const char* name) {
        return [dir, name](QWidget* d) {
            EXPECT_TRUE(d->grab().save(dir + "/dialog-" + name + ".png"));
            press(d, Qt::Key_Escape);
        };
    };

    QList<QStringList> rows{{"0001", "Varanda 1"}, {"0002", "Salão Principal"}, {"0003", "Terraço"},
                            {"0004", "Mesa VIP"}, {"0005", "Janela"}, {"0006", "Balcão"},
                            {"0007", "Jardim de Inverno"}, {"0008", "Mezanino"}, {"0009", "Deque"},
                            {"0010", "Reservado"}};
    TClientDataSet ds = tables(rows);
    whenModal([save](QWidget* d) {
        press(d, Qt::Key_Down);
        press(d, Qt::Key_Down);
        save("picklist")(d);
    });
    runPickList(ds, {}, "S", 11776174, 13684686, 4407615, 8487297, 0);

    TSpeedButton tableButton;
    tableButton.resize(77, 50);
    tableButton.setGlyph(drawGlyph(Glyph::AssignedTable, QSize(32, 32)));
    setKeyboardPreviewSource(&tableButton);
    whenModal([save](QWidget* k) {
        tapText(k, " VIP");
        save("keyboard")(k);
    });
    runKeyboard(QStringLiteral("Mesa"), 0, 0, 0);

    QVariant result = QVariantList(10);
    whenModal([save](QWidget* c) {
        QTest::mouseClick(swatchShowing(c, QColor(0, 128, 128)), Qt::LeftButton);
        save("color")(c);
    });
    runColorChoice({QString()}, result);

    whenModal(save("message"));
    showMessageDialog(kDelete);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

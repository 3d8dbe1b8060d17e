// The screen drawn at a factor: its layout, fonts, pictures and rounded
// outline scaled alike; sized and placed on the display it opens on; a tap
// landing on the button drawn under the finger; the dialogs it opens drawn at
// its factor.
//
// Runs on an offscreen display of two screens (scale_screens.json, set by
// CTest): a 1920 × 1080 primary screen and a 1024 × 768 one to its right.

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogs/colorchoice.h"
#include "dialogs/keyboard.h"
#include "dialogs/messagedialog.h"
#include "dialogs/picklist.h"
#include "formfixture.h"
#include "modalscript.h"
#include "picktables.h"
#include "screenscale.h"
#include "screensession.h"
#include "testmain.h"

// Geometry in failure messages as numbers.
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
void PrintTo(const QSize& s, std::ostream* os)
{
    *os << "QSize(" << s.width() << " x " << s.height() << ")";
}

namespace {

class ScaleTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "runs on the two screens of scale_screens.json";
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1920, 1080));
    }
    void TearDown() override
    {
        FormTest::TearDown();
        setScreenScale({});
    }
    void openAt(ScreenScale scale)
    {
        setScreenScale(scale);
        openScreen();
    }
};

ScreenScale fixed(double factor)
{
    return {false, factor};
}

const ScreenScale kAuto{true, 1.0};

// What the layout becomes at one factor, worked out by hand from the design
// (every edge times the factor, rounded).
struct Scaled {
    double factor;
    QSize form;
    QRect table1, table48, area7, strip18, limpar, proximo;
    int table14Top, table15Top;
    int messagePixels, areaPixels, commandPixels, tablePixels;
    QSize tableGlyph;
    QPoint clippedCorner, keptCorner; // by the rounded outline, near the top-left corner
};

TEST_P(ScaleTest, LayoutFontsPicturesAndOutlineScaleAlike)
{
    const Scaled cases[] = {
        {2.0, {1600, 1200}, {286, 404, 154, 100}, {1394, 924, 154, 100}, {280, 198, 200, 80},
         {1350, 284, 200, 24}, {26, 480, 220, 124}, {1376, 1064, 178, 74}, 508, 510, 38, 26, 22, 20,
         {64, 64}, {8, 8}, {14, 14}},
        {1.5, {1200, 900}, {215, 303, 115, 75}, {1046, 693, 115, 75}, {210, 149, 150, 60},
         {1013, 213, 150, 18}, {20, 360, 165, 93}, {1032, 798, 134, 56}, 381, 383, 29, 20, 17, 15,
         {48, 48}, {6, 6}, {11, 11}},
    };
    for (const Scaled& c : cases) {
        SCOPED_TRACE(c.factor);
        openAt(fixed(c.factor));
        EXPECT_EQ(form->uiScale().factor(), c.factor);
        EXPECT_EQ(form->size(), c.form);
        EXPECT_EQ(form->blsBorda->geometry(), QRect(QPoint(), c.form));
        EXPECT_EQ(table(1)->geometry(), c.table1);
        EXPECT_EQ(table(48)->geometry(), c.table48);
        EXPECT_EQ(table(14)->geometry().top(), c.table14Top);
        EXPECT_EQ(table(15)->geometry().top(), c.table15Top); // still a little lower than its row
        EXPECT_EQ(area(7)->geometry(), c.area7);
        EXPECT_EQ(strip(18)->geometry(), c.strip18);
        EXPECT_EQ(form->tcbLimpar->geometry(), c.limpar);
        EXPECT_EQ(form->tcbProximo->geometry(), c.proximo);

        EXPECT_EQ(form->lblMensagem->font().pixelSize(), c.messagePixels);
        EXPECT_EQ(area(7)->font().pixelSize(), c.areaPixels);
        EXPECT_EQ(form->tcbNome->font().pixelSize(), c.commandPixels);
        EXPECT_EQ(table(1)->font().pixelSize(), c.tablePixels);
        EXPECT_EQ(table(1)->scale(), c.factor);
        EXPECT_EQ(area(7)->scale(), c.factor);
        EXPECT_EQ(form->tcbNome->scale(), c.factor);

        // The table pictures are drawn at the size they are shown at, not
        // stretched from the design's 32 × 32.
        EXPECT_EQ(table(1)->glyph().size(), c.tableGlyph);
        EXPECT_EQ(table(1)->glyph().cacheKey(), form->imgLivreCinza->pixmap().cacheKey());

        // The corners are clipped with the outline's radius times the factor:
        // the design's 20 would keep clippedCorner.
        const QRegion outline = form->mask();
        EXPECT_FALSE(outline.contains(c.clippedCorner));
        EXPECT_TRUE(outline.contains(c.keptCorner));
        const QPoint farCorner(c.form.width() - 1 - c.clippedCorner.x(), c.form.height() - 1 - c.clippedCorner.y());
        EXPECT_FALSE(outline.contains(farCorner));
        EXPECT_TRUE(outline.contains(QPoint(c.form.width() / 2, c.form.height() - 2)));
        closeScreen();
    }
}

TEST_P(ScaleTest, CentredInTheScreensFreeAreaOrOverhangingItByHalf)
{
    openAt(fixed(1.5));
    EXPECT_EQ(form->geometry(), QRect(360, 90, 1200, 900));
    closeScreen();

    // 1600 × 1200 on 1920 × 1080: centred across, 60 above and below.
    openAt(fixed(2.0));
    EXPECT_EQ(form->geometry(), QRect(160, -60, 1600, 1200));
}

TEST_P(ScaleTest, AutoTakesTheLargestFactorThatFitsTheScreenItOpensOn)
{
    // 1920 × 1080: the height decides, 1080 / 600.
    openAt(kAuto);
    EXPECT_DOUBLE_EQ(form->uiScale().factor(), 1.8);
    EXPECT_EQ(form->geometry(), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(table(1)->geometry(), QRect(257, 364, 139, 90));
    closeScreen();

    // Owned by a window on the 1024 × 768 screen: the form opens there,
    // filling it at 1.28.
    QScreen* second = QGuiApplication::screens().at(1);
    ASSERT_EQ(second->availableGeometry(), QRect(1920, 0, 1024, 768));
    QWidget owner;
    owner.setScreen(second);
    form = new TfrmConfMesa(&owner);
    frmConfMesa = form;
    form->InicializaForm({}, -1);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    EXPECT_DOUBLE_EQ(form->uiScale().factor(), 1.28);
    EXPECT_EQ(form->geometry(), QRect(1920, 0, 1024, 768));
    EXPECT_EQ(table(1)->geometry(), QRect(183, 259, 99, 64));
    EXPECT_EQ(form->screen(), second);
    closeScreen(); // before the owner goes
}

TEST_P(ScaleTest, ATapWhereTheScaledButtonIsDrawnReachesThatButton)
{
    openAt(fixed(2.0));
    QStringList reached;
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
        QObject::connect(b, &QAbstractButton::clicked, form, [&reached, b] { reached << b->objectName(); });

    // Through the window, as the window system delivers a finger: the form
    // finds the control under the point. Each point is the design centre
    // times two.
    const auto tapAt = [this](QPoint at) {
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, at);
    };
    tapAt({2 * (697 + 38), 2 * (462 + 25)});
    EXPECT_EQ(reached, QStringList{"tcb48"});
    reached.clear();
    tapAt({2 * (140 + 4 * 107 + 50), 2 * (44 + 20)});
    EXPECT_EQ(reached, QStringList{"tcbAmb05"});
    reached.clear();
    tapAt({2 * (688 + 44), 2 * (532 + 18)});
    EXPECT_EQ(reached, QStringList{"tcbProximo"});
    EXPECT_EQ(form->NrPagina, 2);
}

// --- The dialogs the screen opens -------------------------------------------------

void close(QWidget* dialog)
{
    qobject_cast<QDialog*>(dialog)->reject();
}

// At 1.8 (auto on 1920 × 1080) a finger finds every dialog 1.8 times the
// design's size, and the dialog still fits the screen.
TEST_P(ScaleTest, DialogsOpenedOverTheScreenTakeItsFactor)
{
    openAt(kAuto);
    const QRect screenArea(0, 0, 1920, 1080);

    setKeyboardPreviewSource(table(1));
    whenModal([&](QWidget* k) {
        EXPECT_EQ(k->width(), 1418);  // 788
        EXPECT_GE(k->height(), 1015); // 564, or what its rows need
        EXPECT_TRUE(screenArea.contains(k->geometry()));
        EXPECT_EQ(child(k, "key_a")->minimumSize(), QSize(104, 94)); // 58 × 52
        EXPECT_EQ(child(k, "key_ok")->minimumHeight(), 101);         // 56
        EXPECT_EQ(child(k, "kbdEdit")->font().pixelSize(), 40);      // 22
        auto* preview = child<TSpeedButton>(k, "kbdPreview");
        EXPECT_EQ(preview->size(), table(1)->size());
        EXPECT_EQ(preview->scale(), 1.8);
        close(k);
    });
    runKeyboard(QStringLiteral("Mesa 01"), 0, 0, 0);

    whenModal([&](QWidget* m) {
        EXPECT_EQ(child(m, "msgOk")->minimumSize(), QSize(270, 101)); // 150 × 56
        EXPECT_EQ(child(m, "msgText")->font().pixelSize(), 36);        // 20
        EXPECT_EQ(child(m, "msgIcon")->size(), QSize(115, 115));       // 64
        EXPECT_GE(m->width(), 1080);                                   // 600
        EXPECT_TRUE(screenArea.contains(m->geometry()));
        close(m);
    });
    showMessageDialog({QStringLiteral("Não há ambiente cadastrado."), QStringLiteral("N"), 3, QString()});

    TClientDataSet rows = tables({{"0001", "Varanda 1"}, {"0002", "Salão Principal"}});
    whenModal([&](QWidget* p) {
        EXPECT_EQ(child<QTableView>(p, "pickTable")->rowHeight(0), 94); // 52
        EXPECT_EQ(child(p, "pickOk")->minimumHeight(), 101);
        EXPECT_EQ(child(p, "pickUp")->width(), 137);                     // 76
        EXPECT_TRUE(screenArea.contains(p->geometry()));
        close(p);
    });
    runPickList(rows, QString(), QStringLiteral("S"), 11776174, 13684686, 4407615, 8487297, 0);

    whenModal([&](QWidget* c) {
        EXPECT_EQ(child(c, "swatch_0")->minimumSize(), QSize(130, 97)); // 72 × 54
        EXPECT_EQ(c->size(), QSize(1368, 846));                         // 760 × 470
        EXPECT_TRUE(screenArea.contains(c->geometry()));
        close(c);
    });
    QVariant chosen = QVariantList(10);
    runColorChoice({QString()}, chosen);
}

// --- The factor on a screen ------------------------------------------------------

TEST(ScreenScaleFactor, AutoIsTheLargestThatFitsWithinTheLimits)
{
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {1920, 1080}), 1.8);  // height decides
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {1280, 1024}), 1.6);  // width decides
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {1024, 600}), 1.0);
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {640, 480}), 0.8);    // shrinks to fit
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {320, 200}), kMinScreenScale);
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {7680, 4320}), kMaxScreenScale);
    EXPECT_DOUBLE_EQ(effectiveScreenScale(kAuto, {}), 1.0);            // no screen to measure
    EXPECT_DOUBLE_EQ(effectiveScreenScale(fixed(1.5), {640, 480}), 1.5);
    EXPECT_DOUBLE_EQ(effectiveScreenScale(fixed(1.0), {3840, 2160}), 1.0);
}

TEST(ScreenScaleFactor, RectanglesScaleByTheirEdgesAndNothingVanishes)
{
    const UiScale s(1.5);
    // Neighbours two design pixels apart stay apart, whatever the rounding.
    const QRect a = s.rect({143, 202, 77, 50}), b = s.rect({222, 202, 77, 50});
    EXPECT_EQ(a, QRect(215, 303, 115, 75));
    EXPECT_EQ(b, QRect(333, 303, 116, 75));
    EXPECT_EQ(b.left() - (a.left() + a.width()), 3);
    EXPECT_EQ(UiScale(0.5).rect({3, 3, 1, 1}).size(), QSize(1, 1)); // edges 2 and 2
    EXPECT_EQ(UiScale(0.3).px(1), 1);
    EXPECT_EQ(s.styleSheet("QPushButton { border: 1px solid #8e909c; border-radius: 10px; padding: 4px 18px; }"),
              "QPushButton { border: 2px solid #8e909c; border-radius: 15px; padding: 6px 27px; }");
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Sqlite, ScaleTest, ::testing::Values(QStringLiteral("sqlite")), backendName);

QDL_TEST_MAIN()

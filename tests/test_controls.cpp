// The touch controls and glyphs, driven by real mouse and key events under the
// offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "colors.h"
#include "glyphs.h"
#include "pngfile.h"
#include "testmain.h"
#include "touchcontrols.h"

namespace {

QImage shot(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

QColor at(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

// Bounding box of the pixels within tolerance of color.
QRect pixelsOf(const QImage& img, const QColor& color, int tolerance = 40)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (qAbs(c.red() - color.red()) + qAbs(c.green() - color.green())
                    + qAbs(c.blue() - color.blue()) <= tolerance)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

QPixmap solid(QSize size, const QColor& color)
{
    QPixmap pm(size);
    pm.fill(color);
    return pm;
}

// The clicked() signals one mouse click on the shown button gives.
int clicksFromOneClick(QAbstractButton& button)
{
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    return int(clicked.count());
}

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

} // namespace

// --- Clicks --------------------------------------------------------------

template <typename Button>
class ButtonClicks : public ::testing::Test {};
using ButtonTypes = ::testing::Types<TTouchButton, TBlendedBitBtn, TSpeedButton>;
TYPED_TEST_SUITE(ButtonClicks, ButtonTypes);

TYPED_TEST(ButtonClicks, MouseClickReachesClicked)
{
    TypeParam button;
    button.setText(QStringLiteral("Sala"));
    EXPECT_EQ(clicksFromOneClick(button), 1);
}

TYPED_TEST(ButtonClicks, DisabledButtonIgnoresClick)
{
    TypeParam button;
    button.setEnabled(false);
    EXPECT_EQ(clicksFromOneClick(button), 0);
}

TYPED_TEST(ButtonClicks, TapDoesNotTakeFocusButTabDoes)
{
    QWidget window;
    auto* before = new QWidget(&window);
    before->setFocusPolicy(Qt::StrongFocus);
    auto* button = new TypeParam(&window);
    button->move(0, 20);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();

    const QImage idle = shot(*button);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(before->hasFocus());

    QTest::keyClick(&window, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_NE(shot(*button), idle) << "no focus ring drawn";
}

// --- TTouchButton ----------------------------------------------------------

TEST(TouchButton, FaceIsPaintedInColorReadAsBgr)
{
    TTouchButton b;
    b.setText(QStringLiteral("Varanda"));
    EXPECT_EQ(b.size(), QSize(100, 40));
    EXPECT_EQ(at(shot(b), 50, 5), QColor(198, 199, 240));
    b.SetColor(0x0000FF); // red in the low byte
    EXPECT_EQ(b.Color(), 0x0000FF);
    EXPECT_EQ(at(shot(b), 50, 5), QColor(255, 0, 0));
    b.SetColor(0xFF0000);
    EXPECT_EQ(at(shot(b), 50, 5), QColor(0, 0, 255));
}

TEST(TouchButton, CaptionIsCentredInFontColor)
{
    TTouchButton b;
    b.SetColor(0xFFFFFF);
    b.setText(QStringLiteral("WWW"));
    EXPECT_TRUE(pixelsOf(shot(b), kRed).isEmpty());
    b.SetFontColor(0x0000FF);
    EXPECT_EQ(b.FontColor(), 0x0000FF);
    const QRect red = pixelsOf(shot(b), kRed);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_NEAR(red.center().x(), 50, 3);
    EXPECT_NEAR(red.center().y(), 20, 3);

    b.setText(QStringLiteral("Salão de festas do segundo andar com vista para o mar"));
    const QRect wrapped = pixelsOf(shot(b), kRed);
    EXPECT_TRUE(QRect(2, 1, 96, 38).contains(wrapped)) << "a long caption must be elided, not cut";
}

TEST(TouchButton, PressedFaceIsDarkerAndReleaseClicks)
{
    TTouchButton b;
    b.show();
    const QColor idle = at(shot(b), 50, 5);
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    QTest::mousePress(&b, Qt::LeftButton);
    EXPECT_LT(at(shot(b), 50, 5).lightness(), idle.lightness());
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseRelease(&b, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(at(shot(b), 50, 5), idle);
}

// --- TBlendedBitBtn ----------------------------------------------------------

TEST(BlendedBitBtn, FaceAndCaptionColoursOfEachState)
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    parent.setPalette(QPalette(Qt::blue));
    auto* b = new TBlendedBitBtn(&parent);
    b->setText(QStringLiteral("MMMM"));
    b->setGlyph(solid(QSize(33, 33), kGreen), QSize(33, 33));
    parent.resize(b->size());
    parent.show();

    const QImage idle = shot(parent);
    EXPECT_EQ(at(idle, 54, 2), QColor(192, 192, 192));
    EXPECT_EQ(at(idle, 0, 0), QColor(Qt::blue)) << "corners must be round";
    EXPECT_FALSE(pixelsOf(idle, kNavy, 10).isEmpty());

    QTest::mousePress(b, Qt::LeftButton);
    EXPECT_EQ(at(shot(*b), 54, 2), QColor(207, 231, 231));
    QTest::mouseRelease(b, Qt::LeftButton);

    b->setEnabled(false);
    const QImage disabled = shot(*b);
    EXPECT_EQ(at(disabled, 54, 2), QColor(128, 128, 128));
    EXPECT_TRUE(pixelsOf(disabled, kNavy, 60).isEmpty());
    EXPECT_FALSE(pixelsOf(disabled, QColor(192, 192, 192), 10).isEmpty());
    EXPECT_TRUE(pixelsOf(disabled, kGreen, 120).isEmpty()) << "glyph not dimmed";
}

TEST(BlendedBitBtn, GlyphOnTopStartsAtTheMarginAboveTheCaption)
{
    TBlendedBitBtn b;
    b.setText(QStringLiteral("F3-Mudar Nome"));
    b.setGlyph(solid(QSize(33, 33), kGreen), QSize(33, 33));
    b.setMargin(7);
    const QImage img = shot(b);
    const QRect green = pixelsOf(img, kGreen, 10);
    EXPECT_EQ(green, QRect(38, 7, 33, 33));
    const QRect navy = pixelsOf(img, kNavy, 60);
    ASSERT_FALSE(navy.isEmpty());
    EXPECT_GT(navy.top(), green.bottom());
    EXPECT_LT(navy.bottom(), 65);
}

TEST(BlendedBitBtn, GlyphRightOfCaptionKeepsTheMarginAndFitsTheHeight)
{
    TBlendedBitBtn b;
    b.resize(89, 37);
    b.setText(QStringLiteral("A-"));
    b.setGlyphLayout(TBlendedBitBtn::GlyphLayout::Right);
    b.setMargin(20);
    b.setGlyph(solid(QSize(33, 40), kGreen), QSize(33, 40));
    const QImage img = shot(b);
    const QRect green = pixelsOf(img, kGreen, 10);
    ASSERT_FALSE(green.isEmpty());
    EXPECT_EQ(green.right(), 89 - 20 - 1);
    EXPECT_TRUE(b.rect().contains(green));
    const QRect navy = pixelsOf(img, kNavy, 60);
    ASSERT_FALSE(navy.isEmpty());
    EXPECT_LT(navy.right(), green.left());
}

TEST(BlendedBitBtn, LineFeedCarriageReturnIsOneLineBreak)
{
    TBlendedBitBtn a;
    TBlendedBitBtn b;
    TBlendedBitBtn c;
    a.setText(QStringLiteral("Ctrl+Enter\n\rConfirmar"));
    b.setText(QStringLiteral("Ctrl+Enter\nConfirmar"));
    c.setText(QStringLiteral("Ctrl+Enter"));
    const QImage broken = shot(a);
    EXPECT_EQ(broken, shot(b));
    const QRect twoLines = pixelsOf(broken, kNavy, 60);
    EXPECT_GT(twoLines.height(), pixelsOf(shot(c), kNavy, 60).height() + 8);
}

// --- TSpeedButton -------------------------------------------------------------

TEST(SpeedButton, ColoursRoundTripAndPaintTheFace)
{
    TSpeedButton b;
    EXPECT_EQ(b.Color(), 11571344);
    EXPECT_EQ(at(shot(b), 5, 25), QColor(144, 144, 176));
    b.SetColor(0x00FF00);
    EXPECT_EQ(b.Color(), 0x00FF00);
    EXPECT_EQ(at(shot(b), 5, 25), QColor(0, 255, 0));
}

TEST(SpeedButton, GlyphIsTheVeryPixmapSet)
{
    TSpeedButton b;
    TBlendedBitBtn c;
    const QPixmap free = drawGlyph(Glyph::FreeTable, QSize(32, 32));
    b.setGlyph(free);
    c.setGlyph(free, QSize(32, 32));
    EXPECT_EQ(b.glyph().cacheKey(), free.cacheKey());
    EXPECT_EQ(c.glyph().cacheKey(), free.cacheKey());
}

TEST(SpeedButton, GlyphSitsAboveTheCaptionAndShrinksToLeaveItRoom)
{
    TSpeedButton b;
    b.SetColor(0xFFFFFF);
    b.SetFontColor(0x0000FF);
    for (const QString& caption : {QStringLiteral("Mesa 12"), QStringLiteral("Mesa do canto junto à janela")}) {
        for (int side : {32, 96}) {
            b.setText(caption);
            b.setGlyph(solid(QSize(side, side), kGreen));
            const QImage img = shot(b);
            const QRect green = pixelsOf(img, kGreen, 10);
            const QRect red = pixelsOf(img, kRed, 60);
            ASSERT_FALSE(red.isEmpty()) << caption.toStdString();
            EXPECT_EQ(green.width(), green.height());
            EXPECT_GE(green.height(), 18);
            EXPECT_LE(green.height(), 32);
            EXPECT_LT(green.bottom(), red.top());
            EXPECT_LE(red.bottom(), 48);
        }
    }
}

// --- TBlendedShape ------------------------------------------------------------

TEST(BlendedShape, BrushFollowsColourOrPaletteRole)
{
    QWidget parent;
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    pal.setColor(QPalette::Highlight, QColor(40, 50, 60));
    parent.setPalette(pal);
    auto* shape = new TBlendedShape(&parent, 20);
    EXPECT_EQ(shape->brushColor(), QColor(10, 20, 30));
    shape->setBrushRole(QPalette::Highlight);
    pal.setColor(QPalette::Highlight, QColor(70, 80, 90));
    parent.setPalette(pal);
    EXPECT_EQ(shape->brushColor(), QColor(70, 80, 90)) << "a scheme applied later must reach the shape";
    shape->setBrushColor(QColor(192, 192, 192));
    EXPECT_EQ(shape->brushColor(), QColor(192, 192, 192));
}

TEST(BlendedShape, ClicksPassThroughToTheButtonBeneath)
{
    QWidget window;
    window.resize(200, 120);
    auto* button = new TTouchButton(&window);
    button->move(20, 20);
    auto* shape = new TBlendedShape(&window, 20);
    shape->setGeometry(0, 0, 200, 120);
    shape->raise();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(70, 40));
    EXPECT_EQ(clicked.count(), 1);
}

// --- Glyphs ---------------------------------------------------------------

namespace {
const Glyph kAllGlyphs[] = {
    Glyph::Rename, Glyph::BackColor, Glyph::TextColor, Glyph::Clear, Glyph::Confirm, Glyph::Cancel,
    Glyph::Leave, Glyph::Previous, Glyph::Next, Glyph::FreeTable, Glyph::AssignedTable,
};
} // namespace

class GlyphPictures : public ::testing::TestWithParam<QSize> {};

TEST_P(GlyphPictures, EveryGlyphIsADistinctVisiblePictureOfTheAskedSize)
{
    const QSize size = GetParam();
    const int area = size.width() * size.height();
    QList<QImage> seen;
    for (Glyph g : kAllGlyphs) {
        const QImage img = drawGlyph(g, size).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(img.size(), size) << int(g);
        int opaque = 0;
        int clear = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                opaque += qAlpha(img.pixel(x, y)) > 200;
                clear += qAlpha(img.pixel(x, y)) == 0;
            }
        EXPECT_GT(opaque, area / 10) << "glyph " << int(g) << " is nearly empty";
        EXPECT_GT(clear, area / 20) << "glyph " << int(g) << " has no transparent background";
        for (const QImage& other : seen)
            EXPECT_NE(img, other) << "glyph " << int(g) << " repeats another picture";
        seen << img;
    }
}

INSTANTIATE_TEST_SUITE_P(CommandAndTableSizes, GlyphPictures,
                         ::testing::Values(QSize(33, 33), QSize(45, 28), QSize(33, 40), QSize(32, 32),
                                           QSize(16, 16), QSize(96, 96)));

TEST(Glyphs, CachedPerGlyphSizeAndDensity)
{
    const QPixmap a = drawGlyph(Glyph::FreeTable, QSize(32, 32));
    EXPECT_EQ(drawGlyph(Glyph::FreeTable, QSize(32, 32)).cacheKey(), a.cacheKey());
    EXPECT_NE(drawGlyph(Glyph::FreeTable, QSize(33, 33)).cacheKey(), a.cacheKey());
    EXPECT_NE(drawGlyph(Glyph::AssignedTable, QSize(32, 32)).cacheKey(), a.cacheKey());
    const QPixmap hi = drawGlyph(Glyph::FreeTable, QSize(32, 32), 2.0);
    EXPECT_EQ(hi.size(), QSize(64, 64));
    EXPECT_EQ(hi.devicePixelRatio(), 2.0);
    EXPECT_TRUE(drawGlyph(Glyph::Next, QSize()).isNull());
}

namespace {

// --- Screenshots as PNG ---------------------------------------------------------

// The picture as Qt's own PNG reader reads back the file writeFastPng wrote;
// a null image (and a failure) when either refused.
QImage readBackFastPng(const QImage& picture, const QString& file)
{
    if (!writeFastPng(picture, file)) {
        ADD_FAILURE() << "writeFastPng refused " << file.toStdString();
        return {};
    }
    const QImage back(file);
    EXPECT_FALSE(back.isNull()) << "the PNG reader refused the file";
    return back;
}

TEST(FastPng, OpaqueAndTranslucentPicturesReadBackPixelForPixel)
{
    QTemporaryDir dir;
    // Odd sizes, so no row lines up with a strip by chance (three strips), and
    // noise that does not compress: 210 kB of rows in several data chunks.
    QImage opaque(301, 233, QImage::Format_RGB32);
    quint32 noise = 12345;
    for (int y = 0; y < opaque.height(); ++y)
        for (int x = 0; x < opaque.width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            opaque.setPixel(x, y, 0xFF000000u | (noise >> 8));
        }
    const QImage opaqueBack = readBackFastPng(opaque, dir.filePath(QStringLiteral("opaque.png")));
    EXPECT_FALSE(opaqueBack.hasAlphaChannel());
    EXPECT_EQ(opaqueBack.convertToFormat(QImage::Format_RGB32), opaque);

    QImage translucent(31, 9, QImage::Format_ARGB32);
    for (int y = 0; y < translucent.height(); ++y)
        for (int x = 0; x < translucent.width(); ++x)
            translucent.setPixel(x, y, qRgba(x * 8, 255 - y * 20, 77, (x * 37 + y) % 256));
    const QImage translucentBack = readBackFastPng(translucent, dir.filePath(QStringLiteral("translucent.png")));
    EXPECT_TRUE(translucentBack.hasAlphaChannel());
    EXPECT_EQ(translucentBack.convertToFormat(QImage::Format_ARGB32), translucent);
}

TEST(FastPng, NothingToWriteOrNowhereToWriteIsAFailure)
{
    QTemporaryDir dir;
    EXPECT_FALSE(writeFastPng(QImage(), dir.filePath(QStringLiteral("null.png"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("null.png"))));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_FALSE(writeFastPng(picture, dir.filePath(QStringLiteral("missing/folder/shot.png"))));
}

} // namespace

QDL_TEST_MAIN()

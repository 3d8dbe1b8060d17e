#include "glyphs.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

// Every picture is drawn on a 100 x 100 canvas, scaled to the asked size and
// centred when the size is not square.

namespace {

constexpr qreal kUnit = 100.0;

QFont glyphFont(qreal pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(pixelSize));
    font.setBold(true);
    return font;
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& light, const QColor& dark)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    return g;
}

QPen outline(const QColor& color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A colour bar under a picture, as on the colour commands.
void drawColourBar(QPainter& p, const QColor& color)
{
    p.setPen(outline(color.darker(170), 3));
    p.setBrush(color);
    p.drawRoundedRect(QRectF(6, 80, 88, 16), 3, 3);
}

void drawPencil(QPainter& p, QPointF tip, qreal angle)
{
    p.save();
    p.translate(tip);
    p.rotate(angle);
    const QColor ink(70, 45, 10);
    const qreal w = 17;
    const qreal h = w / 2;

    // Sharpened wood cone with the graphite point.
    QPainterPath cone;
    cone.moveTo(0, 0);
    cone.lineTo(20, -h);
    cone.lineTo(20, h);
    cone.closeSubpath();
    p.setPen(outline(ink, 2.5));
    p.setBrush(QColor(240, 205, 150));
    p.drawPath(cone);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(7, -h * 7 / 20);
    lead.lineTo(7, h * 7 / 20);
    lead.closeSubpath();
    p.setBrush(QColor(50, 50, 60));
    p.setPen(Qt::NoPen);
    p.drawPath(lead);

    // Body, metal ferrule, eraser.
    QLinearGradient body(0, -h, 0, h);
    body.setColorAt(0, QColor(255, 214, 70));
    body.setColorAt(0.5, QColor(250, 180, 20));
    body.setColorAt(1, QColor(215, 135, 0));
    p.setPen(outline(ink, 2.5));
    p.setBrush(body);
    p.drawRect(QRectF(20, -h, 46, w));
    p.setPen(outline(QColor(190, 120, 0), 1.5));
    p.drawLine(QPointF(22, -h / 3), QPointF(64, -h / 3));
    p.drawLine(QPointF(22, h / 3), QPointF(64, h / 3));
    p.setPen(outline(ink, 2.5));
    p.setBrush(vertical(-h, h, QColor(225, 225, 230), QColor(140, 140, 150)));
    p.drawRect(QRectF(66, -h, 9, w));
    QPainterPath eraser;
    eraser.addRoundedRect(QRectF(70, -h, 16, w), 4, 4);
    eraser = eraser.subtracted([&] {
        QPainterPath cut;
        cut.addRect(QRectF(60, -h - 2, 15, w + 4));
        return cut;
    }());
    p.setBrush(QColor(240, 130, 150));
    p.drawPath(eraser);
    p.restore();
}

void drawRename(QPainter& p)
{
    QPainterPath text;
    text.addText(2, 64, glyphFont(44), QStringLiteral("Aa"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawPath(text);
    // The line being written on, ending at the pencil's point.
    p.setBrush(QColor(90, 90, 110));
    p.drawRoundedRect(QRectF(2, 80, 64, 6), 3, 3);
    p.save();
    p.translate(66, 83);
    p.scale(0.8, 0.8);
    drawPencil(p, QPointF(0, 0), -62);
    p.restore();
}

void drawBackColor(QPainter& p)
{
    const QColor paint(255, 176, 0);
    const QColor ink(45, 45, 70);

    // A pail tipped to the right, pouring.
    p.save();
    p.translate(40, 44);
    p.rotate(32);
    p.setPen(outline(ink, 4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-22, -44, 44, 40), 0, 180 * 16);
    QPainterPath pail;
    pail.moveTo(-22, -24);
    pail.lineTo(22, -24);
    pail.lineTo(18, 24);
    pail.quadTo(0, 30, -18, 24);
    pail.closeSubpath();
    p.setPen(outline(ink, 3.5));
    QLinearGradient metal(-22, 0, 22, 0);
    metal.setColorAt(0, QColor(235, 238, 245));
    metal.setColorAt(0.55, QColor(185, 192, 210));
    metal.setColorAt(1, QColor(120, 128, 150));
    p.setBrush(metal);
    p.drawPath(pail);
    p.setBrush(paint);
    p.drawEllipse(QRectF(-22, -30, 44, 12));
    p.restore();

    // The stream from the low lip, ending in a drop.
    QPainterPath pour;
    pour.moveTo(70, 34);
    pour.cubicTo(80, 36, 84, 46, 84, 56);
    pour.cubicTo(90, 61, 90, 71, 83, 72);
    pour.cubicTo(76, 73, 74, 64, 79, 56);
    pour.cubicTo(79, 48, 75, 43, 68, 41);
    pour.closeSubpath();
    p.setPen(outline(paint.darker(150), 2.5));
    p.setBrush(paint);
    p.drawPath(pour);

    drawColourBar(p, paint);
}

void drawTextColor(QPainter& p)
{
    const QFont font = glyphFont(78);
    QPainterPath a;
    a.addText(0, 0, font, QStringLiteral("A"));
    const QRectF r = a.boundingRect();
    a.translate(50 - r.center().x(), 74 - r.bottom());
    p.setPen(outline(QColor(0, 0, 90), 2));
    p.setBrush(vertical(4, 74, QColor(40, 90, 210), QColor(0, 0, 128)));
    p.drawPath(a);
    drawColourBar(p, QColor(220, 30, 40));
}

void drawClear(QPainter& p)
{
    // The button being cleared.
    p.setPen(outline(QColor(70, 70, 100), 3));
    p.setBrush(vertical(40, 92, QColor(205, 205, 235), QColor(150, 150, 190)));
    p.drawRoundedRect(QRectF(4, 42, 66, 50), 7, 7);
    // Wipe marks left by the eraser.
    p.setPen(outline(QColor(255, 255, 255, 220), 4));
    p.drawLine(QPointF(14, 80), QPointF(34, 80));
    p.drawLine(QPointF(12, 70), QPointF(26, 70));

    p.save();
    p.translate(58, 44);
    p.rotate(-40);
    const QColor ink(80, 30, 40);
    p.setPen(outline(ink, 3));
    p.setBrush(vertical(-16, 16, QColor(130, 170, 240), QColor(50, 90, 190)));
    p.drawRoundedRect(QRectF(-8, -16, 44, 32), 4, 4);
    p.setBrush(vertical(-16, 16, QColor(255, 200, 205), QColor(235, 120, 135)));
    QPainterPath tip;
    tip.addRoundedRect(QRectF(-36, -16, 34, 32), 5, 5);
    p.drawPath(tip);
    p.restore();
}

void drawStroked(QPainter& p, const QPainterPath& path, const QColor& dark, const QColor& light,
                 qreal width)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(outline(dark, width + 8));
    p.drawPath(path);
    p.setPen(outline(light, width));
    p.drawPath(path);
}

void drawConfirm(QPainter& p)
{
    QPainterPath check;
    check.moveTo(14, 52);
    check.lineTo(40, 78);
    check.lineTo(88, 24);
    drawStroked(p, check, QColor(0, 95, 20), QColor(40, 185, 60), 14);
}

void drawCancel(QPainter& p)
{
    QPainterPath cross;
    cross.moveTo(22, 22);
    cross.lineTo(78, 78);
    cross.moveTo(78, 22);
    cross.lineTo(22, 78);
    drawStroked(p, cross, QColor(130, 0, 0), QColor(225, 40, 40), 14);
}

QPainterPath rightArrow(qreal left, qreal right, qreal mid, qreal shaftHalf, qreal headHalf, qreal headLen)
{
    QPainterPath path;
    path.moveTo(left, mid - shaftHalf);
    path.lineTo(right - headLen, mid - shaftHalf);
    path.lineTo(right - headLen, mid - headHalf);
    path.lineTo(right, mid);
    path.lineTo(right - headLen, mid + headHalf);
    path.lineTo(right - headLen, mid + shaftHalf);
    path.lineTo(left, mid + shaftHalf);
    path.closeSubpath();
    return path;
}

void drawLeave(QPainter& p)
{
    const QColor ink(60, 40, 20);
    // Door frame with the dark way out.
    p.setPen(outline(QColor(70, 70, 80), 4));
    p.setBrush(QColor(45, 45, 60));
    p.drawRect(QRectF(18, 8, 44, 86));
    // The door, swung open towards us on its left hinges.
    QPainterPath door;
    door.moveTo(18, 8);
    door.lineTo(42, 16);
    door.lineTo(42, 100);
    door.lineTo(18, 94);
    door.closeSubpath();
    p.setPen(outline(ink, 3));
    QLinearGradient wood(18, 0, 42, 0);
    wood.setColorAt(0, QColor(200, 140, 80));
    wood.setColorAt(1, QColor(150, 90, 40));
    p.setBrush(wood);
    p.drawPath(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(36, 58), 3.5, 3.5);

    const QPainterPath arrow = rightArrow(44, 98, 54, 8, 20, 24);
    p.setPen(outline(QColor(0, 95, 20), 3.5));
    p.setBrush(vertical(34, 74, QColor(90, 210, 90), QColor(20, 140, 40)));
    p.drawPath(arrow);
}

void drawNext(QPainter& p, bool pointsLeft)
{
    QPainterPath arrow = rightArrow(8, 94, 50, 13, 34, 40);
    if (pointsLeft)
        arrow = QTransform(-1, 0, 0, 1, kUnit, 0).map(arrow);
    p.setPen(outline(QColor(0, 0, 100), 4));
    p.setBrush(vertical(16, 84, QColor(110, 160, 240), QColor(20, 60, 170)));
    p.drawPath(arrow);
}

// A square table seen from above with a chair on every side.
void drawTable(QPainter& p, bool assigned)
{
    const QColor ink = assigned ? QColor(90, 50, 20) : QColor(85, 85, 95);
    const QColor chairInk = assigned ? QColor(110, 20, 25) : ink;
    const QBrush chairFill = assigned ? QBrush(vertical(0, 100, QColor(215, 70, 60), QColor(150, 25, 30)))
                                      : QBrush(QColor(210, 210, 215));

    const QRectF chairs[] = {
        {34, 4, 32, 18}, {34, 78, 32, 18}, {4, 34, 18, 32}, {78, 34, 18, 32},
    };
    p.setPen(outline(chairInk, 3.5));
    p.setBrush(chairFill);
    for (const QRectF& c : chairs)
        p.drawRoundedRect(c, 5, 5);

    p.setPen(outline(ink, 4));
    if (assigned) {
        QLinearGradient wood(20, 20, 80, 80);
        wood.setColorAt(0, QColor(215, 160, 95));
        wood.setColorAt(1, QColor(160, 100, 45));
        p.setBrush(wood);
    } else {
        p.setBrush(QColor(232, 232, 236));
    }
    p.drawRoundedRect(QRectF(20, 20, 60, 60), 8, 8);

    if (assigned) {
        // A laid plate says the table is in use.
        p.setPen(outline(QColor(120, 120, 130), 2.5));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(50, 50), 17, 17);
        p.setPen(outline(QColor(180, 180, 190), 2));
        p.drawEllipse(QPointF(50, 50), 10, 10);
    }
}

// The window icon: a screen of table buttons, a row of area buttons above.
void drawScreenIcon(QPainter& p)
{
    p.setPen(outline(QColor(0, 0, 128), 5));
    p.setBrush(QColor(192, 192, 192));
    p.drawRoundedRect(QRectF(4, 8, 92, 84), 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    for (int column = 0; column < 3; ++column)
        p.drawRoundedRect(QRectF(14 + column * 25, 18, 22, 12), 3, 3);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            p.setBrush(row == column % 2 ? QColor(160, 100, 45) : QColor(255, 255, 255));
            p.drawRoundedRect(QRectF(14 + column * 25, 42 + row * 24, 22, 18), 3, 3);
        }
    }
}

void paintGlyph(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::Rename: drawRename(p); break;
    case Glyph::BackColor: drawBackColor(p); break;
    case Glyph::TextColor: drawTextColor(p); break;
    case Glyph::Clear: drawClear(p); break;
    case Glyph::Confirm: drawConfirm(p); break;
    case Glyph::Cancel: drawCancel(p); break;
    case Glyph::Leave: drawLeave(p); break;
    case Glyph::Previous: drawNext(p, true); break;
    case Glyph::Next: drawNext(p, false); break;
    case Glyph::FreeTable: drawTable(p, false); break;
    case Glyph::AssignedTable: drawTable(p, true); break;
    case Glyph::ScreenIcon: drawScreenIcon(p); break;
    }
}

QPixmap render(Glyph glyph, QSize size, qreal dpr)
{
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(size.width(), size.height());
    p.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
    p.scale(side / kUnit, side / kUnit);
    paintGlyph(p, glyph);
    return pm;
}

} // namespace

QPixmap drawGlyph(Glyph glyph, QSize size)
{
    return drawGlyph(glyph, size, 1.0);
}

QPixmap drawGlyph(Glyph glyph, QSize size, qreal devicePixelRatio)
{
    if (size.isEmpty())
        return {};
    if (devicePixelRatio <= 0)
        devicePixelRatio = 1.0;
    // Handing out the cached pixmap keeps one cacheKey per (glyph, size), so
    // the 48 table buttons share two pictures.
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1:%2x%3@%4")
                            .arg(int(glyph))
                            .arg(size.width())
                            .arg(size.height())
                            .arg(devicePixelRatio);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const QPixmap pm = render(glyph, size, devicePixelRatio);
    cache.insert(key, pm);
    return pm;
}

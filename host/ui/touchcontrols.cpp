#include "touchcontrols.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include "colors.h"

namespace {

// The layout's fonts (Verdana, Tahoma) are not on Linux terminals; DejaVu Sans
// has the same wide, open shapes at these sizes.
QFont controlFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Captions come from the database with either line-break order; "\n\r" and
// "\r\n" are one break, a lone "\r" none.
QStringList captionParagraphs(QString text)
{
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'));
}

// Wraps the caption into lines no wider than width; when more than maxLines
// would be needed the last shown line carries the rest, elided.
QStringList wrapCaption(const QString& text, const QFont& font, int width, int maxLines)
{
    const QFontMetrics fm(font);
    width = qMax(1, width);
    maxLines = qMax(1, maxLines);

    // Most captions ("Mesa 01") are one line that fits: no text layout.
    const bool oneParagraph = !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
    if (oneParagraph && fm.horizontalAdvance(text) <= width)
        return {text.trimmed()};

    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& para : captionParagraphs(text)) {
        QTextLayout layout(para, font);
        layout.setTextOption(option);
        layout.beginLayout();
        bool any = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << para.mid(line.textStart(), line.textLength());
            any = true;
        }
        layout.endLayout();
        if (!any)
            lines << QString();
    }

    if (lines.size() > maxLines) {
        const QString rest = lines.mid(maxLines - 1).join(QLatin1Char(' ')).simplified();
        lines = lines.mid(0, maxLines - 1);
        // Force the ellipsis even when the joined rest happens to fit: text
        // was dropped.
        QString elided = fm.elidedText(rest, Qt::ElideRight, width);
        if (elided == rest) {
            const QString dots(QChar(0x2026));
            elided = fm.elidedText(rest + dots, Qt::ElideRight, width);
            if (!elided.endsWith(dots))
                elided = fm.elidedText(rest, Qt::ElideRight, width - fm.horizontalAdvance(dots)) + dots;
        }
        lines << elided;
    }
    for (QString& line : lines)
        line = line.trimmed();
    return lines;
}

// Draws wrapped lines centred horizontally in box, starting at top.
void drawLines(QPainter& p, const QStringList& lines, const QRect& box, int top)
{
    const int lineHeight = p.fontMetrics().height();
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(box.left(), top + i * lineHeight, box.width(), lineHeight),
                   Qt::AlignHCenter | Qt::AlignVCenter, lines.at(i));
}

// Draws wrapped lines centred both ways in box.
void drawCentredCaption(QPainter& p, const QString& text, const QRect& box)
{
    const QFontMetrics fm = p.fontMetrics();
    const int maxLines = qMax(1, box.height() / fm.height());
    const QStringList lines = wrapCaption(text, p.font(), box.width(), maxLines);
    const int height = int(lines.size()) * fm.height();
    drawLines(p, lines, box, box.top() + (box.height() - height) / 2);
}

// The largest rectangle of src's proportions inside box, centred; never
// scaled up.
QRectF fitCentred(QSizeF src, const QRectF& box)
{
    if (src.isEmpty())
        return {};
    if (src.width() > box.width() || src.height() > box.height())
        src.scale(box.size(), Qt::KeepAspectRatio);
    // Whole pixels keep the picture's edges sharp.
    return QRectF(QRectF(box.center().x() - src.width() / 2, box.center().y() - src.height() / 2,
                         src.width(), src.height()).toRect());
}

QSizeF logicalSize(const QPixmap& pm)
{
    return QSizeF(pm.size()) / pm.devicePixelRatio();
}

// A disabled command keeps its picture recognisable but grey and faint.
QPixmap dimmed(const QPixmap& pm)
{
    QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = 96 + qGray(row[x]) * 3 / 8;
            row[x] = qRgba(g, g, g, qAlpha(row[x]) * 3 / 5);
        }
    }
    QPixmap out = QPixmap::fromImage(img);
    out.setDevicePixelRatio(pm.devicePixelRatio());
    return out;
}

// Black or white, whichever reads on the face.
QColor contrastOn(const QColor& face)
{
    return qGray(face.rgb()) > 140 ? kFocusOnLight : kFocusOnDark;
}

// A solid ring in the colour that reads on the face, lined inside with the
// other one: visible on any face colour of any scheme.
void drawFocusRing(QPainter& p, const QRectF& r, qreal radius, const QColor& face, qreal width)
{
    const QColor outer = contrastOn(face);
    const QColor inner = outer == kFocusOnLight ? kFocusOnDark : kFocusOnLight;
    const qreal thick = 2 * width;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outer, thick));
    p.drawRoundedRect(r, radius, radius);
    const qreal in = thick / 2 + width / 2;
    p.setPen(QPen(inner, width));
    p.drawRoundedRect(r.adjusted(in, in, -in, -in), qMax<qreal>(0, radius - in), qMax<qreal>(0, radius - in));
}

constexpr char kSelectedProperty[] = "qdlAccessibleSelected";
constexpr char kShortcutProperty[] = "qdlAccessibleShortcut";

class TouchControlAccessible : public QAccessibleWidget {
public:
    explicit TouchControlAccessible(QAbstractButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? oneLineCaption(button()->text()) : name;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        const QVariant selected = widget()->property(kSelectedProperty);
        if (selected.isValid()) {
            s.selectable = true;
            s.selected = selected.toBool();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction() && widget()->isEnabled())
            button()->animateClick();
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        const QString keys = widget()->property(kShortcutProperty).toString();
        if (action == pressAction() && !keys.isEmpty())
            return {keys};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* touchControlFactory(const QString& className, QObject* object)
{
    if (object && object->isWidgetType()
        && (className == QLatin1String("TTouchButton") || className == QLatin1String("TBlendedBitBtn")
            || className == QLatin1String("TSpeedButton")))
        return new TouchControlAccessible(static_cast<QAbstractButton*>(object));
    return nullptr;
}

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(touchControlFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QColor disabledText(const QColor& text, const QColor& face)
{
    return QColor((text.red() + face.red()) / 2, (text.green() + face.green()) / 2,
                  (text.blue() + face.blue()) / 2);
}

// The caption's colour on a coloured face: its own, or halfway to the face
// while disabled.
QColor captionInk(int fontBgr, const QColor& face, bool enabled)
{
    const QColor ink = colorFromBgr(fontBgr);
    return enabled ? ink : disabledText(ink, face);
}

// On a touch terminal a tap must not leave a focus ring behind; Tab still
// reaches the control. Called from the constructor, so sizeHint() is the
// control's own.
void initTouchControl(QAbstractButton& control, const QFont& font)
{
    installAccessibility();
    control.setFont(font);
    control.setFocusPolicy(Qt::TabFocus);
    control.resize(control.sizeHint());
}

} // namespace

// ---------------------------------------------------------------------------

QString oneLineCaption(const QString& caption)
{
    return captionParagraphs(caption).join(QLatin1Char(' ')).simplified();
}

void describeControl(QWidget* control, const QString& name, const QString& description)
{
    // Qt tells assistive technology of every call, changed or not.
    if (control->accessibleName() != name)
        control->setAccessibleName(name);
    if (control->accessibleDescription() != description)
        control->setAccessibleDescription(description);
}

void setAccessibleSelected(QWidget* control, bool selected)
{
    const QVariant before = control->property(kSelectedProperty);
    if (before.isValid() && before.toBool() == selected)
        return;
    control->setProperty(kSelectedProperty, selected);
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(control, changed);
    QAccessible::updateAccessibility(&event);
}

void setAccessibleShortcut(QWidget* control, const QString& keys)
{
    control->setProperty(kShortcutProperty, keys);
}

bool showsFocusRing(const QWidget& control)
{
    // hasFocus() holds only while the window is the active one: a window
    // left inactive (a dialog closed where no window manager gives the
    // activation back) keeps its focus widget but draws no ring.
    return control.hasFocus() && control.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

// ---------------------------------------------------------------------------

TTouchButton::TTouchButton(QWidget* parent)
    : QAbstractButton(parent)
{
    initTouchControl(*this, controlFont(13, true));
}

void TTouchButton::SetColor(int bgr)
{
    m_color = bgr;
    update();
}

void TTouchButton::SetFontColor(int bgr)
{
    m_fontColor = bgr;
    update();
}

void TTouchButton::setScale(double factor)
{
    m_scale = UiScale(factor);
    updateGeometry();
    update();
}

QSize TTouchButton::sizeHint() const
{
    return m_scale.size({100, 40});
}

void TTouchButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = colorFromBgr(m_color);
    const QColor face = isDown() ? base.darker(118) : base;
    const UiScale& s = m_scale;
    const qreal line = s.line();
    const QRectF r = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    const qreal radius = qMin<qreal>(s.pxF(4), height() / 3.0);

    p.setPen(QPen(base.darker(isDown() ? 150 : 130), line));
    p.setBrush(face);
    p.drawRoundedRect(r, radius, radius);

    if (showsFocusRing(*this) && height() > s.px(8)) {
        const qreal inset = s.pxF(2);
        drawFocusRing(p, r.adjusted(inset, inset, -inset, -inset), qMax<qreal>(line, radius - inset), face, line);
    }

    p.setPen(captionInk(m_fontColor, face, isEnabled()));
    p.setFont(font());
    QRect box = rect().adjusted(s.px(4), s.px(1), -s.px(4), -s.px(1));
    if (isDown())
        box.translate(0, s.px(1));
    drawCentredCaption(p, text(), box);
}

// ---------------------------------------------------------------------------

TBlendedBitBtn::TBlendedBitBtn(QWidget* parent)
    : QAbstractButton(parent)
{
    setAttribute(Qt::WA_Hover);
    initTouchControl(*this, controlFont(11, false));
}

void TBlendedBitBtn::setGlyph(const QPixmap& glyph, QSize size)
{
    m_glyph = glyph;
    m_glyphSize = size;
    updateGeometry();
    update();
}

void TBlendedBitBtn::setScale(double factor)
{
    m_scale = UiScale(factor);
    updateGeometry();
    update();
}

QSize TBlendedBitBtn::sizeHint() const
{
    return m_scale.size({109, 65});
}

void TBlendedBitBtn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    const bool down = isDown() && isEnabled();
    QColor face = kSilver;
    QColor ink = kNavy;
    if (!isEnabled()) {
        face = kDisabledFace;
        ink = kSilver;
    } else if (down) {
        face = colorFromBgr(kPressedFaceColor);
        // The pressed caption takes the window colour (white by default).
        ink = palette().color(QPalette::Base);
    } else if (underMouse()) {
        face = kHoverSilver;
    }

    const UiScale& s = m_scale;
    const QRectF r(rect());
    const qreal radius = qMin<qreal>(s.pxF(10), qMin(width(), height()) / 4.0);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(r, radius, radius);
    if (showsFocusRing(*this)) {
        const qreal line = s.line();
        const qreal inset = s.pxF(3) + line;
        drawFocusRing(p, r.adjusted(inset, inset, -inset, -inset), qMax<qreal>(line, radius - s.pxF(3)), face, line);
    }

    p.setFont(font());
    const QFontMetrics fm = p.fontMetrics();
    const int lineHeight = fm.height();
    const int shift = down ? s.px(1) : 0; // a pressed face moves its content
    QRect content = rect().adjusted(s.px(4), s.px(2), -s.px(4), -s.px(2));
    content.translate(shift, shift);

    QSizeF glyphBox;
    if (!m_glyph.isNull())
        glyphBox = m_glyphSize.isValid() ? QSizeF(m_glyphSize) : logicalSize(m_glyph);
    const QPixmap pixmap = m_glyph.isNull() || isEnabled() ? m_glyph : dimmed(m_glyph);

    if (m_layout == GlyphLayout::Right) {
        // The glyph keeps the margin from the right edge; the caption sits
        // just left of it, the two reading as one group.
        QRect textBox = content;
        if (!glyphBox.isEmpty()) {
            glyphBox = glyphBox.boundedTo(QSizeF(content.width() / 2.0, content.height()));
            const QSizeF drawn = fitCentred(logicalSize(pixmap), QRectF(QPointF(), glyphBox)).size();
            const QRectF target(width() - qMax(0, m_margin) - drawn.width() + shift,
                                content.top() + (content.height() - drawn.height()) / 2,
                                drawn.width(), drawn.height());
            p.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
            textBox.setRight(int(target.left()) - m_spacing - 1);
            const QStringList lines = wrapCaption(text(), font(), textBox.width(),
                                                  qMax(1, textBox.height() / lineHeight));
            int widest = 0;
            for (const QString& line : lines)
                widest = qMax(widest, fm.horizontalAdvance(line));
            textBox.setLeft(qMax(textBox.left(), textBox.right() - widest));
        }
        p.setPen(ink);
        drawCentredCaption(p, text(), textBox);
        return;
    }

    // Glyph on top: glyph, spacing and caption stacked from the top margin;
    // a negative margin centres the whole stack.
    const bool hasCaption = !text().trimmed().isEmpty();
    const int captionRoom = hasCaption ? lineHeight : 0;
    const int topMargin = m_margin < 0 ? 0 : m_margin;
    const qreal glyphRoom = content.bottom() + 1 - topMargin - captionRoom
                            - (hasCaption ? m_spacing : 0);
    glyphBox = glyphBox.boundedTo(QSizeF(content.width(), qMax<qreal>(0, glyphRoom)));

    const int textTopGuess = topMargin + int(glyphBox.height()) + (glyphBox.isEmpty() ? 0 : m_spacing);
    const int maxLines = qMax(1, (content.bottom() + 1 - textTopGuess) / lineHeight);
    const QStringList lines = hasCaption ? wrapCaption(text(), font(), content.width(), maxLines) : QStringList();
    const int textHeight = int(lines.size()) * lineHeight;
    const int stack = int(glyphBox.height()) + (glyphBox.isEmpty() || !hasCaption ? 0 : m_spacing) + textHeight;

    int top;
    if (m_margin < 0 || glyphBox.isEmpty())
        top = content.top() + (content.height() - stack) / 2;
    else
        top = m_margin + shift;

    if (!glyphBox.isEmpty()) {
        const QRectF box(content.left() + (content.width() - glyphBox.width()) / 2, top,
                         glyphBox.width(), glyphBox.height());
        p.drawPixmap(fitCentred(logicalSize(pixmap), box), pixmap, QRectF(pixmap.rect()));
        top += int(glyphBox.height()) + m_spacing;
    }
    p.setPen(ink);
    drawLines(p, lines, content, top);
}

// ---------------------------------------------------------------------------

TSpeedButton::TSpeedButton(QWidget* parent)
    : QAbstractButton(parent)
{
    initTouchControl(*this, controlFont(10, true));
}

void TSpeedButton::SetColor(int bgr)
{
    m_color = bgr;
    update();
}

void TSpeedButton::SetFontColor(int bgr)
{
    m_fontColor = bgr;
    update();
}

void TSpeedButton::setGlyph(const QPixmap& glyph)
{
    m_glyph = glyph;
    update();
}

void TSpeedButton::setScale(double factor)
{
    m_scale = UiScale(factor);
    updateGeometry();
    update();
}

QSize TSpeedButton::sizeHint() const
{
    return m_scale.size({77, 50});
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    const QColor base = colorFromBgr(m_color);
    const bool down = isDown();
    const QColor face = down ? base.darker(115) : base;
    const UiScale& s = m_scale;
    const qreal line = s.line();
    const QRectF r = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    const qreal radius = s.pxF(3);
    p.setPen(QPen(base.darker(down ? 160 : 125), line));
    p.setBrush(face);
    p.drawRoundedRect(r, radius, radius);
    if (down) {
        // A sunken inner edge along the top and left.
        p.setPen(QPen(kSunkenEdge, line));
        const qreal edge = s.pxF(1) + line / 2;
        p.drawLine(QPointF(edge + s.pxF(1), edge), QPointF(width() - s.pxF(3), edge));
        p.drawLine(QPointF(edge, edge + s.pxF(1)), QPointF(edge, height() - s.pxF(3)));
    }
    if (showsFocusRing(*this)) {
        const qreal inset = s.pxF(1) + line;
        drawFocusRing(p, r.adjusted(inset, inset, -inset, -inset), s.pxF(2), face, line);
    }

    p.setFont(font());
    const QFontMetrics fm = p.fontMetrics();
    const int lineHeight = fm.height();
    QRect content = rect().adjusted(s.px(3), s.px(3), -s.px(3), -s.px(3));
    if (down)
        content.translate(s.px(1), s.px(1));

    const bool hasCaption = !text().trimmed().isEmpty();
    QStringList lines;
    if (hasCaption) {
        // Two lines at most so that the glyph keeps a readable size.
        const int maxLines = m_glyph.isNull() ? qMax(1, content.height() / lineHeight) : 2;
        lines = wrapCaption(text(), font(), content.width(), maxLines);
    }
    const int textHeight = int(lines.size()) * lineHeight;
    const int gap = hasCaption ? s.px(1) : 0;

    int top = content.top();
    if (!m_glyph.isNull()) {
        const qreal room = qMax(0, content.height() - textHeight - gap);
        const QSizeF side = logicalSize(m_glyph).boundedTo(QSizeF(s.pxF(32), s.pxF(32)));
        const QRectF target = fitCentred(side, QRectF(content.left(), content.top(), content.width(), room));
        const qreal stack = target.height() + gap + textHeight;
        const qreal y0 = qRound(content.top() + (content.height() - stack) / 2);
        p.drawPixmap(target.translated(0, y0 - target.top()), m_glyph, QRectF(m_glyph.rect()));
        top = int(y0 + target.height()) + gap;
    } else {
        top = content.top() + (content.height() - textHeight) / 2;
    }

    p.setPen(captionInk(m_fontColor, face, isEnabled()));
    drawLines(p, lines, content, top);
}

// ---------------------------------------------------------------------------

TBlendedShape::TBlendedShape(QWidget* parent, int cornerRadius)
    : QWidget(parent)
    , m_radius(cornerRadius)
{
    // A backdrop: clicks go to whatever lies beneath it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QColor TBlendedShape::brushColor() const
{
    return m_brush.isValid() ? m_brush : palette().color(m_role);
}

void TBlendedShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(brushColor());
    if (m_radius <= 0) {
        p.drawRect(rect());
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = qMin<qreal>(m_radius, qMin(width(), height()) / 2.0);
    p.drawRoundedRect(QRectF(rect()), radius, radius);
}

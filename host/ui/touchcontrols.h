#pragma once

// The touch controls the screen is built from. Captions are the buttons'
// text() (a free button's caption is exactly " "); colours are 0x00BBGGRR.
// Both touch buttons keep their colours under the names the screen's
// controls have always had (SetColor and Color, SetFontColor and FontColor);
// everything else follows Qt's naming.

#include <QAbstractButton>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "colors.h"
#include "qdl_ui_global.h"
#include "screenscale.h"

// Assistive technology reads the touch controls through an interface of
// their own (they draw caption and glyph themselves): the name is the
// accessible name the screen gives, else the caption on one line; a control
// marked selectable says whether it is selected; a command tells its key.
// The focus ring is drawn once the window's focus has moved by keyboard
// (Qt::WA_KeyboardFocusChange), so a tap leaves none behind.
//
// Sets name and description, telling assistive technology only of a change.
QDL_UI_EXPORT void describeControl(QWidget* control, const QString& name, const QString& description);
// Marks the control selectable, selected or not (a state change is told).
QDL_UI_EXPORT void setAccessibleSelected(QWidget* control, bool selected);
// The keys that press the control, as a screen reader reads them ("F3").
QDL_UI_EXPORT void setAccessibleShortcut(QWidget* control, const QString& keys);
// Whether the control draws the focus ring now: it has the keyboard focus
// of the active window, and the focus came by keyboard.
QDL_UI_EXPORT bool showsFocusRing(const QWidget& control);
// A caption as one line: line breaks of either order become one blank.
QDL_UI_EXPORT QString oneLineCaption(const QString& caption);

// Area buttons and indicator strips: a coloured rounded face with a
// word-wrapped, centred caption.
class QDL_UI_EXPORT TTouchButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TTouchButton(QWidget* parent = nullptr);
    void SetColor(int bgr);
    int Color() const { return m_color; }
    void SetFontColor(int bgr);
    int FontColor() const { return m_fontColor; }
    void setScale(double factor);
    double scale() const { return m_scale.factor(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_color = kAreaButtonColor;
    int m_fontColor = 0;
    UiScale m_scale;
};

// Command buttons: rounded silver face, glyph above the caption (or right of
// it), pressed and disabled looks.
class QDL_UI_EXPORT TBlendedBitBtn : public QAbstractButton {
    Q_OBJECT
public:
    enum class GlyphLayout { Top, Right };
    explicit TBlendedBitBtn(QWidget* parent = nullptr);
    void setGlyph(const QPixmap& glyph, QSize size);
    const QPixmap& glyph() const { return m_glyph; }
    void setGlyphLayout(GlyphLayout layout) { m_layout = layout; update(); }
    void setMargin(int margin) { m_margin = margin; update(); }
    void setSpacing(int spacing) { m_spacing = spacing; update(); }
    void setScale(double factor);
    double scale() const { return m_scale.factor(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_glyph;
    QSize m_glyphSize;
    GlyphLayout m_layout = GlyphLayout::Top;
    int m_margin = 7;
    int m_spacing = 2;
    UiScale m_scale;
};

// Table buttons: flat face in its background colour, glyph above caption.
class QDL_UI_EXPORT TSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr);
    void SetColor(int bgr);
    int Color() const { return m_color; }
    void SetFontColor(int bgr);
    int FontColor() const { return m_fontColor; }
    void setGlyph(const QPixmap& glyph);
    const QPixmap& glyph() const { return m_glyph; }
    void setScale(double factor);
    double scale() const { return m_scale.factor(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_color = kFreeButtonColor;
    int m_fontColor = 0;
    QPixmap m_glyph;
    UiScale m_scale;
};

// A filled shape with a brush colour and no pen. With no brush colour set it
// paints with a palette role, so the colour scheme reaches it.
class QDL_UI_EXPORT TBlendedShape : public QWidget {
    Q_OBJECT
public:
    explicit TBlendedShape(QWidget* parent = nullptr, int cornerRadius = 20);
    void setBrushColor(const QColor& color) { m_brush = color; update(); }
    void setBrushRole(QPalette::ColorRole role) { m_brush = QColor(); m_role = role; update(); }
    QColor brushColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_radius;
    QColor m_brush;
    QPalette::ColorRole m_role = QPalette::Window;
};

// The plain rectangle shape (colour sample of the colour modes).
class QDL_UI_EXPORT TShape : public TBlendedShape {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr) : TBlendedShape(parent, 0) {}
};

#pragma once

// The factor the whole screen is drawn at. The host program decides it (from
// its command line or its configuration file) before the package opens the
// form; the form and the dialogs read it.

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

#include "qdl_ui_global.h"

class QScreen;
class QWidget;

struct ScreenScale {
    bool automatic = false; // the largest factor with which the form fits the screen
    double factor = 1.0;    // used when not automatic; 1 draws the form at its own 800 × 600
};

// "auto", or a factor from kMinScreenScale to kMaxScreenScale ("1.5", "2").
// Anything else is nullopt.
QDL_UI_EXPORT std::optional<ScreenScale> parseScreenScale(const QString& text);
inline constexpr double kMinScreenScale = 0.5;
inline constexpr double kMaxScreenScale = 4.0;

QDL_UI_EXPORT void setScreenScale(ScreenScale scale);
QDL_UI_EXPORT ScreenScale screenScale();

// The size the screen is designed at: every design measure of the form and
// of the dialogs is a pixel of this 800 × 600 screen.
inline constexpr QSize kScreenDesignSize{800, 600};

// The factor to draw at on a screen whose free area (without panels and
// docks) is available: a fixed factor as it is; for auto the largest with
// which kScreenDesignSize fits the area, kept within kMinScreenScale and
// kMaxScreenScale. Auto also shrinks the screen below its design size on a
// smaller display: a form that overhangs the display has buttons out of the
// finger's reach, which is worse than smaller buttons.
QDL_UI_EXPORT double effectiveScreenScale(ScreenScale scale, QSize available);
// The set scale (screenScale()) on that screen; 1 for auto without a screen.
QDL_UI_EXPORT double effectiveScreenScale(const QScreen* screen);
// The screen a window opens on: its owner's, else the primary one.
QDL_UI_EXPORT QScreen* openingScreen(const QWidget* owner);

// Design measures to pixels at one factor. A rectangle is scaled by its
// edges, so controls that meet in the design meet when scaled; a measure
// that is not zero never scales to zero.
class QDL_UI_EXPORT UiScale {
public:
    constexpr UiScale() = default;
    explicit constexpr UiScale(double factor) : m_factor(factor) {}

    double factor() const { return m_factor; }
    int px(int designPixels) const;
    qreal pxF(qreal designPixels) const { return designPixels * m_factor; }
    QSize size(QSize design) const;
    QRect rect(QRect design) const;
    // The font with its pixel (or point) size scaled.
    QFont font(QFont design) const;
    // A style sheet with every "Npx" scaled.
    QString styleSheet(const QString& design) const;
    // A pen or border that stays crisp: whole pixels, at least one.
    int line(int designPixels = 1) const;

private:
    double m_factor = 1.0;
};

#pragma once

// The factor the whole screen is drawn at. The host program decides it (from
// its command line or its configuration file) before the package opens the
// form; the form and the dialogs read it.

#include <QString>
#include <optional>

#include "qdl_ui_global.h"

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

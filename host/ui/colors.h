#pragma once

// Colours travel as 32-bit 0x00BBGGRR values (red in the low byte), the form
// in which the database stores them. Every fixed colour of the screen and its
// dialogs is named here; the colour choice's swatches and the glyphs' shading
// are their own pictures' data and stay with them.

#include <QColor>

// ---- Stored and exchanged colours (0x00BBGGRR) ------------------------------

// The background of a free button (RGB 144,144,176), as the screen stores it
// for a button it places.
constexpr int kFreeButtonColor = 11571344;
// The caption of a free button: black.
constexpr int kFreeTextColor = 0;
// Area buttons and their strips as the form lays them out (RGB 198,199,240).
constexpr int kAreaButtonColor = 15779782;
// The face of a pressed command button and dialog key (RGB 207,231,231).
constexpr int kPressedFaceColor = 15198159;
// The colour sample before a colour has been chosen (RGB 19,3,0).
constexpr int kColourSampleColor = 787;
// The host's six-colour scheme when there is no parameters file (Incor1 to
// Incor6, in ColoreTela's order).
constexpr int kDefaultScheme[6] = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};
// The four colours the screen hands to the pick list (Pesquisa).
constexpr int kPickListColors[4] = {11776174, 13684686, 4407615, 8487297};

// ---- Fixed looks of the controls and dialogs ----------------------------------

// Command buttons: silver face, navy caption; lighter under the mouse, grey
// when disabled (with a silver caption). Silver is also the form's frame
// before the colour scheme comes, and the border of the dialogs.
inline constexpr QColor kSilver{192, 192, 192};
inline constexpr QColor kHoverSilver{208, 208, 208};
inline constexpr QColor kNavy{0, 0, 128};
inline constexpr QColor kDisabledFace{128, 128, 128};
// The keyboard focus ring: black on a light face, white on a dark one, each
// lined with the other.
inline constexpr QColor kFocusOnLight{0, 0, 0};
inline constexpr QColor kFocusOnDark{255, 255, 255};
// The sunken inner edge of a pressed table button.
inline constexpr QColor kSunkenEdge{0, 0, 0, 60};

// The dialogs: dark ink on their light bodies, the blue of the information
// sign, primary buttons and edit frames, the error sign and band, the outline
// of colour swatches, the keyboard's counter at its limit and its refusal.
inline constexpr QColor kDialogInk{0x1c, 0x1c, 0x24};
inline constexpr QColor kDialogBlue{0x1f, 0x4e, 0x9c};
inline constexpr QColor kErrorSign{196, 32, 32};
inline constexpr QColor kErrorBand{150, 20, 20};
inline constexpr QColor kSwatchOutline{110, 110, 120};
inline constexpr QColor kLimitRed{200, 0, 0};
inline constexpr QColor kRefusalFlash{0xff, 0xd0, 0xd0};

// Dialog buttons (style sheets). Primary: a blue gradient to kDialogBlue.
inline constexpr QColor kPrimaryBorder{0x0d, 0x2a, 0x5c};
inline constexpr QColor kPrimaryTop{0x3b, 0x6f, 0xc4};
inline constexpr QColor kPrimaryPressed{0x16, 0x3a, 0x75};
inline constexpr QColor kPrimaryDisabledText{0xe4, 0xe4, 0xe4};
inline constexpr QColor kPrimaryDisabledFace{0x9a, 0x9c, 0xa4};
inline constexpr QColor kPrimaryDisabledBorder{0x8a, 0x8c, 0x94};
// Keys and plain buttons: a grey border over a light gradient.
inline constexpr QColor kButtonBorder{0x8e, 0x90, 0x9c};
inline constexpr QColor kKeyTop{0xff, 0xff, 0xff};
inline constexpr QColor kKeyBottom{0xe3, 0xe4, 0xea};
inline constexpr QColor kKeyChecked{0xc9, 0xd6, 0xf0};
inline constexpr QColor kKeyDisabledText{0xa8, 0xa8, 0xb0};
inline constexpr QColor kKeyDisabledFace{0xee, 0xee, 0xf1};
inline constexpr QColor kKeyDisabledBorder{0xc4, 0xc5, 0xcc};
inline constexpr QColor kButtonTop{0xf6, 0xf6, 0xf8};
inline constexpr QColor kButtonBottom{0xd2, 0xd3, 0xda};
inline constexpr QColor kButtonDisabledBorder{0x70, 0x70, 0x70};

inline QColor colorFromBgr(qint64 bgr)
{
    const auto v = quint32(bgr);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline int bgrFromColor(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

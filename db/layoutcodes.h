#pragma once

// The fixed codes and sizes of a stored layout (ITMENUCONFTE), in one place
// for the service and client halves, the demo data and the layout check.

#include <QString>

// Slots of the two button families: area buttons 01 to 18 (one page), table
// buttons 01 to 48 on each page of an area.
constexpr int NRBUTTONSAMBI = 18;
constexpr int NRBUTTONSMESA = 48;

// IDTPBUTTON of a button, and IDTPBUTONAUX of a table button (its parent's
// type).
inline const QString kTableButtonType = QStringLiteral("3");
inline const QString kAreaButtonType = QStringLiteral("4");

#pragma once

// The pick list: a modal, touch-sized list over a client dataset's rows.

#include <QString>

#include "qdl_ui_global.h"

class TClientDataSet;

// Shows the dataset's visible fields (display label as the column title,
// display width in characters) and lets the operator pick a row by a tap and
// OK, a double tap or Enter, narrowing the rows by typing. The four colours
// (0x00BBGGRR) are window, alternate rows, text and header, selection.
// Returns true with the dataset standing on the picked row; false when
// cancelled, the cursor then left where it was. figura names an optional
// picture shown in the title band; flag and last are accepted and not read.
QDL_UI_EXPORT bool runPickList(TClientDataSet& dataset, const QString& figura,
                                 const QString& flag, int color1, int color2, int color3,
                                 int color4, int last);

#pragma once

// The colour-choice screen: a grid of swatches for button and text colours.

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include "qdl_ui_global.h"

// Modal choice of a colour. params[0], when it holds decimal text, names the
// colour to start on. On return result is a ten-element list (made so when it
// was not one) whose element 0 is the chosen 0x00BBGGRR value as decimal
// text, or "X" when the operator cancelled.
QDL_UI_EXPORT void runColorChoice(const QVariantList& params, QVariant& result);

#pragma once

#include "qdl_ui_global.h"

// Puts the real operator dialogs behind the host's procedure variables: the
// pick list, the keyboard, the colour choice, Mensagem, and the general error
// report.
QDL_UI_EXPORT void installHostDialogs();

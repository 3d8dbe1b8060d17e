#pragma once

// The operator message box behind Mensagem.

#include <QString>

#include "messages.h"
#include "qdl_ui_global.h"

class QWidget;

// Modal message: information (one OK) or question (Sim / Não) as the request
// says, with its code ("002") shown when given. For a question, true when the
// operator answers Sim; Enter answers Sim, Esc Não. An information returns
// true once acknowledged.
QDL_UI_EXPORT bool showMessageDialog(const MessageRequest& request, QWidget* parent = nullptr);

// The same box announcing an error that ended an operation.
QDL_UI_EXPORT void showErrorDialog(const QString& text, QWidget* parent = nullptr);

#pragma once

// Operator messages: the message table component, the modal message box,
// and the one place where a service call's outcome is decided.

#include <QString>
#include <QStringList>
#include <functional>

#include "datapacket.h"
#include "qdl_data_global.h"

class TClientDataSet;

// A message table: lines "key|text"; Msg(key) gives the text.
class QDL_DATA_EXPORT TMessages {
public:
    QStringList Messages;
    // The text stored for the key; the key itself when no line holds it.
    QString Msg(const QString& key) const;
};

// The arguments of one Mensagem call, as the screen passes them.
struct MessageRequest {
    QString text;
    QString answerFlag; // "N" information, "S" question
    int kind = 3;       // 3 information, 1 question
    QString code;       // "" or "002"
    bool isQuestion() const { return answerFlag == QLatin1String("S"); }
};

// Shows a modal message. For a question, true when the operator answers Sim.
QDL_DATA_EXPORT bool Mensagem(const QString& text, const QString& a2, const QString& a3,
                              const QString& answerFlag, int kind, const QString& a6,
                              const QString& code, int a8, TClientDataSet* dataset);

// The implementation behind Mensagem; the host installs the real message box,
// tests install a scripted stand-in.
using MensagemProc = std::function<bool(const MessageRequest&)>;
QDL_DATA_EXPORT void setMensagemProc(MensagemProc proc);

// Decides a service call's outcome. A packet or a status comes back to the
// caller. A database error is shown to the operator with the service's name,
// the unit and the argument text, and then the caller's handler ends with the
// silent abort (EAbort), so no handler loads an error as data.
QDL_DATA_EXPORT ServiceResult MensagemMetodo(const ServiceResult& value, bool a2, int a3,
                                             const QString& service, const QString& unit,
                                             const QString& arguments, const QString& a7);

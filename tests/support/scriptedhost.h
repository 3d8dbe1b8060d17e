#pragma once

// Scripted stand-ins for the operator-facing host dialogs: the pick list,
// the on-screen keyboard, the colour choice, the message boxes and the
// general error report. Each records its calls; answers come from queues.

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "messages.h"

class TClientDataSet;

struct PickCall {
    QString dataset;
    QString figura, flag;
    int colors[4];
    int last;
    QStringList rows; // first visible column of every offered row
};

class ScriptedHost {
public:
    ScriptedHost();  // installs itself
    ~ScriptedHost(); // removes the stand-ins

    // Pick list: pick the row whose given field equals the value, or cancel
    // (an empty field name).
    std::deque<std::pair<QString, QString>> picks;
    QList<PickCall> pickCalls;

    std::deque<QString> typed;    // keyboard answers
    QStringList keyboardInitial;  // initial texts offered
    std::deque<QString> colours;  // colour screen answers ("X" cancels)
    int colourCalls = 0;
    std::deque<bool> answers;     // question answers (default: Sim)
    QList<MessageRequest> messages;
    QStringList errors;           // general error reports
    QStringList serviceCalls;     // "service:arguments"

    QStringList messageTexts() const;
    QStringList services() const; // service names only
    void clearRecords();
};

#pragma once

// The real screen on a database, with the operator dialogs scripted, for
// programs that drive it outside a FormTest (the drills, the outage tests).

#include <QString>
#include <QTemporaryDir>
#include <Qt>

#include "scriptedhost.h"

class QWidget;
class TfrmConfMesa;

// Creates the screen as the entry does (InicializaForm, without the modal
// loop) into form, and shows it. What InicializaForm throws passes through,
// form already set so that stopScreen frees it. False when the screen was
// never exposed.
bool startScreen(TfrmConfMesa*& form);
// Frees the screen and the service data module and clears their globals.
void stopScreen(TfrmConfMesa*& form);

// A tap in the middle of the widget.
void tapCentre(QWidget* w);

// The connection string set for _GetStringConexQdl and a folder standing in
// for the host executable's, for as long as the session lives; the screen
// (once opened) is closed with it.
class ScreenSession {
public:
    explicit ScreenSession(const QString& connectionString);
    ~ScreenSession();
    ScreenSession(const ScreenSession&) = delete;
    ScreenSession& operator=(const ScreenSession&) = delete;

    void click(QWidget* w) { tapCentre(w); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier);

    ScriptedHost host;
    TfrmConfMesa* form = nullptr;

private:
    QTemporaryDir m_exeDir;
};

#include "screensession.h"

#include <QTest>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "connection.h"
#include "process.h"

bool startScreen(TfrmConfMesa*& form)
{
    form = new TfrmConfMesa(nullptr);
    frmConfMesa = form;
    form->InicializaForm({}, -1);
    form->show();
    return QTest::qWaitForWindowExposed(form);
}

void stopScreen(TfrmConfMesa*& form)
{
    delete form;
    form = nullptr;
    frmConfMesa = nullptr;
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
}

void tapCentre(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

ScreenSession::ScreenSession(const QString& connectionString)
{
    setConnectionStringOverride(connectionString);
    setHostExecutableDir(m_exeDir.path());
}

ScreenSession::~ScreenSession()
{
    stopScreen(form);
    setHostExecutableDir(QString());
    setConnectionStringOverride(QString());
}

void ScreenSession::key(Qt::Key k, Qt::KeyboardModifiers m)
{
    QTest::keyClick(form, k, m);
}

// Live refresh: the screen shows what other terminals commit to its own
// configuration. An idle screen rebuilds its menus at once; a busy one (an
// editing mode, a pending row, a handler or a dialog open) when it is next
// idle.

#include <QApplication>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "guard.h"

bool TfrmConfMesa::isIdle() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return !boExcluir && !boMudaCor && !boMudaFonte && !boMudaNome && !m_inHandler && !m_refreshing
        && cdsAlteracoes.IsEmpty() && (!modal || modal == this);
}

void TfrmConfMesa::layoutChangedElsewhere()
{
    m_refreshPending = true;
    refreshIfIdle();
}

void TfrmConfMesa::refreshIfIdle()
{
    if (!m_refreshPending || !isIdle() || !isVisible())
        return;
    m_refreshPending = false;
    // The menus as stored; the selected area button and the page stay. A
    // change that arrives during the rebuild waits for the next turn.
    m_refreshing = true;
    try {
        showStoredLayout();
    } catch (...) {
        m_refreshing = false;
        throw;
    }
    m_refreshing = false;
    describeScreen();
}

void TfrmConfMesa::watchLayout()
{
    if (!rdmConfMesa)
        return;
    rdmConfMesa->watchLayout(stCdfilial, stNrConf, [this] { runGuarded([this] { layoutChangedElsewhere(); }); });
}

#include "dialogs/install.h"

#include "dialogs/colorchoice.h"
#include "dialogs/keyboard.h"
#include "dialogs/messagedialog.h"
#include "dialogs/picklist.h"
#include "guard.h"
#include "messages.h"
#include "siblings.h"

void installHostDialogs()
{
    Pesquisa = runPickList;
    TecladoAlfaNumerico = runKeyboard;
    CriaTelaQdl00006 = runColorChoice;
    setMensagemProc([](const MessageRequest& request) { return showMessageDialog(request); });
    setGeneralErrorReport([](const QString& message) { showErrorDialog(message); });
}

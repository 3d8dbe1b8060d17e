#pragma once

// The operations of the sibling screen packages, reached through procedure
// variables that the host installs (real dialogs in the program, scripted
// stand-ins in tests). An empty variable is a host set-up fault and raises.

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>

#include "qdl_ui_global.h"

class TClientDataSet;

// Pick list over the dataset's rows. True when a row was picked, the dataset
// then standing on it; false when cancelled.
using PesquisaProc = std::function<bool(TClientDataSet& dataset, const QString& figura,
                                        const QString& flag, int color1, int color2,
                                        int color3, int color4, int last)>;
// On-screen keyboard. Returns the typed text; "" or "@" mean nothing changes.
using TecladoAlfaNumericoProc = std::function<QString(const QString& initial, int a, int b, int c)>;
// Colour choice. result holds a ten-element QVariantList on entry; on return
// element 0 is the chosen 0x00BBGGRR colour as decimal text, or "X".
using CriaTelaQdl00006Proc = std::function<void(const QVariantList& params, QVariant& result)>;

QDL_UI_EXPORT extern PesquisaProc Pesquisa;
QDL_UI_EXPORT extern TecladoAlfaNumericoProc TecladoAlfaNumerico;
QDL_UI_EXPORT extern CriaTelaQdl00006Proc CriaTelaQdl00006;

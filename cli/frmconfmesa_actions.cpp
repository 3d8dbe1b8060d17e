// Operator actions: clicks on area and table buttons, the editing modes and
// confirmation of pending changes. The keys that run them are in
// frmconfmesa_keys.cpp.

#include <QCoreApplication>
#include <tuple>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "colors.h"
#include "dialogs/keyboard.h"
#include "errors.h"
#include "statements.h"
#include "servicecall.h"
#include "siblings.h"
#include "textutil.h"

using qdl::layout::ButtonKey;

namespace {

const QString kFree = QStringLiteral(" ");

QString lastTwo(QObject* sender)
{
    return sender ? sender->objectName().right(2) : QString();
}

bool anyMode()
{
    return boExcluir || boMudaCor || boMudaFonte || boMudaNome;
}

// A colour chosen on the colour screen, as the decimal text it came in.
int colourValue(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw EQdlError(QCoreApplication::translate("TfrmConfMesa", "'%1' não é uma cor válida.").arg(text));
    return value;
}

void requireProc(bool installed, const char* name)
{
    if (!installed)
        throw EQdlError(
            QCoreApplication::translate("TfrmConfMesa", "%1 não está disponível neste host.").arg(QLatin1String(name)));
}

const char* colourColumn(bool background)
{
    return background ? "NRCOLORBACK" : "NRCOLORTEXT";
}

// A stored number as exact decimal text ("" for null): 17 digits give the
// very double back, so the database compares it equal to what it holds.
QString exactNumberText(const QVariant& value)
{
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'g', 17);
}

} // namespace

// A button placed by the screen: a free button's colours, no message.
// getInsere's argument text is not its argument list: the colours go as
// decimal text, the button's type and its parent's type stand together as
// one element, and the empty message has an element only for a table button.
// Answers the service's value: empty when written, "Botao_Alt" when the slot
// or the table or area was taken elsewhere meanwhile. A button written is
// kept among the rows its menu read, as stored.
QString TfrmConfMesa::insertButton(const ButtonKey& key, const QString& caption, const QString& ident)
{
    const int text = kFreeTextColor, back = kFreeButtonColor;
    QStringList argumentText{stCdfilial, stNrConf, key.number, caption, QString::number(text), QString::number(back)};
    if (key.type == kTableButtonType)
        argumentText << QString();
    argumentText << key.page << ident << key.type + key.parentType << key.parentNumber << key.parentPage;
    const QString status =
        callServiceWithText(QStringLiteral("getInsere"), argumentText, [&](ServiceResult& out) {
            return getInsere(stCdfilial, stNrConf, key.number, caption, float(text), float(back), QString(), key.page,
                             ident, key.type, key.parentType, key.parentNumber, key.parentPage, out);
        }).toText();
    if (!EmptyString(status))
        return status;
    TClientDataSet& read = key.type == kAreaButtonType ? cdsPesqAmbientes : cdsPesqMesas;
    read.Append();
    read.FieldByName(QStringLiteral("NRBUTTON")).setAsString(key.number);
    read.FieldByName(QStringLiteral("DSBUTTON")).setAsString(caption);
    read.FieldByName(QStringLiteral("NRCOLORTEXT")).setAsFloat(text);
    read.FieldByName(QStringLiteral("NRCOLORBACK")).setAsFloat(back);
    if (key.type == kAreaButtonType)
        read.FieldByName(QStringLiteral("CDIDENTBUTON")).setAsString(ident);
    read.Post();
    return status;
}

TClientDataSet* TfrmConfMesa::storedRow(const ButtonKey& key)
{
    if (key.type == kAreaButtonType)
        return cdsPesqAmbientes.Locate(QStringLiteral("NRBUTTON"), key.number, true) ? &cdsPesqAmbientes : nullptr;
    if (key.page != pageText() || key.parentNumber != stNrFocusAmb)
        return nullptr; // the table menu read another page
    return cdsPesqMesas.Locate(QStringLiteral("NRBUTTON"), key.number, true) ? &cdsPesqMesas : nullptr;
}

QString TfrmConfMesa::colourRead(const ButtonKey& key, bool background)
{
    // Marked before in this batch: the earlier mark is written first, and
    // this one over it.
    const QList<PendingRow> pending = pendingRows();
    for (auto it = pending.crbegin(); it != pending.crend(); ++it)
        if (static_cast<const ButtonKey&>(*it) == key)
            return it->colour;
    // None read stands for null: a write over it is refused unless null is
    // stored, and the screen then shows what is.
    TClientDataSet* read = storedRow(key);
    return read ? exactNumberText(read->FieldByName(QLatin1String(colourColumn(background))).value()) : QString();
}

TfrmConfMesa::PendingRow TfrmConfMesa::currentPending()
{
    const auto field = [this](const char* name) { return cdsAlteracoes.FieldByName(QLatin1String(name)).AsString(); };
    PendingRow row;
    static_cast<ButtonKey&>(row) = ButtonKey::fromColumns(field, "NRBUTONAUX");
    row.colour = field("NRCOLOR");
    row.colourRead = field("NRCOLORLIDO");
    row.cdsala = field("CDSALA");
    return row;
}

void TfrmConfMesa::showMessageKey(const QString& key)
{
    Mensagem(msgPadrao.Msg(key), QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0,
             nullptr);
}

void TfrmConfMesa::appendPending(const qdl::layout::ButtonKey& key, const QString& nrcolor, const QString& cdsala,
                                 const QString& colourRead)
{
    cdsAlteracoes.Append();
    cdsAlteracoes.FieldByName(QStringLiteral("NRBUTTON")).setAsString(key.number);
    cdsAlteracoes.FieldByName(QStringLiteral("IDTPBUTTON")).setAsString(key.type);
    cdsAlteracoes.FieldByName(QStringLiteral("NRPGCONFTELA")).setAsString(key.page);
    cdsAlteracoes.FieldByName(QStringLiteral("IDTPBUTONAUX")).setAsString(key.parentType);
    cdsAlteracoes.FieldByName(QStringLiteral("NRBUTONAUX")).setAsString(key.parentNumber);
    cdsAlteracoes.FieldByName(QStringLiteral("NRPGCONFTAUX")).setAsString(key.parentPage);
    cdsAlteracoes.FieldByName(QStringLiteral("NRCOLOR")).setAsString(nrcolor);
    cdsAlteracoes.FieldByName(QStringLiteral("NRCOLORLIDO")).setAsString(colourRead);
    cdsAlteracoes.FieldByName(QStringLiteral("CDSALA")).setAsString(cdsala);
    cdsAlteracoes.Post();
}

// Rename mode on an occupied button: the name typed on the keyboard is
// written at once; a blank name or "@" changes nothing. The mode ends after
// this one click either way. A name the database refuses does not stay on the
// button: the handler ends with the button showing its stored name.
void TfrmConfMesa::renameButton(QAbstractButton* button, const ButtonKey& key)
{
    requireProc(bool(TecladoAlfaNumerico), "TecladoAlfaNumerico");
    // The name is written only over the stored one the screen read (the
    // area button's, for a strip, which shows none of its own).
    TClientDataSet* read = storedRow(key);
    const QString seen = read ? read->FieldByName(QStringLiteral("DSBUTTON")).AsString() : QString();
    setKeyboardPreviewSource(button); // the keyboard previews the name on this button
    stNome = TecladoAlfaNumerico(button->text(), 0, 0, 0);
    if (!EmptyString(stNome) && stNome != u"@") {
        const QString stored = button->text();
        button->setText(stNome);
        QString status;
        try {
            status = callService(QStringLiteral("getMudaNome"), getMudaNome, stCdfilial, stNrConf, key.number,
                                 key.page, stNome, key.type, key.parentType, key.parentNumber, key.parentPage, seen)
                         .toText();
        } catch (...) {
            button->setText(stored);
            throw;
        }
        button->setText(stNome);
        if (reportNotDoneAsAsked(status))
            showStoredLayout();
        else if (TClientDataSet* written = storedRow(key))
            written->FieldByName(QStringLiteral("DSBUTTON")).setAsString(stNome);
    }
    ControlaHabilitacao(QStringLiteral("H"));
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    boMudaNome = false;
}

// ---- Area buttons and their strips -----------------------------------------

void TfrmConfMesa::tcbAmb01Click(QObject* sender)
{
    auto* button = qobject_cast<TTouchButton*>(sender);
    if (!button)
        return;
    const QString stCodigo = lastTwo(sender);
    const bool isFree = button->text() == kFree;
    // A strip stands for its area button. The strip of a selected free slot
    // (after "Amb_NCad" or a confirmed clear) has no caption of its own and
    // reads as occupied: without a mode a tap selects the slot again, but no
    // mode may rename, recolour or clear a button that is not stored.
    const TTouchButton* slot = areaButton(stCodigo.toInt());
    const bool freeSlot = isFree || (slot && slot->text() == kFree);

    if (!freeSlot) {
        // Selecting the area reads its tables next: both go in one round trip.
        if (!anyMode() && rdmConfMesa)
            rdmConfMesa->readAreaAhead(stCdfilial, stNrConf, stCodigo, pageText());
        const QString one = QStringLiteral("1"), zero = QStringLiteral("0");
        const ServiceResult r = callService(QStringLiteral("getAmbNrbuton"), getAmbNrbuton, stCdfilial, stNrConf,
                                            kAreaButtonType, zero, zero, zero, stCodigo, one);
        cdsAmbNrbuton.setData(r.toPacket());
    }
    // In a mode a click changes the button and never selects it.
    if (anyMode()) {
        if (!freeSlot)
            areaClickInMode(button, stCodigo);
        return;
    }
    if (isFree && !placeArea(button, stCodigo))
        return;
    stNrFocusAmb = stCodigo;
    if (cdsControleAmb.Locate(QStringLiteral("NRBUTTON"), stCodigo, true))
        stCdAmb = cdsControleAmb.FieldByName(QStringLiteral("CDSALA")).AsString();
    ControlaFocus();
    MontaMenuMesa();
}

void TfrmConfMesa::areaClickInMode(TTouchButton* button, const QString& stCodigo)
{
    const QString one = QStringLiteral("1"), zero = QStringLiteral("0");
    if (boExcluir) {
        clearArea(button, stCodigo);
    } else if (boMudaCor) {
        const QString cdsala = cdsAmbNrbuton.FieldByName(QStringLiteral("CDSALA")).AsString();
        const ButtonKey key = ButtonKey::area(stCodigo);
        appendPending(key, CorButton, cdsala, colourRead(key, true));
        const int colour = colourValue(CorButton);
        button->SetColor(colour);
        if (TTouchButton* strip = areaStrip(stCodigo.toInt()))
            strip->SetColor(colour);
    } else if (boMudaFonte) {
        const QString cdsala = cdsAmbNrbuton.FieldByName(QStringLiteral("CDSALA")).AsString();
        const ButtonKey key = ButtonKey::area(stCodigo);
        appendPending(key, CorFonte, cdsala, colourRead(key, false));
        button->SetFontColor(colourValue(CorFonte));
    } else if (boMudaNome) {
        renameButton(button, ButtonKey::area(stCodigo));
    }
}

void TfrmConfMesa::clearArea(TTouchButton* button, const QString& stCodigo)
{
    // The area code comes from the button's own stored row: the lookup of
    // the click only sees one store, and a pending clear without its area
    // code would leave the area's tables behind.
    QString cdsala;
    if (cdsControleAmb.Locate(QStringLiteral("NRBUTTON"), stCodigo, true))
        cdsala = cdsControleAmb.FieldByName(QStringLiteral("CDSALA")).AsString();
    else if (cdsPesqAmbientes.Locate(QStringLiteral("NRBUTTON"), stCodigo, true))
        cdsala = cdsPesqAmbientes.FieldByName(QStringLiteral("CDIDENTBUTON")).AsString();
    else
        cdsala = cdsAmbNrbuton.FieldByName(QStringLiteral("CDSALA")).AsString();
    const QString one = QStringLiteral("1"), zero = QStringLiteral("0");
    // The strip and its button clear the same area: one pending row for it,
    // or the second would find the area gone that the first deleted.
    if (!hasPendingAreaClear(stCodigo))
        appendPending(ButtonKey::area(stCodigo), QString(), cdsala);
    if (cdsControleAmb.Locate(QStringLiteral("NRBUTTON"), stCodigo, true))
        cdsControleAmb.Delete();
    setFreeLook(button);
    if (TTouchButton* strip = areaStrip(stCodigo.toInt()))
        strip->SetColor(kFreeButtonColor);
    LimpaMenuMesa();
}

bool TfrmConfMesa::hasPendingAreaClear(const QString& stCodigo)
{
    for (int row = 0; row < cdsAlteracoes.RecordCount(); ++row) {
        cdsAlteracoes.setRecNo(row);
        const PendingRow r = currentPending();
        if (r.type == kAreaButtonType && r.number == stCodigo)
            return true;
    }
    return false;
}

bool TfrmConfMesa::placeArea(TTouchButton* button, const QString& stCodigo)
{
    const ServiceResult areas = callService(QStringLiteral("getAmbientes"), getAmbientes, stCdfilial, stNrConf);
    cdsAmbientes.setData(areas.toPacket());
    if (cdsAmbientes.IsEmpty()) {
        showMessageKey(QStringLiteral("Amb_NCad"));
        return true; // the free button is selected all the same
    }
    requireProc(bool(Pesquisa), "Pesquisa");
    if (!Pesquisa(cdsAmbientes, stFigura, QStringLiteral("S"), kPickListColors[0], kPickListColors[1],
                  kPickListColors[2], kPickListColors[3], 0))
        return false;
    // Paints and system events pass; the operator's next tap waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QString cdsala = cdsAmbientes.FieldByName(QStringLiteral("CDSALA")).AsString();
    const QString nmsala = cdsAmbientes.FieldByName(QStringLiteral("NMSALA")).AsString();
    if (reportNotDoneAsAsked(insertButton(ButtonKey::area(stCodigo), nmsala, cdsala))) {
        showStoredLayout();
        return false;
    }
    cdsControleAmb.Append();
    cdsControleAmb.FieldByName(QStringLiteral("NRBUTTON")).setAsString(stCodigo);
    cdsControleAmb.FieldByName(QStringLiteral("CDSALA")).setAsString(cdsala);
    cdsControleAmb.Post();
    stCdAmb = cdsala;
    button->setText(nmsala);
    LimpaMenuMesa();
    return true;
}

// ---- Table buttons ------------------------------------------------------------

void TfrmConfMesa::tcb01Click(QObject* sender)
{
    auto* button = qobject_cast<TSpeedButton*>(sender);
    if (!button)
        return;
    if (boMudaCor) {
        showMessageKey(QStringLiteral("Mesa_Cor"));
        return;
    }
    const QString stCodigo = lastTwo(sender);
    const bool isFree = button->text() == kFree;
    if (isFree && !anyMode())
        placeTable(button, stCodigo);
    else if (!isFree)
        tableClickInMode(button, stCodigo);
    // A free button in a mode: nothing, and the mode stays on.
}

void TfrmConfMesa::placeTable(TSpeedButton* button, const QString& stCodigo)
{
    auto* area = areaButton(stNrFocusAmb.toInt());
    if (!area || EmptyString(area->text())) {
        showMessageKey(QStringLiteral("Amb_deve"));
        return;
    }
    const ServiceResult loja = callService(QStringLiteral("getLoja"), getLoja, stCdfilial, stNrConf);
    cdsLoja.setData(loja.toPacket());
    if (cdsLoja.IsEmpty()) {
        showMessageKey(QStringLiteral("Loja_NCad"));
        return;
    }
    stCdLojaAber = cdsLoja.FieldByName(QStringLiteral("CDLOJA")).AsString();
    const ServiceResult mesas =
        callService(QStringLiteral("getMesas"), getMesas, stCdfilial, stCdLojaAber, stCdAmb, stNrConf);
    cdsMesas.setData(mesas.toPacket());
    if (cdsMesas.IsEmpty()) {
        showMessageKey(QStringLiteral("Mesa_NCad"));
        return;
    }
    requireProc(bool(Pesquisa), "Pesquisa");
    if (!Pesquisa(cdsMesas, stFigura, QStringLiteral("S"), kPickListColors[0], kPickListColors[1],
                  kPickListColors[2], kPickListColors[3], 0))
        return;
    // Paints and system events pass; the operator's next tap waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QString nrmesa = cdsMesas.FieldByName(QStringLiteral("NRMESA")).AsString();
    const QString nmmesa = cdsMesas.FieldByName(QStringLiteral("NMMESA")).AsString();
    if (reportNotDoneAsAsked(insertButton(ButtonKey::table(stCodigo, pageText(), stNrFocusAmb), nmmesa, nrmesa))) {
        showStoredLayout();
        return;
    }
    button->setText(nmmesa);
    button->setGlyph(imgLivre->pixmap());
}

void TfrmConfMesa::tableClickInMode(TSpeedButton* button, const QString& stCodigo)
{
    const QString page = pageText();
    const QString one = QStringLiteral("1");
    if (boExcluir) {
        appendPending(ButtonKey::table(stCodigo, page, stNrFocusAmb), QString(), QString());
        // Nothing reads cdsMesaNrButon afterwards; the lookup stays so that a
        // database that cannot answer ends the click before the button looks
        // free. It takes its key from the row just recorded.
        const PendingRow row = currentPending();
        const ServiceResult r =
            callService(QStringLiteral("getMesaNrButon"), getMesaNrButon, stCdfilial, stCdLojaAber, row.type,
                        row.number, row.page, row.parentNumber, row.parentPage, stNrConf, row.parentType);
        cdsMesaNrButon.setData(r.toPacket());
        button->setText(kFree);
        button->SetFontColor(kFreeTextColor);
        button->setGlyph(imgLivreCinza->pixmap());
    } else if (boMudaFonte) {
        const ButtonKey key = ButtonKey::table(stCodigo, page, stNrFocusAmb);
        appendPending(key, CorFonte, QString(), colourRead(key, false));
        button->SetFontColor(colourValue(CorFonte));
    } else if (boMudaNome) {
        renameButton(button, ButtonKey::table(stCodigo, page, stNrFocusAmb));
    }
}

// ---- Editing modes ---------------------------------------------------------------

void TfrmConfMesa::tcbNomeClick(QObject*)
{
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Nome")));
    ControlaHabilitacao(QStringLiteral("M"));
    boMudaNome = true;
    boExcluir = boMudaCor = boMudaFonte = false;
}

void TfrmConfMesa::chooseColour(bool background)
{
    bool& flag = background ? boMudaCor : boMudaFonte;
    QString& colour = background ? CorButton : CorFonte;
    const bool reentered = flag;
    const QString previous = colour;

    lblMensagem->setText(msgPadrao.Msg(background ? QStringLiteral("CorBotao") : QStringLiteral("CorTexto")));
    ControlaHabilitacao(background ? QStringLiteral("C") : QStringLiteral("F"));
    boMudaNome = boExcluir = false;
    boMudaCor = background;
    boMudaFonte = !background;

    oleRetorno = QVariant(QVariantList(10));
    requireProc(bool(CriaTelaQdl00006), "CriaTelaQdl00006");
    CriaTelaQdl00006(QVariantList{QString()}, oleRetorno);
    const QVariantList answer = oleRetorno.toList();
    colour = answer.isEmpty() ? QString() : answer.first().toString();

    if (colour != u"X") {
        MudaCursor(QStringLiteral("1"));
        shpMostraCor->show();
        shpMostraCor->setBrushColor(colorFromBgr(colourValue(colour)));
    } else if (reentered) {
        // A new choice abandoned inside the mode: the mode goes on with the
        // colour its recorded clicks were made with.
        colour = previous;
    } else {
        flag = false;
        ControlaHabilitacao(QStringLiteral("H"));
        lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    }
}

void TfrmConfMesa::tcbCorButtonClick(QObject*)
{
    chooseColour(true);
}

void TfrmConfMesa::tcbCorTextoClick(QObject*)
{
    chooseColour(false);
}

void TfrmConfMesa::tcbLimparClick(QObject*)
{
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Limpar")));
    ControlaHabilitacao(QStringLiteral("L"));
    boExcluir = true;
    boMudaNome = boMudaFonte = boMudaCor = false;
    MudaCursor(QStringLiteral("1"));
}

void TfrmConfMesa::tcbCancelaClick(QObject*)
{
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    MontaMenuAmbiente();
    MontaMenuMesa();
    boExcluir = boMudaCor = boMudaFonte = boMudaNome = false;
    cdsAlteracoes.EmptyDataSet();
    ControlaHabilitacao(QStringLiteral("H"));
    MudaCursor(QStringLiteral("0"));
    shpMostraCor->hide();
}

// ---- Confirmation ------------------------------------------------------------------

void TfrmConfMesa::walkPending(const std::function<bool(const PendingRow&)>& writeRow)
{
    int index = 0;
    while (index < cdsAlteracoes.RecordCount()) {
        cdsAlteracoes.setRecNo(index);
        if (writeRow(currentPending()))
            cdsAlteracoes.Delete();
        else
            ++index;
    }
}

void TfrmConfMesa::tcbConfirmaClick(QObject*)
{
    if (boExcluir) {
        confirmClears();
        boExcluir = false;
        cdsAlteracoes.EmptyDataSet();
    }
    if (boMudaCor || boMudaFonte) {
        confirmColours(boMudaCor);
        boMudaCor = boMudaFonte = false;
        cdsAlteracoes.EmptyDataSet();
    }
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    boExcluir = boMudaNome = boMudaCor = boMudaFonte = false;
    ControlaHabilitacao(QStringLiteral("H"));
    MudaCursor(QStringLiteral("0"));
    shpMostraCor->hide();
    MontaMenuMesa();
}

void TfrmConfMesa::confirmClears()
{
    if (cdsAlteracoes.IsEmpty())
        return;
    const bool confirmed = Mensagem(msgPadrao.Msg(QStringLiteral("Deleta")), QString(), QStringLiteral("N"),
                                    QStringLiteral("S"), 1, QString(), QStringLiteral("002"), 0, nullptr);
    if (!confirmed) {
        MontaMenuAmbiente();
        MontaMenuMesa();
        return;
    }
    walkPending([this](const PendingRow& r) {
        if (r.type != kTableButtonType && r.type != kAreaButtonType)
            return false; // not a button this screen clears
        const QString status = deletePendingButton(r);
        if (EmptyString(status))
            return true;
        if (reportNotDoneAsAsked(status))
            return false; // gone already, or maybe done: the batch goes on
        showMessageKey(status);
        if (status == u"Mesa_Ind")
            return false; // refused: the button stays, the batch goes on
        throw EAbort();
    });
    // A refused area is still stored: show it again as stored.
    MontaMenuAmbiente();
}

QString TfrmConfMesa::deletePendingButton(const PendingRow& r)
{
    if (r.type == kAreaButtonType) {
        return callService(QStringLiteral("setDelAmbiente"), setDelAmbiente, stCdfilial, stNrConf, r.cdsala,
                           r.number, r.type, r.parentType, r.parentNumber, r.parentPage, r.page)
            .toText();
    }
    return callService(QStringLiteral("setDeleta"), setDeleta, stCdfilial, stNrConf, r.number, r.page, r.type,
                       r.parentType, r.parentNumber, r.parentPage)
        .toText();
}

void TfrmConfMesa::confirmColours(bool background)
{
    // A button not changed as asked keeps what is stored: its later marks
    // in the batch were made over the refused one and are not written
    // either (nor told again).
    QSet<QString> notDone;
    walkPending([&](const PendingRow& r) {
        if (notDone.contains(r.text()))
            return false;
        // The colour services take the same ten arguments in the same order.
        const auto arguments = std::tie(stCdfilial, stNrConf, r.number, r.page, r.colour, r.type, r.parentType,
                                        r.parentNumber, r.parentPage, r.colourRead);
        const auto mudaCor = [](const auto&... a) {
            return callService(QStringLiteral("getMudaCor"), getMudaCor, a...);
        };
        const auto mudaFonte = [](const auto&... a) {
            return callServiceDirect(QStringLiteral("getMudaFonte"), getMudaFonte, a...);
        };
        const ServiceResult status = background ? std::apply(mudaCor, arguments) : std::apply(mudaFonte, arguments);
        if (reportNotDoneAsAsked(status.toText())) {
            notDone.insert(r.text());
            return false; // reported: the batch goes on
        }
        // Stored now: the next batch's marks are made over it.
        if (TClientDataSet* read = storedRow(r))
            read->FieldByName(QLatin1String(colourColumn(background))).setAsFloat(r.colour.toDouble());
        return true;
    });
    // The area buttons show their colours as stored too.
    if (!notDone.isEmpty())
        showStoredLayout();
}

QString TfrmConfMesa::changedElsewhereText()
{
    return QCoreApplication::translate("TfrmConfMesa", "Este botão foi mudado em outro terminal; a tela mostra "
                                                       "agora o que está gravado.");
}

QString TfrmConfMesa::outcomeUnknownText()
{
    return QCoreApplication::translate("TfrmConfMesa", "A ligação com o banco de dados caiu antes da resposta: esta "
                                                       "alteração pode ter sido gravada. A tela mostra agora o que "
                                                       "está gravado.");
}

bool TfrmConfMesa::reportNotDoneAsAsked(const QString& status)
{
    if (status == QLatin1String(qdl::kBotaoAlterado))
        reportChangedElsewhere();
    else if (status == QLatin1String(qdl::kGravacaoIncerta))
        Mensagem(outcomeUnknownText(), QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0,
                 nullptr);
    else
        return false;
    return true;
}

void TfrmConfMesa::reportChangedElsewhere()
{
    Mensagem(changedElsewhereText(), QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0, nullptr);
}

void TfrmConfMesa::showStoredLayout()
{
    MontaMenuAmbiente();
    ControlaFocus();
    MontaMenuMesa();
}

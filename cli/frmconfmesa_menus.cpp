// The area and table menus built from the stored configuration, paging,
// command enabling and cursors.

#include <QCoreApplication>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "colors.h"
#include "servicecall.h"
#include "storedvalues.h"

namespace {

const QString kFreeCaption = QStringLiteral(" ");

// What a menu leaves out of the rows it reads, one line each, kept for the
// operator. Another program may have written what the screen never does:
// a colour that is no colour (1e300, NaN, negative, above white; storedColour
// takes whole numbers from 0 to 0xFFFFFF, a fractional part dropped), for
// which the button shows the fallback; a button number that names no button
// of the screen, whose row is not shown.
class LeftOut {
public:
    // button() names the button, only for a refusal.
    template <class Button>
    int colour(TClientDataSet& ds, const char* field, int fallback, Button&& button)
    {
        const double stored = ds.FieldByName(QLatin1String(field)).AsFloat();
        if (const std::optional<int> colour = storedColour(stored))
            return *colour;
        const QString what = qstrcmp(field, "NRCOLORTEXT") == 0
                                 ? QCoreApplication::translate("TfrmConfMesa", "cor do texto")
                                 : QCoreApplication::translate("TfrmConfMesa", "cor de fundo");
        lines << QStringLiteral("%1, %2 (%3): %4")
                     .arg(button(), what, QLatin1String(field), QString::number(stored, 'g', 15));
        return fallback;
    }
    void button(const QString& button)
    {
        lines << QCoreApplication::translate("TfrmConfMesa", "%1: não há esse botão na tela").arg(button);
    }
    QStringList lines;
};

// Sets only what differs: every setter repaints the button, and a rebuild
// mostly finds what the screen already shows (paging back, a confirmation).
void setLook(TSpeedButton* b, const QString& caption, int back, int text, const QPixmap& glyph)
{
    if (b->Color() != back)
        b->SetColor(back);
    if (b->FontColor() != text)
        b->SetFontColor(text);
    b->setText(caption); // an equal text is ignored
    if (b->glyph().cacheKey() != glyph.cacheKey())
        b->setGlyph(glyph);
}

} // namespace

void TfrmConfMesa::setFreeLook(TTouchButton* button)
{
    button->setText(kFreeCaption);
    button->SetColor(kFreeButtonColor);
    button->SetFontColor(kFreeTextColor);
}

void TfrmConfMesa::setFreeLook(TSpeedButton* button)
{
    setLook(button, kFreeCaption, kFreeButtonColor, kFreeTextColor, imgLivreCinza->pixmap());
}

void TfrmConfMesa::LimpaMenuAmbiente()
{
    for (int i = 1; i <= NRBUTTONSAMBI; ++i)
        if (TTouchButton* b = areaButton(i))
            setFreeLook(b);
}

void TfrmConfMesa::MontaMenuAmbiente()
{
    cdsControleAmb.EmptyDataSet();
    const ServiceResult packet =
        callService(QStringLiteral("getPesqAmbientes"), getPesqAmbientes, stCdfilial, stNrConf);
    cdsPesqAmbientes.setData(packet.toPacket());
    LimpaMenuAmbiente();
    if (cdsPesqAmbientes.IsEmpty())
        return;
    cdsPesqAmbientes.First();
    stCdAmb = cdsPesqAmbientes.FieldByName(QStringLiteral("CDIDENTBUTON")).AsString();
    const QString selectedButton = stNrFocusAmb;
    QString selectedCode;
    bool selectedStored = false;
    LeftOut leftOut;
    for (; !cdsPesqAmbientes.Eof(); cdsPesqAmbientes.Next()) {
        const QString number = cdsPesqAmbientes.FieldByName(QStringLiteral("NRBUTTON")).AsString();
        const QString code = cdsPesqAmbientes.FieldByName(QStringLiteral("CDIDENTBUTON")).AsString();
        auto* b = qobject_cast<TTouchButton*>(FindComponent(QStringLiteral("tcbAmb") + number));
        auto* strip = qobject_cast<TTouchButton*>(FindComponent(QStringLiteral("panAmb") + number));
        const auto button = [&number] {
            return QCoreApplication::translate("TfrmConfMesa", "botão de ambiente %1").arg(printableText(number));
        };
        if (b || strip) {
            const int back = leftOut.colour(cdsPesqAmbientes, "NRCOLORBACK", kFreeButtonColor, button);
            if (b) {
                b->SetColor(back);
                b->SetFontColor(leftOut.colour(cdsPesqAmbientes, "NRCOLORTEXT", kFreeTextColor, button));
                b->setText(cdsPesqAmbientes.FieldByName(QStringLiteral("DSBUTTON")).AsString());
            }
            if (strip)
                strip->SetColor(back);
        } else {
            leftOut.button(button());
        }
        cdsControleAmb.Append();
        cdsControleAmb.FieldByName(QStringLiteral("NRBUTTON")).setAsString(number);
        cdsControleAmb.FieldByName(QStringLiteral("CDSALA")).setAsString(code);
        cdsControleAmb.Post();
        if (number == selectedButton) {
            selectedStored = true;
            selectedCode = code;
        }
    }
    // The selected area button keeps its own area: the tables offered and
    // placed next belong under the button the operator sees selected.
    if (selectedStored)
        stCdAmb = selectedCode;
    reportLeftOut(leftOut.lines);
}

void TfrmConfMesa::reportLeftOut(const QStringList& lines)
{
    // Said on the message line, never in a message box: one at start-up
    // would stand between the operator (or --screenshot) and the screen.
    // Each line is told once: a menu built again (paging, another
    // terminal's change) shows the same buttons without saying it again.
    bool unseen = false;
    for (const QString& line : lines)
        if (!m_leftOut.contains(line)) {
            m_leftOut << line;
            unseen = true;
        }
    if (!unseen)
        return;
    lblMensagem->setText(QCoreApplication::translate("TfrmConfMesa", "A tela não mostra %n valor(es) gravado(s) "
                                                                     "(qdl-host --check os nomeia).",
                                                     nullptr, int(m_leftOut.size())));
    lblMensagem->setToolTip(m_leftOut.join(QLatin1Char('\n')));
}

void TfrmConfMesa::LimpaMenuMesa()
{
    for (int i = 1; i <= NRBUTTONSMESA; ++i)
        if (TSpeedButton* b = tableButton(i))
            setFreeLook(b);
}

void TfrmConfMesa::MontaMenuMesa()
{
    const QString page = pageText();
    const ServiceResult packet =
        callService(QStringLiteral("getPesqMesas"), getPesqMesas, stCdfilial, stNrConf, page, stNrFocusAmb);
    cdsPesqMesas.setData(packet.toPacket());
    // The free look, then the stored rows over it (a later row of the same
    // number wins), given to each button in one go: a button whose look does
    // not change is not repainted.
    struct Look {
        QString caption;
        int back, text;
    };
    QHash<TSpeedButton*, Look> stored;
    LeftOut leftOut;
    for (cdsPesqMesas.First(); !cdsPesqMesas.Eof(); cdsPesqMesas.Next()) {
        const QString number = cdsPesqMesas.FieldByName(QStringLiteral("NRBUTTON")).AsString();
        const auto button = [&] {
            return QCoreApplication::translate("TfrmConfMesa", "botão de mesa %1, página %2 do botão de ambiente %3")
                .arg(printableText(number), page, stNrFocusAmb);
        };
        if (auto* b = qobject_cast<TSpeedButton*>(FindComponent(QStringLiteral("tcb") + number)))
            stored.insert(b, {cdsPesqMesas.FieldByName(QStringLiteral("DSBUTTON")).AsString(),
                              leftOut.colour(cdsPesqMesas, "NRCOLORBACK", kFreeButtonColor, button),
                              leftOut.colour(cdsPesqMesas, "NRCOLORTEXT", kFreeTextColor, button)});
        else
            leftOut.button(button());
    }
    const QPixmap assigned = imgLivre->pixmap();
    for (int i = 1; i <= NRBUTTONSMESA; ++i) {
        TSpeedButton* b = tableButton(i);
        if (!b)
            continue;
        const auto it = stored.constFind(b);
        if (it == stored.constEnd())
            setFreeLook(b);
        else
            setLook(b, it->caption, it->back, it->text, assigned);
    }
    reportLeftOut(leftOut.lines);
}

void TfrmConfMesa::tcbProximoClick(QObject*)
{
    ++NrPagina;
    lblPagina->setText(pageText());
    lblPagina->adjustSize();
    MontaMenuMesa();
    tcbAnterior->setVisible(true);
}

void TfrmConfMesa::tcbAnteriorClick(QObject*)
{
    if (NrPagina > 1)
        --NrPagina;
    lblPagina->setText(pageText());
    lblPagina->adjustSize();
    if (NrPagina == 1)
        tcbAnterior->setVisible(false);
    MontaMenuMesa();
}

void TfrmConfMesa::ControlaHabilitacao(const QString& stFuncao)
{
    // Enabled state per letter: 1 on, 0 off, -1 kept.
    struct Row {
        TBlendedBitBtn* button;
        int h, m, c, f, l;
    };
    int column;
    if (stFuncao == u"H") column = 0;
    else if (stFuncao == u"M") column = 1;
    else if (stFuncao == u"C") column = 2;
    else if (stFuncao == u"F") column = 3;
    else if (stFuncao == u"L") column = 4;
    else return;

    const Row rows[] = {
        {tcbNome, 1, -1, 0, 0, 0},     {tcbCorButton, 1, 0, -1, 0, 0}, {tcbCorTexto, 1, 0, 0, -1, 0},
        {tcbLimpar, 1, 0, 0, 0, -1},   {tcbConfirma, 0, 0, 1, 1, 1},   {tcbCancela, 0, 1, 1, 1, 1},
    };
    for (const Row& r : rows) {
        const int states[] = {r.h, r.m, r.c, r.f, r.l};
        if (states[column] >= 0)
            r.button->setEnabled(states[column] == 1);
    }
    const bool idle = column == 0;
    tcbProximo->setVisible(idle);
    tcbAnterior->setVisible(idle && NrPagina != 1);
}

void TfrmConfMesa::MudaCursor(const QString& sttipo)
{
    const QCursor cursor(sttipo == u"0" ? Qt::ArrowCursor : Qt::PointingHandCursor);
    for (int n = 1; n <= NRBUTTONSAMBI; ++n)
        if (QWidget* b = areaButton(n))
            b->setCursor(cursor);
    for (int n = 1; n <= NRBUTTONSMESA; ++n)
        if (QWidget* b = tableButton(n))
            b->setCursor(cursor);
}

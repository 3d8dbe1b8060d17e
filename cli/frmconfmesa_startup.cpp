// Start-up and shutdown of the screen.

#include <QAbstractButton>
#include <QCloseEvent>
#include <QTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QPainterPath>
#include <QScreen>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "colors.h"
#include "errors.h"
#include "guard.h"
#include "process.h"
#include "servicecall.h"
#include "theme.h"

namespace {

// The window's clip: a rounded rectangle with corners of the given radius.
QRegion roundedRegion(int width, int height, int radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

// The local parameters file: beside the host program, as it has always been
// read; an installed terminal (the program in /usr/bin) keeps it with its
// configuration instead, the user's folder over the system's
// (~/.config/quadrel/, /etc/xdg/quadrel/). Empty when there is none.
QString parametersFile()
{
    const QString beside = hostExecutableDir() + QStringLiteral("/PARAMETROSQDL.CDS");
    if (QFileInfo(beside).isFile())
        return beside;
    return QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("quadrel/PARAMETROSQDL.CDS"));
}

} // namespace

void TfrmConfMesa::FormCreate(QObject*)
{
    Trad(this);
}

void TfrmConfMesa::InicializaForm(const QVariantList&, int)
{
    if (!rdmConfMesa)
        rdmConfMesa = new TrdmConfMesa(nullptr);
    rdmConfMesa->adcConfigMesa->setConnected(true);

    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));

    const QSize size = m_ui.size(kScreenDesignSize);
    resize(size);
    setFixedSize(size);
    // Centred in the screen's free area. On a screen smaller than the form
    // the halving of the (negative) room truncates toward zero: an 800 × 600
    // form on a 640 × 480 screen stands at -80, -60.
    if (const QScreen* screen = openingScreen(parentWidget())) {
        const QRect area = screen->availableGeometry();
        move(area.topLeft() + QPoint((area.width() - width()) / 2, (area.height() - height()) / 2));
    }
    setMask(roundedRegion(width(), height(), m_ui.px(kCornerRadius)));

    const QString parameters = parametersFile();
    if (!parameters.isEmpty()) {
        cdsParametrosQdl.LoadFromFile(parameters);
        Incor1 = cdsParametrosQdl.FieldByName(QStringLiteral("INCOR1")).AsInteger();
        Incor2 = cdsParametrosQdl.FieldByName(QStringLiteral("INCOR2")).AsInteger();
        Incor3 = cdsParametrosQdl.FieldByName(QStringLiteral("INCOR3")).AsInteger();
        Incor4 = cdsParametrosQdl.FieldByName(QStringLiteral("INCOR4")).AsInteger();
        Incor5 = cdsParametrosQdl.FieldByName(QStringLiteral("INCOR5")).AsInteger();
        Incor6 = cdsParametrosQdl.FieldByName(QStringLiteral("INCOR6")).AsInteger();
    } else {
        Incor1 = kDefaultScheme[0];
        Incor2 = kDefaultScheme[1];
        Incor3 = kDefaultScheme[2];
        Incor4 = kDefaultScheme[3];
        Incor5 = kDefaultScheme[4];
        Incor6 = kDefaultScheme[5];
    }
    ColoreTela(this, Incor1, Incor2, Incor3, Incor4, Incor5, Incor6);

    stCdfilial = QStringLiteral("9999");
    stNrConf = QStringLiteral("00001");
    boExcluir = boMudaCor = boMudaFonte = boMudaNome = false;
    NrPagina = 1;
    lblPagina->setText(QStringLiteral("1"));
    stNrFocusAmb = QStringLiteral("01");
    ControlaFocus();
    cdsAlteracoes.EmptyDataSet();
    lblConfig->setText(msgPadrao.Msg(QStringLiteral("Conf_Mesa")));

    // A role that may not edit this layout is told why, not shown an empty
    // screen that says no area is registered. It is asked only when the
    // branch's store cannot be read (refused, or hidden from the role), so
    // an ordinary opening pays no round trip for it.
    QString noAccess;
    rdmConfMesa->readLayoutAhead(stCdfilial, stNrConf, pageText(), stNrFocusAmb);
    const ServiceResult loja = callServiceWithText(QStringLiteral("getLoja"), {stCdfilial, stNrConf}, [&](ServiceResult& out) {
        const int code = getLoja(stCdfilial, stNrConf, out);
        if (code == 0 && (out.isError() || (out.isPacket() && out.toPacket().rows.isEmpty()))) {
            try {
                noAccess = rdmConfMesa->accessNotice(stCdfilial);
            } catch (const EDatabaseError&) {
                // unread here: the answer already in hand says what fails
            }
            if (!noAccess.isEmpty())
                out = ServiceResult::text(QString());
        }
        return code;
    });
    if (!noAccess.isEmpty()) {
        showWithoutAccess(noAccess);
        return;
    }
    cdsLoja.setData(loja.toPacket());
    stCdLojaAber = cdsLoja.FieldByName(QStringLiteral("CDLOJA")).AsString();

    MontaMenuAmbiente();
    MontaMenuMesa();
    ControlaHabilitacao(QStringLiteral("H"));
    tcbAnterior->hide();
    watchLayout();
    // A database whose schema is not this program's is said at once, where
    // the screen's hints are, without stopping it: an older one names the
    // command that upgrades it; a newer one is not written to (each change
    // is refused with the same words).
    QString notice;
    try {
        notice = rdmConfMesa ? rdmConfMesa->schemaNotice() : QString();
    } catch (const EQdlError&) {
        // unread here, it is read again before the first change
    }
    if (!notice.isEmpty())
        lblMensagem->setText(notice);
    // The keyboard starts on the selected area; its ring shows at the first key.
    if (TTouchButton* area = areaButton(stNrFocusAmb.toInt()))
        area->setFocus(Qt::OtherFocusReason);
    describeScreen();
}

void TfrmConfMesa::showWithoutAccess(const QString& notice)
{
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Sem_Acesso")));
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        b->setEnabled(b == tcbSair);
    tcbAnterior->hide();
    tcbSair->setFocus(Qt::OtherFocusReason);
    describeScreen();
    // Said once the screen is up, over it (not after it has left: a
    // --screenshot run leaves at once).
    QTimer::singleShot(0, this, [this, notice] {
        if (!isVisible())
            return;
        runGuarded([&] {
            Mensagem(notice, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QString(), 0, nullptr);
        });
    });
}

void TfrmConfMesa::ControlaFocus()
{
    const int selected = stNrFocusAmb.toInt();
    for (int i = 1; i <= NRBUTTONSAMBI; ++i)
        if (QWidget* strip = areaStrip(i))
            strip->setVisible(i == selected);
}

void TfrmConfMesa::FormActivate(QObject*)
{
    update();
}

void TfrmConfMesa::tcbSairClick(QObject*)
{
    m_leaving = true;
    close();
    m_leaving = false;
}

void TfrmConfMesa::FormClose(QObject*)
{
    boIdCriado = false;
    // The entry frees the form as soon as the modal loop ends; Qt drops this
    // deferred release with the object, so the form is destroyed once.
    deleteLater();
}

void TfrmConfMesa::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded([this] { FormActivate(this); });
    QDialog::changeEvent(event);
}

void TfrmConfMesa::closeEvent(QCloseEvent* event)
{
    // A window manager's close (its Alt+F4, a taskbar's close) would drop the
    // pending changes in the middle of the work: the screen leaves only
    // through its own leave command.
    if (!m_leaving) {
        event->ignore();
        return;
    }
    runGuarded([this] { FormClose(this); });
    QDialog::closeEvent(event);
}

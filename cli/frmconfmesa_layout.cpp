// The form as its layout gives it: every control at its place and size,
// the message table and the client datasets. Places, sizes and fonts are
// written as the 800 × 600 design has them and drawn at the screen's scale
// (m_ui): every one of them passes through it.

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QPainterPath>

#include "Cli_qdl00005.h"
#include "colors.h"
#include "glyphs.h"
#include "guard.h"
#include "msgpadrao.h"
#include "servicecall.h"

TfrmConfMesa* frmConfMesa = nullptr;
bool boIdCriado = false;
bool boExcluir = false;
bool boMudaCor = false;
bool boMudaFonte = false;
bool boMudaNome = false;
QString stNrConf;
QString stNmConf;
QString CorButton;
QString CorFonte;
QString stCdfilial;

ServiceCallObserver& serviceCallObserver()
{
    static ServiceCallObserver observer;
    return observer;
}

namespace {

// The layout's fonts: DejaVu Sans stands in for Verdana, the narrower
// DejaVu Sans Condensed for Tahoma and MS Sans Serif, so captions keep the
// widths the layout was drawn for.
QFont layoutFont(int pixelSize, bool bold = false, bool condensed = true)
{
    QFont f(condensed ? QStringLiteral("DejaVu Sans Condensed") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QLabel* makeLabel(QWidget* parent, const char* name, QRect geometry, const QString& text, const QFont& f,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(f);
    label->setAlignment(align);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, kNavy);
    label->setPalette(p);
    return label;
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

} // namespace

TfrmConfMesa::TfrmConfMesa(QWidget* owner)
    : QDialog(owner)
    , m_ui(effectiveScreenScale(openingScreen(owner)))
{
    setObjectName(QStringLiteral("frmConfMesa"));
    setWindowTitle(QStringLiteral("Quadrel - Configuração Tela de Mesa"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setWindowIcon(QIcon(drawGlyph(Glyph::ScreenIcon, {32, 32})));
    resize(m_ui.size({799, 600}));
    setFont(m_ui.font(layoutFont(11)));
    buildLayout();
    declareDatasets();
    wireHandlers();
    runGuarded([this] { FormCreate(this); });
}

TfrmConfMesa::~TfrmConfMesa()
{
    qApp->removeEventFilter(this);
}

void TfrmConfMesa::buildLayout()
{
    buildFrameAndLabels();
    buildCommands();
    buildTableGrid();
    buildAreaRow();
    msgPadrao.Messages = msgPadraoLines();
}

void TfrmConfMesa::buildFrameAndLabels()
{
    blsBorda = new TBlendedShape(this, m_ui.px(kCornerRadius));
    blsBorda->setObjectName(QStringLiteral("blsBorda"));
    blsBorda->setGeometry(m_ui.rect({0, 0, 800, 600}));
    blsBorda->setBrushRole(QPalette::Window);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, kSilver);
    // The background shape takes the system highlight colour until the
    // colour scheme sets it at start-up.
    silver.setColor(QPalette::Base, QApplication::palette().color(QPalette::Highlight));
    setPalette(silver);

    blsFundo = new TBlendedShape(this, m_ui.px(18));
    blsFundo->setObjectName(QStringLiteral("blsFundo"));
    blsFundo->setGeometry(m_ui.rect({4, 5, 790, 590}));
    blsFundo->setBrushRole(QPalette::Base);

    const auto label = [this](const char* name, QRect design, const QString& text, const QFont& f,
                              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        return makeLabel(this, name, m_ui.rect(design), text, m_ui.font(f), align);
    };
    lblConfig = label("lblConfig", {27, 7, 745, 21}, QStringLiteral("lblconfig"), layoutFont(15, true), Qt::AlignCenter);
    lblMensagem = label("lblMensagem", {235, 531, 364, 51}, QString(), layoutFont(19), Qt::AlignCenter);
    lblMensagem->setWordWrap(true);
    lblPagina = label("lblPagina", {660, 554, 15, 29}, QStringLiteral("1"), layoutFont(24, true));

    shpMostraCor = new TShape(this);
    shpMostraCor->setObjectName(QStringLiteral("shpMostraCor"));
    shpMostraCor->setGeometry(m_ui.rect({603, 530, 71, 25}));
    shpMostraCor->setBrushColor(colorFromBgr(kColourSampleColor));
    shpMostraCor->hide();

    lblPag = label("lblPag", {603, 554, 46, 25}, QStringLiteral("pág."), layoutFont(21, true));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(m_ui.rect({128, 28, 4, 527}));
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Raised);
    Bevel1->setLineWidth(m_ui.line());
    Bevel1->setMidLineWidth(m_ui.line());

    Label1 = label("Label1", {724, 579, 47, 13}, QStringLiteral("Qdl00005"), layoutFont(11));

    // The two table-button pictures, drawn at the size they are shown at.
    imgLivreCinza = new QLabel(this);
    imgLivreCinza->setObjectName(QStringLiteral("imgLivreCinza"));
    imgLivreCinza->setGeometry(m_ui.rect({203, 330, 34, 32}));
    imgLivreCinza->setPixmap(drawGlyph(Glyph::FreeTable, m_ui.size({32, 32})));
    imgLivreCinza->hide();
    imgLivre = new QLabel(this);
    imgLivre->setObjectName(QStringLiteral("imgLivre"));
    imgLivre->setGeometry(m_ui.rect({290, 329, 34, 32}));
    imgLivre->setPixmap(drawGlyph(Glyph::AssignedTable, m_ui.size({32, 32})));
    imgLivre->hide();
}

void TfrmConfMesa::buildCommands()
{
    struct Command {
        TBlendedBitBtn** member;
        const char* name;
        const char* caption;
        QRect geometry;
        Glyph glyph;
        QSize glyphSize;
        int margin, spacing;
        bool right;
    };
    const Command commands[] = {
        {&tcbNome, "tcbNome", "F3-Mudar Nome", {13, 32, 109, 65}, Glyph::Rename, {33, 33}, 7, 2, false},
        {&tcbCorButton, "tcbCorButton", "F5-Cor Botão", {13, 101, 109, 65}, Glyph::BackColor, {33, 34}, 7, 2, false},
        {&tcbCorTexto, "tcbCorTexto", "F6-Cor Fonte", {13, 171, 109, 65}, Glyph::TextColor, {35, 36}, 7, 2, false},
        {&tcbLimpar, "tcbLimpar", "F7-Limpar Botão", {13, 240, 110, 62}, Glyph::Clear, {31, 36}, 7, 0, false},
        {&tcbConfirma, "tcbConfirma", "Ctrl+Enter\n\rConfirmar", {13, 334, 109, 65}, Glyph::Confirm, {45, 28}, 3, 2, false},
        {&tcbCancela, "tcbCancela", "F2-Cancelar", {13, 405, 109, 65}, Glyph::Cancel, {29, 29}, 8, 2, false},
        {&tcbSair, "tcbSair", "Esc-Sair", {13, 490, 109, 65}, Glyph::Leave, {36, 35}, 7, 2, false},
        {&tcbAnterior, "tcbAnterior", "A-", {135, 532, 89, 37}, Glyph::Previous, {33, 40}, 20, 2, true},
        {&tcbProximo, "tcbProximo", "B-", {688, 532, 89, 37}, Glyph::Next, {33, 40}, 20, 2, true},
    };
    for (const Command& c : commands) {
        auto* b = new TBlendedBitBtn(this);
        b->setObjectName(QLatin1String(c.name));
        b->setText(QString::fromUtf8(c.caption));
        b->setScale(m_ui.factor());
        b->setGeometry(m_ui.rect(c.geometry));
        const QSize glyphSize = m_ui.size(c.glyphSize);
        b->setGlyph(drawGlyph(c.glyph, glyphSize), glyphSize);
        b->setGlyphLayout(c.right ? TBlendedBitBtn::GlyphLayout::Right : TBlendedBitBtn::GlyphLayout::Top);
        b->setMargin(m_ui.px(c.margin));
        b->setSpacing(m_ui.px(c.spacing));
        b->setFont(m_ui.font(layoutFont(11, false, false)));
        *c.member = b;
        m_components.insert(b->objectName(), b);
    }
}

void TfrmConfMesa::buildTableGrid()
{
    static const int columnLeft[] = {143, 222, 301, 380, 459, 539, 618, 697};
    static const int rowTop[] = {202, 254, 306, 358, 410, 462};
    for (int n = 1; n <= NRBUTTONSMESA; ++n) {
        auto* b = new TSpeedButton(this);
        b->setObjectName(QStringLiteral("tcb") + twoDigits(n));
        int top = rowTop[(n - 1) / 8];
        if (n == 15 || n == 16)
            top += 1; // these two stand one pixel lower in the layout
        b->setScale(m_ui.factor());
        b->setGeometry(m_ui.rect({columnLeft[(n - 1) % 8], top, 77, 50}));
        b->setFont(m_ui.font(layoutFont(10, true, false)));
        m_components.insert(b->objectName(), b);
    }
}

void TfrmConfMesa::buildAreaRow()
{
    static const int areaTop[] = {44, 99, 156};
    static const int stripTop[] = {30, 86, 142};
    for (int n = 1; n <= NRBUTTONSAMBI; ++n) {
        const int row = (n - 1) / 6, column = (n - 1) % 6;
        auto* area = new TTouchButton(this);
        area->setObjectName(QStringLiteral("tcbAmb") + twoDigits(n));
        area->setScale(m_ui.factor());
        area->setGeometry(m_ui.rect({140 + 107 * column, areaTop[row], 100, 40}));
        area->SetColor(kAreaButtonColor);
        area->setFont(m_ui.font(layoutFont(13, true, false)));
        m_components.insert(area->objectName(), area);

        auto* strip = new TTouchButton(this);
        strip->setObjectName(QStringLiteral("panAmb") + twoDigits(n));
        strip->setScale(m_ui.factor());
        strip->setGeometry(m_ui.rect({140 + 107 * column, stripTop[row], 100, 12}));
        strip->SetColor(kAreaButtonColor);
        strip->setFont(m_ui.font(layoutFont(13, true)));
        // The keyboard reaches the area through its button; the strip only
        // repeats it.
        strip->setFocusPolicy(Qt::NoFocus);
        strip->setVisible(n == 1 || n == 9);
        m_components.insert(strip->objectName(), strip);
    }
}

void TfrmConfMesa::declareDatasets()
{
    const auto text = [](const char* name, int size, const char* label = nullptr, bool visible = true,
                         int displayWidth = 0) {
        FieldDef f;
        f.name = QLatin1String(name);
        f.size = size;
        f.displayLabel = label ? QString::fromUtf8(label) : QString();
        f.visible = visible;
        f.displayWidth = displayWidth;
        return f;
    };
    const auto number = [](const char* name) {
        FieldDef f;
        f.name = QLatin1String(name);
        f.type = FieldType::Float;
        return f;
    };

    for (TClientDataSet* ds : {&cdsPesqAmbientes, &cdsPesqMesas}) {
        ds->addField(text("NRBUTTON", 5));
        ds->addField(text("DSBUTTON", 40));
        ds->addField(number("NRCOLORTEXT"));
        ds->addField(number("NRCOLORBACK"));
    }
    cdsPesqAmbientes.addField(text("CDIDENTBUTON", 10));
    cdsPesqAmbientes.setIndexFieldName(QStringLiteral("NRBUTTON"));
    // cdsPesqMesas: an index on NRBUTTON is defined but not selected.

    // The pending list and the placed areas carry keys to the confirmation:
    // they are wide enough for any page number and a whole 10-character area
    // code, so a key is never cut on the way.
    cdsControleAmb.addField(text("NRBUTTON", 2));
    cdsControleAmb.addField(text("CDSALA", 10));

    cdsAlteracoes.addField(text("NRBUTTON", 2));
    cdsAlteracoes.addField(text("IDTPBUTTON", 1));
    cdsAlteracoes.addField(text("IDTPBUTONAUX", 1));
    cdsAlteracoes.addField(text("NRPGCONFTELA", 10));
    cdsAlteracoes.addField(text("NRPGCONFTAUX", 2));
    cdsAlteracoes.addField(text("NRBUTONAUX", 2));
    cdsAlteracoes.addField(text("NRCOLOR", 50));
    cdsAlteracoes.addField(text("NRCOLORLIDO", 50)); // the colour the mark was made over
    cdsAlteracoes.addField(text("CDSALA", 10));

    // A table number is held as wide as the schema stores it (10): a number
    // cut to four characters would name another table.
    cdsMesas.addField(text("NRMESA", 10, QT_TRANSLATE_NOOP("TPickListDialog", "Mesa")));
    cdsMesas.addField(text("NMMESA", 30, QT_TRANSLATE_NOOP("TPickListDialog", "Nome")));
    cdsMesas.addField(text("IDSTMESAAUX", 1, nullptr, false));
    cdsMesas.setIndexFieldName(QStringLiteral("NRMESA"));

    cdsAmbientes.addField(text("CDSALA", 10, QT_TRANSLATE_NOOP("TPickListDialog", "Código")));
    cdsAmbientes.addField(text("NMSALA", 30, QT_TRANSLATE_NOOP("TPickListDialog", "Nome")));

    for (TClientDataSet* ds : {&cdsMesaNrButon, &cdsAmbNrbuton}) {
        ds->addField(text("CDSALA", 10));
        ds->addField(text("NMSALA", 30));
        ds->addField(text("NRMESA", 10));
    }

    cdsLoja.addField(text("CDLOJA", 10, QT_TRANSLATE_NOOP("TPickListDialog", "Loja")));

    cdsFiliConf.addField(text("NRCONFTELA", 5, QT_TRANSLATE_NOOP("TPickListDialog", "Código")));
    cdsFiliConf.addField(text("NMCONFTELA", 50, QT_TRANSLATE_NOOP("TPickListDialog", "Configuração"), true, 30));
    cdsFiliConf.addField(text("CDFILIAL", 4, QT_TRANSLATE_NOOP("TPickListDialog", "Filial")));
    cdsFiliConf.addField(text("NMFILIAL", 30, QT_TRANSLATE_NOOP("TPickListDialog", "Nome"), true, 20));
    cdsFiliConf.addField(text("CDLOJA", 10, QT_TRANSLATE_NOOP("TPickListDialog", "Código"), false));
    cdsFiliConf.addField(text("NMLOJA", 50, QT_TRANSLATE_NOOP("TPickListDialog", "Nome"), false));
    cdsFiliConf.addField(text("DSFUNDOTELA", 200, nullptr, false));

    for (TClientDataSet* ds : {&cdsPesqAmbientes, &cdsPesqMesas, &cdsControleAmb, &cdsAlteracoes, &cdsMesas,
                               &cdsAmbientes, &cdsMesaNrButon, &cdsAmbNrbuton, &cdsLoja, &cdsFiliConf})
        ds->CreateDataSet();
}

void TfrmConfMesa::wireHandlers()
{
    // Every handler runs through the guard: no error crosses the event loop.
    const auto on = [this](QAbstractButton* button, void (TfrmConfMesa::*handler)(QObject*)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, button, handler] { runHandler([&] { (this->*handler)(button); }); });
    };
    on(tcbNome, &TfrmConfMesa::tcbNomeClick);
    on(tcbCorButton, &TfrmConfMesa::tcbCorButtonClick);
    on(tcbCorTexto, &TfrmConfMesa::tcbCorTextoClick);
    on(tcbLimpar, &TfrmConfMesa::tcbLimparClick);
    on(tcbConfirma, &TfrmConfMesa::tcbConfirmaClick);
    on(tcbCancela, &TfrmConfMesa::tcbCancelaClick);
    on(tcbSair, &TfrmConfMesa::tcbSairClick);
    on(tcbAnterior, &TfrmConfMesa::tcbAnteriorClick);
    on(tcbProximo, &TfrmConfMesa::tcbProximoClick);
    for (int n = 1; n <= NRBUTTONSMESA; ++n)
        on(tableButton(n), &TfrmConfMesa::tcb01Click);
    for (int n = 1; n <= NRBUTTONSAMBI; ++n) {
        on(areaButton(n), &TfrmConfMesa::tcbAmb01Click);
        on(areaStrip(n), &TfrmConfMesa::tcbAmb01Click);
    }
    // Keys act for the whole screen, whichever control has the focus.
    qApp->installEventFilter(this);
    announceKeys();
}

void TfrmConfMesa::runHandler(const std::function<void()>& handler)
{
    // A click or key that reaches the form while a handler runs (delivered
    // by an event loop the handler turns) is dropped: handlers never nest.
    if (m_inHandler)
        return;
    m_inHandler = true;
    runGuarded(handler);
    m_inHandler = false;
    // A change seen while the operator worked shows once the screen is idle.
    runGuarded([this] { refreshIfIdle(); });
    runGuarded([this] { describeScreen(); });
}

QWidget* TfrmConfMesa::FindComponent(const QString& name) const
{
    return m_components.value(name, nullptr);
}

TSpeedButton* TfrmConfMesa::tableButton(int n) const
{
    return qobject_cast<TSpeedButton*>(FindComponent(QStringLiteral("tcb") + twoDigits(n)));
}

TTouchButton* TfrmConfMesa::areaButton(int n) const
{
    return qobject_cast<TTouchButton*>(FindComponent(QStringLiteral("tcbAmb") + twoDigits(n)));
}

TTouchButton* TfrmConfMesa::areaStrip(int n) const
{
    return qobject_cast<TTouchButton*>(FindComponent(QStringLiteral("panAmb") + twoDigits(n)));
}

bool TfrmConfMesa::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() == this)
            focusByTap(w);
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only keys typed into this screen; a modal dialog opened from a handler
    // has keys of its own.
    if (!widget || widget->window() != this || !isVisible())
        return QDialog::eventFilter(watched, event);
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    // Arrows and Tab move over the buttons wherever they arrive first.
    if (!m_inHandler && navigationKey(keyEvent))
        return true;
    // Enter and Space press only a button whose ring the operator sees: the
    // first one after a tap, or at start-up, shows where the focus is.
    if (!m_inHandler && pressKey(keyEvent) && !focusRingShown()) {
        showFocusRing();
        return true;
    }
    // A key that the focused control ignores travels on to its parents; take
    // it once, where it was first delivered. The screen's own buttons ignore
    // every key but Space, so the form takes the keys they pass on.
    QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (navigationGroup(first) >= 0)
        first = this;
    if (widget != first)
        return QDialog::eventFilter(watched, event);
    return formKey(keyEvent) || QDialog::eventFilter(watched, event);
}

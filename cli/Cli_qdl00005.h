#pragma once

// The client half: the table-screen configuration form, its datasets, state
// and handlers, and the unit globals it shares with the package entry. None
// of them leaves the library: the package exports only its entry points
// (pkg/exports.map), and the halves are built with hidden visibility.

#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>

#include "clientdataset.h"
#include "layoutrules.h"
#include "messages.h"
#include "screenscale.h"
#include "touchcontrols.h"

class QFrame;
class QKeyEvent;

class TfrmConfMesa;

// Unit globals (texts start empty, flags false).
extern TfrmConfMesa* frmConfMesa;
extern bool boIdCriado;
extern bool boExcluir;
extern bool boMudaCor;
extern bool boMudaFonte;
extern bool boMudaNome;
extern QString stNrConf;
extern QString stNmConf;
extern QString CorButton;
extern QString CorFonte;
extern QString stCdfilial;

// Windows virtual-key codes FormKeyDown speaks (the key table,
// frmconfmesa_keys.cpp, gives each its Qt key).
namespace vk {
constexpr quint16 Enter = 13, Escape = 27, Delete = 46, F2 = 113, F3 = 114, F4 = 115, F5 = 116,
                  F6 = 117, F7 = 118;
}

class TfrmConfMesa : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConfMesa(QWidget* owner = nullptr);
    ~TfrmConfMesa() override;

    // ---- Controls (objectName = member name) ----
    TBlendedShape* blsBorda;
    TBlendedShape* blsFundo;
    QLabel* lblConfig;
    QLabel* lblMensagem;
    QLabel* lblPagina;
    TShape* shpMostraCor;
    QLabel* lblPag;
    QFrame* Bevel1;
    QLabel* Label1;
    QLabel* imgLivreCinza;
    QLabel* imgLivre;
    TBlendedBitBtn* tcbNome;
    TBlendedBitBtn* tcbCorButton;
    TBlendedBitBtn* tcbCorTexto;
    TBlendedBitBtn* tcbLimpar;
    TBlendedBitBtn* tcbConfirma;
    TBlendedBitBtn* tcbCancela;
    TBlendedBitBtn* tcbSair;
    TBlendedBitBtn* tcbAnterior;
    TBlendedBitBtn* tcbProximo;
    TMessages msgPadrao;

    // ---- Client datasets ----
    TClientDataSet cdsPesqAmbientes{QStringLiteral("cdsPesqAmbientes")};
    TClientDataSet cdsPesqMesas{QStringLiteral("cdsPesqMesas")};
    TClientDataSet cdsControleAmb{QStringLiteral("cdsControleAmb")};
    TClientDataSet cdsAlteracoes{QStringLiteral("cdsAlteracoes")};
    TClientDataSet cdsMesas{QStringLiteral("cdsMesas")};
    TClientDataSet cdsAmbientes{QStringLiteral("cdsAmbientes")};
    TClientDataSet cdsMesaNrButon{QStringLiteral("cdsMesaNrButon")};
    TClientDataSet cdsAmbNrbuton{QStringLiteral("cdsAmbNrbuton")};
    TClientDataSet cdsLoja{QStringLiteral("cdsLoja")};
    TClientDataSet cdsFiliConf{QStringLiteral("cdsFiliConf")};
    TClientDataSet cdsParametrosQdl{QStringLiteral("cdsParametrosQdl")};

    // ---- Private fields of the form (public here so tests can read them) ----
    QString stNome;
    QString stCdLojaAber;
    QString stFigura;
    QString stNrFocusAmb;
    QString stCdAmb;
    int NrPagina = 0;
    int Incor1 = 0, Incor2 = 0, Incor3 = 0, Incor4 = 0, Incor5 = 0, Incor6 = 0;
    QVariant oleRetorno;

    // Finds a control by name ("tcb07", "tcbAmb12", "panAmb03", ...); null
    // when no control has that name.
    QWidget* FindComponent(const QString& name) const;
    TSpeedButton* tableButton(int n) const;   // 1..48
    TTouchButton* areaButton(int n) const;    // 1..18
    TTouchButton* areaStrip(int n) const;     // 1..18

    // What the operator is told when a change found its button, slot, table
    // or area changed on another terminal meanwhile.
    static QString changedElsewhereText();
    // ... when a change's COMMIT went but its answer was lost: it may be stored.
    static QString outcomeUnknownText();

    // The factor the screen is drawn at: the host's setting (screenScale())
    // resolved, once, on the screen the form opens on (its owner's, else the
    // primary screen).
    const UiScale& uiScale() const { return m_ui; }

    // ---- Start-up and shutdown ----
    void FormCreate(QObject* sender);
    void InicializaForm(const QVariantList& params, int highIndex);
    void ControlaFocus();
    // Start-up for a role that may not edit the layout: the reason said,
    // every command but leave disabled.
    void showWithoutAccess(const QString& notice);
    void FormActivate(QObject* sender);
    void tcbSairClick(QObject* sender);
    void FormClose(QObject* sender);

    // ---- Menus and paging ----
    void LimpaMenuAmbiente();
    void MontaMenuAmbiente();
    void LimpaMenuMesa();
    void MontaMenuMesa();
    void tcbProximoClick(QObject* sender);
    void tcbAnteriorClick(QObject* sender);

    // ---- Command enabling and cursors ----
    void ControlaHabilitacao(const QString& stFuncao);
    void MudaCursor(const QString& sttipo);

    // ---- Operator actions ----
    void tcbAmb01Click(QObject* sender);
    void tcb01Click(QObject* sender);
    void tcbNomeClick(QObject* sender);
    void tcbCorButtonClick(QObject* sender);
    void tcbCorTextoClick(QObject* sender);
    void tcbLimparClick(QObject* sender);
    void tcbCancelaClick(QObject* sender);
    void tcbConfirmaClick(QObject* sender);
    void FormKeyDown(QObject* sender, quint16& key, Qt::KeyboardModifiers shift);
    void FormKeyPress(QObject* sender, QChar& key);

    // ---- Live refresh ----
    // No editing mode, no pending row, no handler running, no dialog open.
    bool isIdle() const;
    // Another terminal committed a change to this configuration: the menus
    // are rebuilt as stored now when idle, else when the screen next is.
    void layoutChangedElsewhere();
    void refreshIfIdle();
    bool refreshPending() const { return m_refreshPending; }

    // ---- Accessibility ----
    // Gives every button the name and description assistive technology
    // reads, from what the screen shows now: caption, page, selected area,
    // pending changes and mode. Runs after each handler and refresh.
    void describeScreen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One row of the pending list, every field as text. colourRead is the
    // button's colour in the column the mode changes as the screen had it
    // when the button was marked ("" for null): the colour is written only
    // over it.
    struct PendingRow : qdl::layout::ButtonKey {
        QString colour, colourRead, cdsala;
    };
    PendingRow currentPending();
    // The row the menus read for the button, made current: for a table
    // button only while its page of its area is shown; null when none.
    // A button this screen placed, renamed or recoloured since holds what it
    // wrote.
    TClientDataSet* storedRow(const qdl::layout::ButtonKey& key);
    // The colour a mark of the button is made over: the last earlier mark's
    // in the pending list, else the stored one (background or text) as read.
    QString colourRead(const qdl::layout::ButtonKey& key, bool background);
    // Places a free button (getInsere) and answers the service's status.
    QString insertButton(const qdl::layout::ButtonKey& key, const QString& caption, const QString& ident);
    void renameButton(QAbstractButton* button, const qdl::layout::ButtonKey& key);

    // The area click: a mode's change, or placing an area on a free button
    // (false when the operator cancelled the pick).
    void areaClickInMode(TTouchButton* button, const QString& stCodigo);
    void clearArea(TTouchButton* button, const QString& stCodigo);
    // Whether a clear of area button stCodigo is already in the pending list.
    bool hasPendingAreaClear(const QString& stCodigo);
    bool placeArea(TTouchButton* button, const QString& stCodigo);
    // The table click: placing a table on a free button, or a mode's change.
    void placeTable(TSpeedButton* button, const QString& stCodigo);
    void tableClickInMode(TSpeedButton* button, const QString& stCodigo);

    // Confirmation. walkPending runs writeRow on each pending row in list
    // order; a row it answers true for leaves the list at once, so a
    // confirmation stopped part-way and sent again sends only what is left.
    void walkPending(const std::function<bool(const PendingRow&)>& writeRow);
    void confirmClears();
    // The delete service's status for one pending area (type 4) or table row.
    QString deletePendingButton(const PendingRow& r);
    void confirmColours(bool background);
    // A change that found its button changed or removed on another terminal:
    // the operator is told, and the screen shows what is stored.
    void reportChangedElsewhere();
    // Tells the operator of a change answered "Botao_Alt" or "Grav_Inc" and
    // answers true; false for any other answer.
    bool reportNotDoneAsAsked(const QString& status);
    void showStoredLayout();

    // Runs an operator's click or key handler through the guard, unless
    // another handler is still running.
    void runHandler(const std::function<void()>& handler);
    // The layout, one panel at a time.
    void buildLayout();
    void buildFrameAndLabels();
    void buildCommands();
    void buildTableGrid();
    void buildAreaRow();
    void declareDatasets();
    void wireHandlers();
    void setFreeLook(TSpeedButton* button);
    void setFreeLook(TTouchButton* button);
    void appendPending(const qdl::layout::ButtonKey& key, const QString& nrcolor, const QString& cdsala,
                       const QString& colourRead = QString());
    void chooseColour(bool background);
    void showMessageKey(const QString& key);
    // Tells the operator of what a menu left out of the stored rows (one
    // line each), what was not told before; m_leftOut keeps what was told.
    void reportLeftOut(const QStringList& lines);
    QStringList m_leftOut;
    QString pageText() const { return QString::number(NrPagina); }

    // The rounded outline's corner radius (corner ellipses 40 × 40), in the
    // design's pixels: of the window's clip and of the frame shape alike.
    static constexpr int kCornerRadius = 20;
    UiScale m_ui;

    QHash<QString, QWidget*> m_components;
    // Asks the data module to report other terminals' changes to this
    // screen's configuration.
    void watchLayout();

    // Keyboard movement over the buttons: arrows to the nearest button that
    // way, Tab and Shift+Tab from group to group (areas, tables, commands).
    // True when the key moved (or showed) the focus.
    bool navigationKey(QKeyEvent* event);
    static bool pressKey(const QKeyEvent* event); // Enter or Space alone
    bool focusRingShown() const;
    void showFocusRing();
    void focusByTap(QWidget* tapped);
    QList<QAbstractButton*> navigableButtons(int group) const;
    int navigationGroup(const QWidget* w) const;
    void focusByKeyboard(QAbstractButton* button);
    // The screen's keys, from one table (frmconfmesa_keys.cpp): a key event
    // the form takes goes through FormKeyDown and FormKeyPress (true when it
    // ends there), and each command button announces its key.
    bool formKey(const QKeyEvent* event);
    void announceKeys();
    QPointer<QAbstractButton> m_groupFocus[3];
    void describeArea(int n, const QList<PendingRow>& pending);
    void describeTable(int n, const QList<PendingRow>& pending);
    void describeCommands();
    QList<PendingRow> pendingRows();

    bool m_inHandler = false;
    bool m_refreshPending = false;
    bool m_refreshing = false;
    bool m_leaving = false; // set by the leave command: the only close the form accepts
};

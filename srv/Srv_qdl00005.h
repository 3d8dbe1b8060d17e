#pragma once

// The service half: the data module that owns the connection and every
// statement, and the thirteen service functions. Every service clears its
// result, traps every database error (rolling back what it began) and answers
// the error's text with code 0; see the frame in Srv_qdl00005.cpp.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "adoconnection.h"
#include "datapacket.h"

class LayoutWatch;

class TrdmConfMesa : public QObject {
    Q_OBJECT
public:
    explicit TrdmConfMesa(QObject* owner = nullptr);
    ~TrdmConfMesa() override;

    TADOConnection* adcConfigMesa;

    void adcConfigMesaBeforeConnect(QObject* sender);
    void adcConfigMesaAfterConnect(QObject* sender);

    void StartTrans();
    void Commit();
    // The transaction's next command is its last: its COMMIT may travel with it.
    void CommitAfterNextCommand();
    void Rollback();

    // The statement of one component (adqPesqAmbientes, acmInsere, ...),
    // prepared once on the open connection and kept.
    TADOQuery& statement(const char* component);

    // Calls changed after another connection commits a change to the
    // buttons of this branch and configuration (not for this connection's
    // own changes). One watch at a time; a new call replaces it.
    void watchLayout(const QString& cdfilial, const QString& nrconftela, std::function<void()> changed);

    // What showing a configuration reads (its store, its areas, one page of
    // an area's tables) sent ahead together with the watch's LISTEN: on
    // PostgreSQL one round trip, and getLoja, getPesqAmbientes,
    // getPesqMesas and the watch then answer from it when asked the same.
    // Nothing on SQLite; a failure here leaves each to run when asked.
    void readLayoutAhead(const QString& cdfilial, const QString& nrconftela, const QString& nrpgconftela,
                         const QString& nrbuttonaux);
    // What selecting a stored area button reads (the button, one page of its
    // tables), sent ahead together: on PostgreSQL one round trip, which
    // getAmbNrbuton and getPesqMesas then answer from when asked the same.
    void readAreaAhead(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                       const QString& nrpgconftela);

    // The schema's version of the open database, read once a connection
    // (on PostgreSQL it comes with the watch's first round trip), and what
    // the screen's hint line says of it: empty when it is this program's.
    int schemaVersion();
    QString schemaNotice();

    // PostgreSQL: why this connection's role may not edit the branch's
    // layout (it may not read the tables, it is a terminal of other
    // branches, or it may read but not write), naming the role and what to
    // ask the schema's owner for; empty when it may, and always on SQLite.
    QString accessNotice(const QString& cdfilial);

private:
    int m_schemaVersion = kUnknownSchema;
    static constexpr int kUnknownSchema = -2;
    struct Statements;
    std::unique_ptr<Statements> m_statements;
    std::unique_ptr<LayoutWatch> m_watch;
};

extern TrdmConfMesa* rdmConfMesa;

// Query services.
int getPesqAmbientes(const QString& cdfilial, const QString& nrconftela, ServiceResult& result);
int getPesqMesas(const QString& cdfilial, const QString& nrconftela, const QString& nrpgconftela,
                 const QString& nrbuttonaux, ServiceResult& result);
int getLoja(const QString& cdfilial, const QString& nrconftela, ServiceResult& result);
int getMesas(const QString& cdfilial, const QString& cdloja, const QString& cdsala,
             const QString& nrconftela, ServiceResult& result);
int getAmbientes(const QString& cdfilial, const QString& nrconftela, ServiceResult& result);
int getMesaNrButon(const QString& cdfilial, const QString& cdloja, const QString& idtpbutton,
                   const QString& nrbutton, const QString& nrpgconftela, const QString& nrbuttonaux,
                   const QString& nrpgconftaux, const QString& nrconftela, const QString& idtpbutonaux,
                   ServiceResult& result);
int getAmbNrbuton(const QString& cdfilial, const QString& nrconftela, const QString& idtpbutton,
                  const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
                  const QString& nrbutton, const QString& nrpgconftela, ServiceResult& result);

// Update services.
int getInsere(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
              const QString& dsbutton, float nrcolortext, float nrcolorback, const QString& dsmessagebut,
              const QString& nrpgconftela, const QString& cdidentbuton, const QString& idtpbutton,
              const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
              ServiceResult& result);
// The rename and the colours are written only over the value the screen
// read (dsbuttonlido, nrcolorbacklido, nrcolortextlido; a colour read empty
// is a null one): another's change to that column since answers "Botao_Alt".
int getMudaNome(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                const QString& nrpgconftela, const QString& dsbutton, const QString& idtpbutton,
                const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
                const QString& dsbuttonlido, ServiceResult& result);
int setDelAmbiente(const QString& cdfilial, const QString& nrconftela, const QString& cdsala,
                   const QString& nrbutton, const QString& idtpbutton, const QString& idtpbutonaux,
                   const QString& nrbuttonaux, const QString& nrpgconftaux, const QString& nrpgconftela,
                   ServiceResult& result);
int setDeleta(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
              const QString& nrpgconftela, const QString& idtpbutton, const QString& idtpbutonaux,
              const QString& nrbuttonaux, const QString& nrpgconftaux, ServiceResult& result);
int getMudaCor(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
               const QString& nrpgconftela, const QString& nrcolorback, const QString& idtpbutton,
               const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
               const QString& nrcolorbacklido, ServiceResult& result);
// Returns its value directly; an error that escapes its trap is thrown.
ServiceResult getMudaFonte(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                           const QString& nrpgconftela, const QString& nrcolortext, const QString& idtpbutton,
                           const QString& idtpbutonaux, const QString& nrbuttonaux,
                           const QString& nrpgconftaux, const QString& nrcolortextlido);

#include "Srv_qdl00005.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <exception>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "connection.h"
#include "layoutwatch.h"
#include "errors.h"
#include "layoutrules.h"
#include "schemaversion.h"
#include "statement.h"
#include "serveroperations.h"
#include "statements.h"
#include "storedvalues.h"
#include "terminalbranches.h"

TrdmConfMesa* rdmConfMesa = nullptr;

namespace {

// What a statement is for ("gravar o botão"), in the operator's language.
QString purposeText(const qdl::StatementDef& def)
{
    return QCoreApplication::translate("TrdmConfMesa", def.purpose);
}

// On PostgreSQL a statement reaches the server with its first run, in the
// same round trip. A statement the server refuses then answers as it did
// when it was prepared beforehand: "Erro ao preparar o comando ...".
class PreparedAtFirstRun final : public TADOQuery {
public:
    PreparedAtFirstRun(std::unique_ptr<TADOQuery> q, QString step) : m_q(std::move(q)), m_step(std::move(step)) {}
    void bindText(const char* name, const QString& value) override { m_q->bindText(name, value); }
    void bindNumber(const char* name, double value) override { m_q->bindNumber(name, value); }
    void bindNull(const char* name) override { m_q->bindNull(name); }
    bool exec() override
    {
        const bool ok = m_q->exec();
        if (!ok && !m_ran) {
            const DbError error = m_q->lastError();
            if (error.atPreparation()) {
                m_q->finish();
                throw EDatabaseError(m_step, error);
            }
        }
        m_ran = m_ran || ok;
        return ok;
    }
    bool next() override { return m_q->next(); }
    int columnCount() const override { return m_q->columnCount(); }
    QString columnName(int column) const override { return m_q->columnName(column); }
    QVariant value(int column) const override { return m_q->value(column); }
    int numRowsAffected() const override { return m_q->numRowsAffected(); }
    DbError lastError() const override { return m_q->lastError(); }
    void finish() override { m_q->finish(); }
    TADOQuery& driverQuery() override { return m_q->driverQuery(); }

private:
    std::unique_ptr<TADOQuery> m_q;
    QString m_step;
    bool m_ran = false;
};

} // namespace

// ---------------------------------------------------------------------------
// Data module

struct TrdmConfMesa::Statements {
    // std::less<> finds a component by its C string without building a key.
    std::map<std::string, std::unique_ptr<TADOQuery>, std::less<>> byComponent;
};

TrdmConfMesa::TrdmConfMesa(QObject* owner)
    : QObject(owner), adcConfigMesa(new TADOConnection(this)), m_statements(std::make_unique<Statements>())
{
    setObjectName(QStringLiteral("rdmConfMesa"));
    adcConfigMesa->setObjectName(QStringLiteral("adcConfigMesa"));
    // Every statement of the data module is checked to use its indexes on
    // its generic plan (test_srv_plans): planned once a session, not on each
    // of its first runs.
    adcConfigMesa->GenericPlans = true;
    // The connection never prompts for a login: the connection string
    // carries everything it needs.
    adcConfigMesa->BeforeConnect = [this](QObject* sender) { adcConfigMesaBeforeConnect(sender); };
    adcConfigMesa->AfterConnect = [this](QObject* sender) { adcConfigMesaAfterConnect(sender); };
}

TrdmConfMesa::~TrdmConfMesa()
{
    // The statements hold the driver's results: they go before the
    // connection that owns the driver.
    m_watch.reset();
    m_statements.reset();
    delete adcConfigMesa;
    adcConfigMesa = nullptr;
    if (rdmConfMesa == this)
        rdmConfMesa = nullptr;
}

void TrdmConfMesa::adcConfigMesaBeforeConnect(QObject* /*sender*/)
{
    // Statements prepared on an earlier connection are no good on the new one,
    // and the server that answers now may hold another schema.
    m_statements->byComponent.clear();
    m_schemaVersion = kUnknownSchema;
    adcConfigMesa->ConnectionString = _GetStringConexQdl(QString());
}

void TrdmConfMesa::adcConfigMesaAfterConnect(QObject* /*sender*/)
{
    SetADODBSession(adcConfigMesa);
}

void TrdmConfMesa::StartTrans()
{
    // Every change begins here: a schema newer than this program's is never
    // written to.
    if (schemaTooNew(schemaVersion()))
        throw EQdlError(schemaVersionNotice(m_schemaVersion));
    if (!adcConfigMesa->InTransaction())
        adcConfigMesa->BeginTrans();
}

int TrdmConfMesa::schemaVersion()
{
    if (m_schemaVersion == kUnknownSchema && adcConfigMesa->Connected() && !adcConfigMesa->InTransaction()) {
        m_schemaVersion = qdl::Statement(*adcConfigMesa, schemaVersionQuery(adcConfigMesa->isPostgres()),
                                         QCoreApplication::translate("TrdmConfMesa", "Erro ao ler a versão do esquema"))
                              .scalar()
                              .toInt();
    }
    return m_schemaVersion;
}

QString TrdmConfMesa::schemaNotice()
{
    return schemaVersionHint(schemaVersion());
}

void TrdmConfMesa::Commit()
{
    if (adcConfigMesa->InTransaction())
        adcConfigMesa->CommitTrans();
}

void TrdmConfMesa::CommitAfterNextCommand()
{
    adcConfigMesa->CommitAfterNextStatement();
}

void TrdmConfMesa::Rollback()
{
    if (adcConfigMesa->InTransaction())
        adcConfigMesa->RollbackTrans();
}

QString TrdmConfMesa::accessNotice(const QString& cdfilial)
{
    if (!adcConfigMesa->isPostgres() || schemaVersion() < qdl::kOperationsSchemaVersion)
        return {};
    const QString step = QCoreApplication::translate("TrdmConfMesa", "Erro ao ler os direitos do papel");
    QString role, branches;
    bool reads = false, writes = false;
    qdl::Statement(*adcConfigMesa,
                   QStringLiteral("SELECT current_user::text, COALESCE(has_table_privilege(to_regclass('itmenuconfte'), 'SELECT'), false), "
                                  "EXISTS (SELECT 1 FROM pg_proc WHERE proname = 'qdl_acminsere' AND has_function_privilege(oid, 'EXECUTE'))"),
                   step)
        .forEachRow([&](const TADOQuery& row) {
            role = row.value(0).toString();
            reads = row.value(1).toBool();
            writes = row.value(2).toBool();
        });
    const QString grant = QStringLiteral("qdl-host --grant-terminal %1 --branch %2");
    if (!reads)
        return QCoreApplication::translate("TrdmConfMesa", "O papel %1 não pode ler a configuração de mesas deste banco de dados. "
                                                           "Peça ao dono do esquema que rode: %2")
            .arg(role, grant.arg(role, cdfilial));
    const TerminalBranches own = terminalBranchesOf(*adcConfigMesa, schemaVersion());
    branches = own.branches.join(QLatin1Char(','));
    if (!own.mayRead(cdfilial))
        return QCoreApplication::translate("TrdmConfMesa", "O papel %1 é terminal das filiais %2. Esta tela edita o leiaute central "
                                                           "da rede (filial %3), que esse papel não pode ler nem mudar; as filiais "
                                                           "recebem esse leiaute do dono do esquema (--import-layout). Para editá-lo "
                                                           "aqui, peça ao dono do esquema que rode: %4")
            .arg(role, branches, cdfilial, grant.arg(role, branches + QLatin1Char(',') + cdfilial));
    if (!writes)
        return QCoreApplication::translate("TrdmConfMesa", "O papel %1 pode ler o leiaute da filial %2, mas não mudá-lo. "
                                                           "Peça ao dono do esquema que rode: %3")
            .arg(role, cdfilial, grant.arg(role, branches.isEmpty() ? cdfilial : branches));
    return {};
}

TADOQuery& TrdmConfMesa::statement(const char* component)
{
    auto it = m_statements->byComponent.find(std::string_view(component));
    if (it != m_statements->byComponent.end())
        return *it->second;

    const qdl::StatementDef* def = qdl::statementDef(component);
    if (!def)
        throw EQdlError(QCoreApplication::translate("TrdmConfMesa", "Comando desconhecido no módulo de dados: %1").arg(QLatin1String(component)));
    if (!adcConfigMesa->Connected())
        throw EQdlError(QCoreApplication::translate("TrdmConfMesa", "A conexão com o banco de dados não está aberta."));

    const QString step = QCoreApplication::translate("TrdmConfMesa", "Erro ao preparar o comando para %1 (%2)")
                             .arg(purposeText(*def), QLatin1String(component));
    std::unique_ptr<TADOQuery> q =
        qdl::prepareStatement(*adcConfigMesa, *def, def->writes() ? schemaVersion() : kSchemaVersion, step);
    if (adcConfigMesa->isPostgres())
        q = std::make_unique<PreparedAtFirstRun>(std::move(q), step);
    TADOQuery& ref = *q;
    m_statements->byComponent.emplace(component, std::move(q));
    return ref;
}

void TrdmConfMesa::watchLayout(const QString& cdfilial, const QString& nrconftela, std::function<void()> changed)
{
    m_watch.reset(); // statements of the old watch go before a new one prepares its own
    m_watch = std::make_unique<LayoutWatch>(adcConfigMesa, cdfilial, nrconftela, std::move(changed),
                                            [this](int version) { m_schemaVersion = version; });
}

// ---------------------------------------------------------------------------
// Service frame

namespace {

// "Erro ao gravar o botão (acmInsere)": what the operator was doing, and the
// component that names the statement.
QString stepText(const char* component)
{
    const qdl::StatementDef* def = qdl::statementDef(component);
    const QString purpose = def ? purposeText(*def) : QCoreApplication::translate("TrdmConfMesa", "executar o comando");
    return QCoreApplication::translate("TrdmConfMesa", "Erro ao %1 (%2)").arg(purpose, QLatin1String(component));
}

// Every service body starts here, before it holds any statement: a
// connection the server dropped since the last call is opened again (a call
// cut off by the drop has already answered its error).
TrdmConfMesa& dataModule()
{
    if (!rdmConfMesa)
        throw EQdlError(QCoreApplication::translate("TrdmConfMesa", "O módulo de dados da configuração de mesas não foi criado."));
    TADOConnection* connection = rdmConfMesa->adcConfigMesa;
    // A server that went away (restarted, or failed over to its standby)
    // has closed the socket: seen here, the call goes to the server that
    // answers now instead of failing on the old session first.
    if (!connection->InTransaction() && connection->Lost(true))
        connection->setConnected(true);
    return *rdmConfMesa;
}

TADOConnection* connectionOrNull()
{
    return rdmConfMesa ? rdmConfMesa->adcConfigMesa : nullptr;
}

// The code a service answers when an error escapes its trap: the database's
// own number when it has one, else 1.
int escapedErrorCode(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EDatabaseError& e) {
        bool ok = false;
        const int native = e.sqlError().code().toInt(&ok);
        return ok && native != 0 ? native : 1;
    } catch (...) {
        return 1;
    }
}

template <class Body>
int queryService(ServiceResult& result, Body&& body)
{
    result.clear();
    try {
        try {
            body();
        } catch (const std::exception& e) {
            result = ServiceResult::error(ADOExceptionMessage(e, connectionOrNull(), QString()));
        }
        return 0;
    } catch (...) {
        return escapedErrorCode(std::current_exception());
    }
}

// Runs an update body; on an error rolls back what it began and answers the
// error's text. Whatever escapes (Rollback failing, say) is thrown on.
template <class Body>
void updateBody(ServiceResult& result, Body&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        if (rdmConfMesa)
            rdmConfMesa->Rollback();
        const auto* dbError = dynamic_cast<const EDatabaseError*>(&e);
        result = dbError && dbError->sqlError().outcomeUnknown()
                     ? ServiceResult::text(QString::fromLatin1(qdl::kGravacaoIncerta))
                     : ServiceResult::error(ADOExceptionMessage(e, connectionOrNull(), QString()));
    } catch (...) {
        if (rdmConfMesa)
            rdmConfMesa->Rollback();
        throw;
    }
}

template <class Body>
int updateService(ServiceResult& result, Body&& body)
{
    result.clear();
    try {
        updateBody(result, std::forward<Body>(body));
        return 0;
    } catch (...) {
        return escapedErrorCode(std::current_exception());
    }
}

// The data module's statement of a component, ready for its binds (what it
// ran before is finished); a failure names what the operator was doing.
// Every key is bound as text, a null string as the empty text, so both
// databases see the same value.
qdl::Statement component(TrdmConfMesa& dm, const char* name)
{
    TADOQuery& q = dm.statement(name);
    q.finish();
    return qdl::Statement(q, [name] { return stepText(name); }, dm.adcConfigMesa->isPostgres());
}

// The key of one button row, beside branch and configuration.
void bindButtonKey(qdl::Statement& q, const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                   const QString& nrpgconftela, const QString& idtpbutton, const QString& idtpbutonaux,
                   const QString& nrbuttonaux, const QString& nrpgconftaux)
{
    q.bindText(":P_CDFILIAL", cdfilial)
        .bindText(":P_NRCONFTELA", nrconftela)
        .bindText(":P_NRBUTTON", nrbutton)
        .bindText(":P_NRPGCONFTELA", nrpgconftela)
        .bindText(":P_IDTPBUTTON", idtpbutton)
        .bindText(":P_IDTPBUTONAUX", idtpbutonaux)
        .bindText(":P_NRBUTTONAUX", nrbuttonaux)
        .bindText(":P_NRPGCONFTAUX", nrpgconftaux);
}

// Runs a transaction's last command and commits: a terminal far from a
// PostgreSQL server sends the COMMIT with the command. Answers how many rows
// the command changed.
int runLastCommand(TrdmConfMesa& dm, qdl::Statement& q)
{
    dm.CommitAfterNextCommand();
    const int changed = q.run();
    dm.Commit();
    return changed;
}

// The answer of a change to one button: done, or no such button any more.
ServiceResult changeAnswer(int rowsChanged)
{
    return ServiceResult::text(rowsChanged > 0 ? QString() : QString::fromLatin1(qdl::kBotaoAlterado));
}

// The schema's width of a caption or name the services read; 0 for every
// other column. A longer value (written past the schema: a SQLite table
// without its checks, a column widened by hand) is cut to it as its row is
// read, so the screen shows what the schema allows and a packet holds no
// more, however long the stored text: only the row being read holds it whole.
// Keys and codes are never cut: cut, they would name another row.
int readWidth(const QString& column)
{
    static const QStringList cut{QStringLiteral("DSBUTTON"), QStringLiteral("NMSALA"), QStringLiteral("NMMESA"),
                                 QStringLiteral("DSPOSICMESA"), QStringLiteral("DSMESSAGEBUT")};
    return cut.contains(column) ? qdl::layout::columnWidth(column) : 0;
}

// What a query's packets take from its statement's columns: their names in
// upper case and the width each is cut to, worked out at its first run and
// again only when the columns change (a new connection, another database).
// The last run's row count is reserved for the next.
struct PacketColumns {
    QStringList given; // as the statement names them
    QStringList names;
    std::vector<int> widths;
    qsizetype rows = 0;

    void follow(const TADOQuery& q)
    {
        const int count = q.columnCount();
        bool same = given.size() == count;
        for (int i = 0; same && i < count; ++i)
            same = q.columnName(i) == given[i];
        if (same)
            return;
        given.clear();
        names.clear();
        widths.assign(size_t(count), 0);
        for (int i = 0; i < count; ++i) {
            given << q.columnName(i);
            names << given.last().toUpper();
            widths[size_t(i)] = readWidth(names.last());
        }
    }
};

// By the component of each query service.
PacketColumns& packetColumns(const char* component)
{
    static std::map<std::string_view, PacketColumns> byComponent;
    return byComponent[component];
}

// A text value longer than its column's width, cut to it.
void cutText(QVariant& value, int width)
{
    if (value.typeId() != QMetaType::QString)
        return;
    const QString& text = *static_cast<const QString*>(value.constData());
    if (text.size() > width)
        value = cutToWidth(text, width);
}

// All rows of an executed query, read before anything else runs on the
// connection; the query is finished (SQLite keeps a read transaction while a
// statement is open).
DataPacket readPacket(qdl::Statement& statement, PacketColumns& columns)
{
    statement.exec();
    TADOQuery& q = statement.query();
    columns.follow(q);
    const int count = int(columns.widths.size());
    DataPacket packet;
    packet.columns = columns.names;
    packet.rows.reserve(columns.rows);
    while (q.next()) {
        QVariantList row(count);
        QVariant* values = row.data();
        for (int i = 0; i < count; ++i) {
            values[i] = q.value(i);
            if (const int width = columns.widths[size_t(i)])
                cutText(values[i], width);
        }
        packet.rows.append(std::move(row));
    }
    statement.endRows();
    columns.rows = packet.rows.size();
    return packet;
}

// A query service body: bind, open, hand back every row.
template <class Binder>
void runQuery(ServiceResult& result, const char* name, Binder&& binder)
{
    qdl::Statement q = component(dataModule(), name);
    binder(q);
    result = ServiceResult::packet(readPacket(q, packetColumns(name)));
}

} // namespace

// ---------------------------------------------------------------------------
// Query services

namespace {

// The keys of the reads that show a configuration, bound the same by their
// services and when read ahead.
void bindConfiguration(qdl::Statement& q, const QString& cdfilial, const QString& nrconftela)
{
    q.bindText(":P_CDFILIAL", cdfilial).bindText(":P_NRCONFTELA", nrconftela);
}

void bindTablePage(qdl::Statement& q, const QString& cdfilial, const QString& nrconftela, const QString& nrpgconftela,
                   const QString& nrbuttonaux)
{
    bindConfiguration(q, cdfilial, nrconftela);
    q.bindText(":P_NRPGCONFTELA", nrpgconftela).bindText(":P_NRBUTTONAUX", nrbuttonaux);
}

} // namespace

int getPesqAmbientes(const QString& cdfilial, const QString& nrconftela, ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqPesqAmbientes", [&](qdl::Statement& q) { bindConfiguration(q, cdfilial, nrconftela); });
    });
}

int getPesqMesas(const QString& cdfilial, const QString& nrconftela, const QString& nrpgconftela,
                 const QString& nrbuttonaux, ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqPesqMesas",
                 [&](qdl::Statement& q) { bindTablePage(q, cdfilial, nrconftela, nrpgconftela, nrbuttonaux); });
    });
}

int getLoja(const QString& cdfilial, const QString& nrconftela, ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqLoja", [&](qdl::Statement& q) { bindConfiguration(q, cdfilial, nrconftela); });
    });
}

void TrdmConfMesa::readLayoutAhead(const QString& cdfilial, const QString& nrconftela, const QString& nrpgconftela,
                                   const QString& nrbuttonaux)
{
    try {
        TrdmConfMesa& dm = dataModule();
        if (!dm.adcConfigMesa->isPostgres())
            return;
        qdl::Statement store = component(dm, "adqLoja");
        qdl::Statement areas = component(dm, "adqPesqAmbientes");
        qdl::Statement tables = component(dm, "adqPesqMesas");
        bindConfiguration(store, cdfilial, nrconftela);
        bindConfiguration(areas, cdfilial, nrconftela);
        bindTablePage(tables, cdfilial, nrconftela, nrpgconftela, nrbuttonaux);
        qdl::Ahead ahead(*dm.adcConfigMesa);
        ahead.listen(LayoutWatch::channel(), LayoutWatch::listenQuery());
        for (qdl::Statement* read : {&store, &areas, &tables})
            ahead.add(read->query());
        ahead.send();
    } catch (const std::exception&) {
        // each read runs when its service asks, and reports its own failure
    }
}

void TrdmConfMesa::readAreaAhead(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                                 const QString& nrpgconftela)
{
    try {
        TrdmConfMesa& dm = dataModule();
        if (!dm.adcConfigMesa->isPostgres())
            return;
        const QString one = QStringLiteral("1"), zero = QStringLiteral("0");
        qdl::Statement button = component(dm, "adqAmbNrButon");
        qdl::Statement tables = component(dm, "adqPesqMesas");
        bindButtonKey(button, cdfilial, nrconftela, nrbutton, one, kAreaButtonType, zero, zero, zero);
        bindTablePage(tables, cdfilial, nrconftela, nrpgconftela, nrbutton);
        qdl::Ahead ahead(*dm.adcConfigMesa);
        ahead.add(button.query());
        ahead.add(tables.query());
    } catch (const std::exception&) {
        // each read runs when its service asks, and reports its own failure
    }
}

int getMesas(const QString& cdfilial, const QString& cdloja, const QString& cdsala, const QString& nrconftela,
             ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqMesas", [&](qdl::Statement& q) {
            q.bindText(":P_CDFILIAL", cdfilial); // both places
            q.bindText(":P_CDLOJA", cdloja);
            q.bindText(":P_CDSALA", cdsala);
            q.bindText(":P_NRCONFTELA", nrconftela);
        });
    });
}

int getAmbientes(const QString& cdfilial, const QString& nrconftela, ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqAmbientes", [&](qdl::Statement& q) {
            q.bindText(":P_CDFILIAL", cdfilial); // both places
            q.bindText(":P_NRCONFTELA", nrconftela);
        });
    });
}

int getMesaNrButon(const QString& cdfilial, const QString& cdloja, const QString& idtpbutton, const QString& nrbutton,
                   const QString& nrpgconftela, const QString& nrbuttonaux, const QString& nrpgconftaux,
                   const QString& nrconftela, const QString& idtpbutonaux, ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqMesaNrButon", [&](qdl::Statement& q) {
            bindButtonKey(q, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                          nrpgconftaux);
            q.bindText(":P_CDLOJA", cdloja);
        });
    });
}

int getAmbNrbuton(const QString& cdfilial, const QString& nrconftela, const QString& idtpbutton,
                  const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
                  const QString& nrbutton, const QString& nrpgconftela, ServiceResult& result)
{
    return queryService(result, [&] {
        runQuery(result, "adqAmbNrButon", [&](qdl::Statement& q) {
            bindButtonKey(q, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                          nrpgconftaux);
        });
    });
}

// ---------------------------------------------------------------------------
// Update services

int getInsere(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton, const QString& dsbutton,
              float nrcolortext, float nrcolorback, const QString& dsmessagebut, const QString& nrpgconftela,
              const QString& cdidentbuton, const QString& idtpbutton, const QString& idtpbutonaux,
              const QString& nrbuttonaux, const QString& nrpgconftaux, ServiceResult& result)
{
    return updateService(result, [&] {
        TrdmConfMesa& dm = dataModule();
        dm.StartTrans();
        if (idtpbutton == kTableButtonType) {
            // Two terminals: the area button this screen shows may have been
            // cleared or given another area since; the table must not land
            // under it then (it would be left behind when that area goes).
            qdl::Statement parent = component(dm, "acmAmbienteDaMesa");
            parent.bindText(":P_CDFILIAL", cdfilial)
                .bindText(":P_NRCONFTELA", nrconftela)
                .bindText(":P_IDTPBUTONAUX", idtpbutonaux)
                .bindText(":P_NRBUTTONAUX", nrbuttonaux)
                .bindText(":P_NRPGCONFTAUX", nrpgconftaux)
                .bindText(":P_CDIDENTBUTON", cdidentbuton);
            if (parent.run() != 1)
                throw EQdlError(QCoreApplication::translate("TrdmConfMesa", "O botão de ambiente %1 não tem mais o ambiente da mesa %2: "
                                               "ele foi mudado em outro terminal.")
                                    .arg(nrbuttonaux, cdidentbuton));
        }
        qdl::Statement q = component(dm, "acmInsere");
        q.bindText(":P_CDFILIAL", cdfilial)
            .bindText(":P_NRCONFTELA", nrconftela)
            .bindText(":P_NRBUTTON", nrbutton)
            .bindText(":P_DSBUTTON", dsbutton)
            .bindNumber(":P_NRCOLORTEXT", double(nrcolortext))
            .bindNumber(":P_NRCOLORBACK", double(nrcolorback))
            .bindText(":P_DSMESSAGEBUT", dsmessagebut)
            .bindText(":P_NRPGCONFTELA", nrpgconftela)
            .bindText(":P_CDIDENTBUTON", cdidentbuton)
            .bindText(":P_IDTPBUTTON", idtpbutton)
            .bindText(":P_IDTPBUTONAUX", idtpbutonaux)
            .bindText(":P_NRBUTTONAUX", nrbuttonaux)
            .bindText(":P_NRPGCONFTAUX", nrpgconftaux)
            // Local wall-clock time as text: PostgreSQL would otherwise shift
            // a bound date-time by the session's time zone.
            .bindText(":P_DTULTATUITCT", QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
        try {
            runLastCommand(dm, q);
        } catch (const EDatabaseError& e) {
            // The slot, or the table or area, was taken meanwhile by another
            // terminal or program: answered as any change made elsewhere.
            if (!e.sqlError().isDuplicateKey())
                throw;
            dm.Rollback();
            result = changeAnswer(0);
            return;
        }
        result = ServiceResult::text(QString());
    });
}

int getMudaNome(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                const QString& nrpgconftela, const QString& dsbutton, const QString& idtpbutton,
                const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
                const QString& dsbuttonlido, ServiceResult& result)
{
    return updateService(result, [&] {
        TrdmConfMesa& dm = dataModule();
        dm.StartTrans();
        qdl::Statement q = component(dm, "acmMudaNome");
        bindButtonKey(q, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                      nrpgconftaux);
        q.bindText(":P_DSBUTTON", dsbutton).bindText(":P_DSBUTTON_LIDO", dsbuttonlido);
        result = changeAnswer(runLastCommand(dm, q));
    });
}

namespace {

// getMudaCor and getMudaFonte: the colours go as decimal text and the
// database reads them into its numeric column; the colour read empty stands
// for a null one.
void changeColour(const char* name, const char* colourParameter, const char* readParameter,
                  const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                  const QString& nrpgconftela, const QString& colour, const QString& idtpbutton,
                  const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
                  const QString& colourRead, ServiceResult& result)
{
    TrdmConfMesa& dm = dataModule();
    dm.StartTrans();
    qdl::Statement q = component(dm, name);
    bindButtonKey(q, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                  nrpgconftaux);
    q.bindText(colourParameter, colour);
    if (colourRead.isEmpty())
        q.bindNull(readParameter);
    else
        q.bindText(readParameter, colourRead);
    result = changeAnswer(runLastCommand(dm, q));
}

// True when the query finds at least one row; the query is finished after.
bool hasRow(qdl::Statement& q)
{
    bool found = false;
    q.forEachRow([&found](const TADOQuery&) { found = true; });
    return found;
}

} // namespace

int getMudaCor(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
               const QString& nrpgconftela, const QString& nrcolorback, const QString& idtpbutton,
               const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
               const QString& nrcolorbacklido, ServiceResult& result)
{
    return updateService(result, [&] {
        changeColour("acmMudaCor", ":P_NRCOLORBACK", ":P_NRCOLORBACK_LIDO", cdfilial, nrconftela, nrbutton,
                     nrpgconftela, nrcolorback, idtpbutton, idtpbutonaux, nrbuttonaux, nrpgconftaux, nrcolorbacklido,
                     result);
    });
}

ServiceResult getMudaFonte(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
                           const QString& nrpgconftela, const QString& nrcolortext, const QString& idtpbutton,
                           const QString& idtpbutonaux, const QString& nrbuttonaux, const QString& nrpgconftaux,
                           const QString& nrcolortextlido)
{
    // No result code: what escapes the trap goes on to the caller.
    ServiceResult result;
    updateBody(result, [&] {
        changeColour("acmMudaFonte", ":P_NRCOLORTEXT", ":P_NRCOLORTEXT_LIDO", cdfilial, nrconftela, nrbutton,
                     nrpgconftela, nrcolortext, idtpbutton, idtpbutonaux, nrbuttonaux, nrpgconftaux, nrcolortextlido,
                     result);
    });
    return result;
}

int setDeleta(const QString& cdfilial, const QString& nrconftela, const QString& nrbutton,
              const QString& nrpgconftela, const QString& idtpbutton, const QString& idtpbutonaux,
              const QString& nrbuttonaux, const QString& nrpgconftaux, ServiceResult& result)
{
    return updateService(result, [&] {
        TrdmConfMesa& dm = dataModule();
        qdl::Statement check = component(dm, "adqSTMesa");
        bindButtonKey(check, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                      nrpgconftaux);
        if (!hasRow(check)) {
            result = ServiceResult::text(QString::fromLatin1(qdl::kMesaInd));
            return;
        }
        dm.StartTrans();
        qdl::Statement del = component(dm, "acmDeleta");
        bindButtonKey(del, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                      nrpgconftaux);
        // The delete asks again whether the table is free: one that a sales
        // terminal took since the check keeps its button.
        const int deleted = runLastCommand(dm, del);
        result = ServiceResult::text(deleted > 0 ? QString() : QString::fromLatin1(qdl::kMesaInd));
    });
}

int setDelAmbiente(const QString& cdfilial, const QString& nrconftela, const QString& cdsala,
                   const QString& nrbutton, const QString& idtpbutton, const QString& idtpbutonaux,
                   const QString& nrbuttonaux, const QString& nrpgconftaux, const QString& nrpgconftela,
                   ServiceResult& result)
{
    return updateService(result, [&] {
        TrdmConfMesa& dm = dataModule();
        // The area button's own type and number stand in the parent columns:
        // the queries find the table buttons under it, on every page.
        auto bindAreaQuery = [&](qdl::Statement& q) {
            q.bindText(":P_CDFILIAL", cdfilial)
                .bindText(":P_NRCONFTELA", nrconftela)
                .bindText(":P_CDSALA", cdsala)
                .bindText(":P_IDTPBUTONAUX", idtpbutton)
                .bindText(":P_NRBUTTONAUX", nrbutton);
        };

        // The check and the deletes are one step: inside the transaction,
        // with the area's tables locked (PostgreSQL) or every other writer
        // kept out (SQLite), a table cannot become occupied between them.
        dm.StartTrans();
        if (dm.adcConfigMesa->isPostgres()) {
            qdl::Statement lock = component(dm, "adqTravaMesasAmb");
            lock.bindText(":P_CDFILIAL", cdfilial).bindText(":P_CDSALA", cdsala).run();
        }
        qdl::Statement pending = component(dm, "adqMesasAmb");
        bindAreaQuery(pending);
        if (hasRow(pending)) {
            // A table of the area is occupied or reserved: nothing is deleted.
            dm.Rollback();
            result = ServiceResult::text(QString::fromLatin1(qdl::kMesaInd));
            return;
        }

        // The area button goes first: its row lock makes a table being placed
        // under it on another terminal wait, and then find no area there; the
        // table buttons read after it are all there are.
        qdl::Statement del = component(dm, "acmDelAmbiente");
        bindButtonKey(del, cdfilial, nrconftela, nrbutton, nrpgconftela, idtpbutton, idtpbutonaux, nrbuttonaux,
                      nrpgconftaux);
        del.bindText(":P_CDIDENTBUTON", cdsala);
        if (del.run() == 0) {
            // Another terminal removed the area button (and its tables) first.
            dm.Rollback();
            result = changeAnswer(0);
            return;
        }

        // Read every table button first; the deletes must not run while the
        // query is still open.
        qdl::Statement all = component(dm, "adqTodasMesasAmb");
        bindAreaQuery(all);
        struct TableButton : qdl::layout::ButtonRow {
            QString branch, configuration;
        };
        QList<TableButton> tableButtons;
        all.forEachRow([&](const TADOQuery& row) {
            const auto column = [&row](const char* name) {
                const int index = row.columnIndex(QLatin1String(name));
                if (index < 0)
                    throw EQdlError(QCoreApplication::translate("TrdmConfMesa", "A consulta adqTodasMesasAmb não trouxe a coluna %1.")
                                        .arg(QLatin1String(name)));
                return row.value(index).toString();
            };
            TableButton b;
            b.branch = column("CDFILIAL");
            b.configuration = column("NRCONFTELA");
            b.key() = qdl::layout::ButtonKey::fromColumns(column);
            b.code = column("CDIDENTBUTON");
            tableButtons << b;
        });

        for (const TableButton& b : std::as_const(tableButtons)) {
            bindButtonKey(del, b.branch, b.configuration, b.number, b.page, b.type, b.parentType, b.parentNumber,
                          b.parentPage);
            del.bindText(":P_CDIDENTBUTON", b.code).run();
        }
        dm.Commit();
        result = ServiceResult::text(QString());
    });
}

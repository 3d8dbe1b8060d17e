#include "layoutwatch.h"

#include <QLoggingCategory>
#include <utility>

#include "adoconnection.h"
#include "connection.h"
#include "layoutrules.h"
#include "schemaversion.h"

namespace {

// The configuration's rows as one text, the same on both databases but for
// the aggregate's name. A caption counts as far as the schema's width (40),
// as the screen shows it: one written longer by another program must not
// be held whole for the session.
QString signatureSql(bool sqlite)
{
    const QString rowKey =
        QStringLiteral("IDTPBUTTON || '|' || NRBUTTON || '|' || NRPGCONFTELA || '|' || IDTPBUTONAUX || '|' || "
                       "NRBUTTONAUX || '|' || NRPGCONFTAUX || '|' || COALESCE(CDIDENTBUTON, '') || '|' || "
                       "COALESCE(SUBSTR(DSBUTTON, 1, %1), '') || '|' || COALESCE(CAST(NRCOLORTEXT AS VARCHAR(30)), '') "
                       "|| '|' || COALESCE(CAST(NRCOLORBACK AS VARCHAR(30)), '')")
            .arg(qdl::layout::columnWidth(u"DSBUTTON"));
    const QString rows = QStringLiteral("SELECT %1 AS K FROM ITMENUCONFTE WHERE CDFILIAL = :P_CDFILIAL AND "
                                        "NRCONFTELA = :P_NRCONFTELA")
                             .arg(rowKey);
    return sqlite ? QStringLiteral("SELECT COALESCE(group_concat(K, ';'), '') FROM (%1 ORDER BY K)").arg(rows)
                  : QStringLiteral("SELECT COALESCE(string_agg(K, ';' ORDER BY K), '') FROM (%1) R").arg(rows);
}

} // namespace

QString LayoutWatch::channel()
{
    return QStringLiteral("qdl_layout");
}

// The schema's trigger on ITMENUCONFTE, enabled: looked for by the table it
// is on, so that a trigger of that name elsewhere does not count. The
// schema's version comes in the same row.
QByteArray LayoutWatch::listenQuery()
{
    return "SELECT (SELECT COUNT(*) FROM pg_trigger WHERE tgrelid = to_regclass('itmenuconfte') AND NOT tgisinternal "
           "AND tgenabled <> 'D' AND tgname = 'qdl_itmenuconfte_avisa'), ("
        + schemaVersionQuery(true).toUtf8() + ")";
}

LayoutWatch::LayoutWatch(TADOConnection* connection, QString cdfilial, QString nrconftela,
                         std::function<void()> changed, std::function<void(int)> schemaVersion, QObject* parent)
    : QObject(parent),
      m_connection(connection),
      m_cdfilial(std::move(cdfilial)),
      m_nrconftela(std::move(nrconftela)),
      m_changed(std::move(changed)),
      m_schemaVersion(std::move(schemaVersion))
{
    connect(m_connection, &TADOConnection::notified, this, &LayoutWatch::notified);
    connect(&m_timer, &QTimer::timeout, this, &LayoutWatch::tick);
    m_timer.start(kTickMs);
    start();
}

LayoutWatch::~LayoutWatch() = default;

void LayoutWatch::start()
{
    m_signatureQuery.reset();
    m_notifying = false;
    m_signatureStale = false;
    m_ownCommits = m_connection->ownCommits();
    if (m_connection->isSqlite()) {
        m_version = m_connection->dataVersion();
        m_signature = signature();
    } else if (m_connection->isPostgres()) {
        m_notifying = listenForChanges();
        if (!m_notifying)
            m_signature = signature();
    }
}

bool LayoutWatch::listenForChanges()
{
    QVariantList row;
    try {
        // The trigger and the schema's version are looked for in the
        // LISTEN's own round trip.
        row = m_connection->listen(channel(), listenQuery());
    } catch (const std::exception&) {
        return false;
    }
    if (row.size() == 2 && m_schemaVersion)
        m_schemaVersion(row[1].toInt());
    if (!row.isEmpty() && row[0].toInt() > 0)
        return true;
    static bool told = false;
    if (!std::exchange(told, true))
        qWarning("qdl: the database has no enabled trigger QDL_ITMENUCONFTE_AVISA on ITMENUCONFTE; "
                 "other terminals' changes are looked for every second (run the schema's set-up to add it)");
    return false;
}

QString LayoutWatch::signature()
{
    DbError error;
    if (!m_signatureQuery)
        m_signatureQuery = m_connection->prepare(signatureSql(m_connection->isSqlite()), error);
    if (!m_signatureQuery)
        return {};
    m_signatureQuery->bindText(":P_CDFILIAL", m_cdfilial);
    m_signatureQuery->bindText(":P_NRCONFTELA", m_nrconftela);
    QString text;
    if (m_signatureQuery->exec() && m_signatureQuery->next())
        text = m_signatureQuery->value(0).toString();
    m_signatureQuery->finish();
    return text;
}

void LayoutWatch::tick()
{
    ++m_ticks;
    // A call of the screen's waits on the database, and the window is
    // painted meanwhile: the session is its until it ends.
    if (m_connection->Busy())
        return;
    try {
        if (m_connection->Lost()) {
            // A dropped PostgreSQL session is opened again once a second; the
            // notifications of the gap are lost, so the screen looks again.
            if (m_ticks % 4 == 0 && !m_connection->InTransaction()) {
                m_connection->setConnected(true);
                start();
                m_changed();
            }
            return;
        }
        if (!m_connection->Connected())
            return;
        if (const quint64 own = m_connection->ownCommits(); own != m_ownCommits) {
            m_ownCommits = own;
            m_signatureStale = true;
        }
        if (m_connection->isSqlite()) {
            const qint64 version = m_connection->dataVersion();
            if (version == m_version)
                return;
            m_version = version;
        } else if (m_notifying) {
            m_connection->pollNotifications();
            return;
        } else if (m_ticks % 4 != 0) {
            return;
        }
        const QString now = signature();
        const bool stale = std::exchange(m_signatureStale, false);
        if (now != m_signature || stale) {
            m_signature = now;
            m_changed();
        }
    } catch (...) {
        // The next tick tries again; an operator's action reports the error.
    }
}

void LayoutWatch::notified(const QString& on, const QString& payload)
{
    if (on == channel() && payload == m_cdfilial + QLatin1Char('-') + m_nrconftela)
        m_changed();
}

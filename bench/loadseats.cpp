#include "loadseats.h"

#include "statement.h"

#include <QUrl>
#include <algorithm>
#include <cmath>

#include "benchdata.h"
#include "connection.h"
#include "errors.h"

namespace qdlload {

// ---------------------------------------------------------------------------
// Seats and the chain

QList<Seat> seats(int terminals)
{
    QList<Seat> out;
    int branch = -1;
    for (int t = 0; t < terminals; ++t) {
        Seat s;
        s.terminal = t;
        // Terminal 10k+1 joins the branch of 10k (when there is one).
        const bool second = t % 10 == 1;
        if (!second)
            ++branch;
        s.branchIndex = branch;
        s.branch = QStringLiteral("%1").arg(branch, 4, 10, QLatin1Char('0'));
        s.areaButton = second ? QStringLiteral("02") : QStringLiteral("01");
        if (second || (t % 10 == 0 && t + 1 < terminals))
            s.sharedButton = QStringLiteral("03");
        out << s;
    }
    return out;
}

int workerOf(const Seat& seat, int workers)
{
    return seat.branchIndex % std::max(1, workers);
}

namespace {

int branchesFor(int terminals)
{
    return terminals == 0 ? 0 : seats(terminals).last().branchIndex + 1;
}

} // namespace

std::pair<QString, QString> areaOf(const Seat& s, const QString& button)
{
    for (const qdlbench::ButtonRow& r : qdlbench::chainBranch(s.branchIndex, kChainSeed).buttons)
        if (r.conf == kConf && r.type == u"4" && r.number == button)
            return {r.ident, r.caption};
    throw EQdlError(QStringLiteral("Branch %1 has no area button %2").arg(s.branch, button));
}

qint64 colour(const QVariant& v)
{
    return v.isNull() ? 0 : std::llround(v.toDouble());
}

// ---------------------------------------------------------------------------
// The check connection

CheckConnection::CheckConnection(const QString& connection)
{
    m_db.ConnectionString = connection;
    m_db.setConnected(true);
}

TADOQuery& CheckConnection::bound(const QString& sql, const QVariantList& values)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        DbError error;
        std::unique_ptr<TADOQuery> q = m_db.prepare(qdl::namedPlaceholders(sql), error);
        if (!q)
            throw EDatabaseError(sql, error);
        it = m_statements.emplace(sql, std::move(q)).first;
    }
    TADOQuery& q = *it->second;
    q.finish();
    int n = 0;
    for (const QVariant& v : values) {
        const QByteArray name = QStringLiteral(":P_Q%1").arg(++n).toUtf8();
        const int type = v.typeId();
        if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double)
            q.bindNumber(name.constData(), v.toDouble());
        else
            q.bindText(name.constData(), v.toString());
    }
    return q;
}

QList<QVariantList> CheckConnection::rows(const QString& sql, const QVariantList& values)
{
    qdl::Statement q(bound(sql, values), sql, m_db.isPostgres());
    QList<QVariantList> out;
    q.forEachRow([&out](const TADOQuery& r) {
        QVariantList row;
        for (int i = 0; i < r.columnCount(); ++i)
            row << r.value(i);
        out << row;
    });
    return out;
}

int CheckConnection::exec(const QString& sql, const QVariantList& values)
{
    qdl::Statement q(bound(sql, values), sql, m_db.isPostgres());
    return q.run();
}

void generate(const QString& connection, int terminals, qint64 rows, std::uint32_t /*seed*/)
{
    qint64 needed = qdlbench::screenBranch().buttons.size();
    for (int i = 0; i < branchesFor(terminals); ++i)
        needed += qdlbench::chainBranch(i, kChainSeed).buttons.size();
    qdlbench::generateChain(connection, std::max(rows, needed), kChainSeed, false);
}

void freeTables(const QString& connection, int terminals)
{
    CheckConnection c(connection);
    qdl::Transaction transaction(c.db());
    for (const Seat& s : seats(terminals))
        c.exec(QStringLiteral("UPDATE MESA SET IDSTMESA = 'A', IDSTMESAAUX = 'D' WHERE CDFILIAL = ? AND CDSALA = ?"),
               {s.branch, areaOf(s, s.areaButton).first});
    transaction.commit();
}

QString terminalRoleOf(const QString& prefix, const QString& branch)
{
    return prefix + QLatin1Char('_') + branch;
}

QString connectionAs(const QString& connection, const QString& role)
{
    QUrl url(connection, QUrl::StrictMode);
    url.setUserName(role);
    return url.toString();
}

} // namespace qdlload

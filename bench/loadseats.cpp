#include "loadseats.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
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
    QSqlDatabase db = c.db();
    db.transaction();
    for (const Seat& s : seats(terminals)) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("UPDATE MESA SET IDSTMESA = 'A', IDSTMESAAUX = 'D' WHERE CDFILIAL = ? AND CDSALA = ?"));
        q.addBindValue(s.branch);
        q.addBindValue(areaOf(s, s.areaButton).first);
        if (!q.exec())
            throw EDatabaseError(QStringLiteral("Cannot free the tables of terminal %1").arg(s.terminal), q.lastError());
    }
    if (!db.commit())
        throw EDatabaseError(QStringLiteral("Cannot free the tables"), db.lastError());
}

} // namespace qdlload

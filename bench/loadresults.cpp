#include "loadengine.h"

#include <QDataStream>
#include <QFile>
#include <algorithm>
#include <cmath>


namespace qdlload {

// ---------------------------------------------------------------------------
// Results between processes (in the namespace of the types, where a
// container's stream operator finds them)

QDataStream& operator<<(QDataStream& s, const Button& b)
{
    return s << b.type << b.number << b.page << b.ident << b.caption << b.text << b.back << b.auxType << b.auxNumber
             << b.auxPage;
}
QDataStream& operator>>(QDataStream& s, Button& b)
{
    return s >> b.type >> b.number >> b.page >> b.ident >> b.caption >> b.text >> b.back >> b.auxType >> b.auxNumber >>
           b.auxPage;
}
QDataStream& operator<<(QDataStream& s, const AreaState& a)
{
    return s << qint32(a.terminal) << a.branch << a.areaButton << a.rows;
}
QDataStream& operator>>(QDataStream& s, AreaState& a)
{
    qint32 t = 0;
    s >> t >> a.branch >> a.areaButton >> a.rows;
    a.terminal = t;
    return s;
}
QDataStream& operator<<(QDataStream& s, const SharedRow& r)
{
    return s << r.branch << r.button << r.allowedBack;
}
QDataStream& operator>>(QDataStream& s, SharedRow& r)
{
    return s >> r.branch >> r.button >> r.allowedBack;
}

namespace {
constexpr quint32 kMagic = 0x71646c4c; // "qdlL"
} // namespace

bool writeResult(const WorkerResult& r, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QDataStream s(&f);
    const Counters& c = r.counters;
    s << kMagic << r.serviceUs << r.actionUs << c.actions << c.calls << c.writes << c.dbErrors << c.mesaInd
      << c.botaoAlt << r.seconds << r.errors << r.areas << r.shared;
    return s.status() == QDataStream::Ok && f.flush();
}

bool readResult(const QString& path, WorkerResult& r)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QDataStream s(&f);
    quint32 magic = 0;
    s >> magic;
    if (magic != kMagic)
        return false;
    Counters& c = r.counters;
    s >> r.serviceUs >> r.actionUs >> c.actions >> c.calls >> c.writes >> c.dbErrors >> c.mesaInd >> c.botaoAlt >>
        r.seconds >> r.errors >> r.areas >> r.shared;
    return s.status() == QDataStream::Ok;
}

void merge(WorkerResult& into, const WorkerResult& from)
{
    for (auto it = from.serviceUs.cbegin(); it != from.serviceUs.cend(); ++it)
        into.serviceUs[it.key()] << it.value();
    for (auto it = from.actionUs.cbegin(); it != from.actionUs.cend(); ++it)
        into.actionUs[it.key()] << it.value();
    Counters& c = into.counters;
    c.actions += from.counters.actions;
    c.calls += from.counters.calls;
    c.writes += from.counters.writes;
    c.dbErrors += from.counters.dbErrors;
    c.mesaInd += from.counters.mesaInd;
    c.botaoAlt += from.counters.botaoAlt;
    into.seconds = std::max(into.seconds, from.seconds);
    into.errors << from.errors;
    into.areas << from.areas;
    into.shared << from.shared;
}

double percentileMs(QList<quint32> samples, double p)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank = qsizetype(std::ceil(p / 100.0 * double(samples.size()))) - 1;
    return samples[std::clamp<qsizetype>(rank, 0, samples.size() - 1)] / 1000.0;
}

} // namespace qdlload

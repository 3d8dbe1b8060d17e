#include "loadengine.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "Srv_qdl00005.h"
#include "benchdata.h"
#include "errors.h"
#include "loadseats.h"
#include "statements.h"

namespace qdlload {

using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------------------
// One terminal

namespace {

struct Table {
    QString nrmesa, name;
};

enum class Answer { Done, DbError, MesaInd, BotaoAlt };

struct Terminal {
    Seat seat;
    std::unique_ptr<TrdmConfMesa> module;
    std::mt19937 rng;
    QString area, areaName;
    bool areaPlaced = false;
    Button areaRow;
    QList<Table> tables;           // of the area in store 00001, but the default table
    QMap<QString, Button> placed;  // by CDIDENTBUTON
    qint64 sharedStart = 0, sharedLast = -1;
    int seq = 0;
    Clock::time_point due;
};

const QString kStore = QStringLiteral("00001");

class Worker {
public:
    explicit Worker(const WorkerOptions& o) : m_o(o) {}
    WorkerResult run(const std::function<void()>& ready);

private:
    void open(Terminal& t, CheckConnection& c);
    void act(Terminal& t);
    // One service call, timed and counted. call answers its code (0 when
    // the service trapped everything) and fills the result.
    Answer read(Terminal& t, const char* service, const std::function<int(ServiceResult&)>& call);
    Answer write(Terminal& t, const char* service, const std::function<int(ServiceResult&)>& call);
    Answer timed(Terminal& t, const char* service, bool isWrite, const std::function<int(ServiceResult&)>& call);

    void placeArea(Terminal& t);
    void placeTable(Terminal& t);
    void rename(Terminal& t);
    void colourBatch(Terminal& t);
    void clear(Terminal& t);
    void removeArea(Terminal& t);
    void lookUp(Terminal& t, int which);

    int pick(Terminal& t, int n) { return std::uniform_int_distribution<int>(0, n - 1)(t.rng); }
    void note(const Terminal& t, const char* service, const QString& what)
    {
        if (m_r.errors.size() < 40)
            m_r.errors << QStringLiteral("terminal %1 %2: %3").arg(t.seat.terminal).arg(QLatin1String(service), what);
    }

    WorkerOptions m_o;
    WorkerResult m_r;
    QString m_actionService; // the first service the current action called
    // The shared row's colour as both screens of its branch show it: one
    // terminal's write is refreshed onto the other's screen before its next
    // action (the pair runs in one worker, one action at a time).
    QMap<QString, qint64> m_sharedShown;
};

void Worker::open(Terminal& t, CheckConnection& c)
{
    std::tie(t.area, t.areaName) = areaOf(t.seat, t.seat.areaButton);
    for (const QVariantList& r :
         c.rows(QStringLiteral("SELECT NRMESA, NMMESA FROM MESA WHERE CDFILIAL = ? AND CDLOJA = ? AND CDSALA = ? AND "
                               "NRMESA NOT IN (SELECT NRMESAPADRAO FROM LOJA WHERE CDFILIAL = ? AND NRMESAPADRAO IS "
                               "NOT NULL) ORDER BY NRMESA"),
                {t.seat.branch, kStore, t.area, t.seat.branch}))
        t.tables << Table{r[0].toString(), r[1].toString()};

    // Where the area stands now (an earlier run may have changed it).
    const QList<QVariantList> rows = c.rows(
        QStringLiteral("SELECT IDTPBUTTON, NRBUTTON, NRPGCONFTELA, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, "
                       "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX FROM ITMENUCONFTE WHERE CDFILIAL = ? AND NRCONFTELA = ? "
                       "AND ((IDTPBUTTON = '4' AND NRBUTTON = ?) OR (IDTPBUTTON = '3' AND IDTPBUTONAUX = '4' AND "
                       "NRBUTTONAUX = ?))"),
        {t.seat.branch, kConf, t.seat.areaButton, t.seat.areaButton});
    for (const QVariantList& r : rows) {
        Button b{r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(), r[4].toString(),
                 colour(r[5]), colour(r[6]), r[7].toString(), r[8].toString(), r[9].toString()};
        if (b.type == u"4") {
            t.areaPlaced = true;
            t.areaRow = b;
        } else {
            t.placed.insert(b.ident, b);
        }
    }
    if (!t.seat.sharedButton.isEmpty()) {
        const QList<QVariantList> shared =
            c.rows(QStringLiteral("SELECT NRCOLORBACK FROM ITMENUCONFTE WHERE CDFILIAL = ? AND NRCONFTELA = ? AND "
                                  "IDTPBUTTON = '4' AND NRBUTTON = ?"),
                   {t.seat.branch, kConf, t.seat.sharedButton});
        if (shared.size() != 1)
            throw EQdlError(QStringLiteral("Branch %1 has no area button %2").arg(t.seat.branch, t.seat.sharedButton));
        t.sharedStart = colour(shared[0][0]);
        m_sharedShown.insert(t.seat.branch, t.sharedStart);
    }

    setConnectionStringOverride(m_o.terminalRole.isEmpty() || isSqliteConnectionString(m_o.connection)
                                    ? m_o.connection
                                    : connectionAs(m_o.connection, terminalRoleOf(m_o.terminalRole, t.seat.branch)));
    t.module = std::make_unique<TrdmConfMesa>(nullptr);
    t.module->adcConfigMesa->setConnected(true);
    // The first statement of each kind is prepared when first used, as on
    // the screen; the menu of areas is read once before the clock starts.
    rdmConfMesa = t.module.get();
    ServiceResult r;
    getPesqAmbientes(t.seat.branch, kConf, r);
    rdmConfMesa = nullptr;
}

Answer Worker::timed(Terminal& t, const char* service, bool isWrite, const std::function<int(ServiceResult&)>& call)
{
    ServiceResult r;
    int code = 0;
    const Clock::time_point start = Clock::now();
    try {
        code = call(r);
    } catch (const std::exception& e) {
        code = 1;
        r = ServiceResult::error(QString::fromUtf8(e.what()));
    }
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    m_r.serviceUs[QLatin1String(service)] << quint32(us);
    ++m_r.counters.calls;
    if (m_actionService.isEmpty())
        m_actionService = QLatin1String(service);

    Answer a = Answer::DbError;
    if (code == 0 && !r.isError()) {
        if (!isWrite)
            a = r.isPacket() ? Answer::Done : Answer::DbError;
        else if (r.isText() && r.toText().isEmpty())
            a = Answer::Done;
        else if (r.isText() && r.toText() == QLatin1String(qdl::kMesaInd))
            a = Answer::MesaInd;
        else if (r.isText() && r.toText() == QLatin1String(qdl::kBotaoAlterado))
            a = Answer::BotaoAlt;
    }
    switch (a) {
    case Answer::Done:
        if (isWrite)
            ++m_r.counters.writes;
        break;
    case Answer::DbError:
        ++m_r.counters.dbErrors;
        note(t, service, QStringLiteral("code %1: %2").arg(code).arg(r.toText()));
        break;
    case Answer::MesaInd:
        ++m_r.counters.mesaInd;
        note(t, service, r.toText());
        break;
    case Answer::BotaoAlt:
        ++m_r.counters.botaoAlt;
        note(t, service, r.toText());
        break;
    }
    return a;
}

Answer Worker::read(Terminal& t, const char* service, const std::function<int(ServiceResult&)>& call)
{
    return timed(t, service, false, call);
}

Answer Worker::write(Terminal& t, const char* service, const std::function<int(ServiceResult&)>& call)
{
    return timed(t, service, true, call);
}

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

void Worker::placeArea(Terminal& t)
{
    Button b{QStringLiteral("4"), t.seat.areaButton, QStringLiteral("1"), t.area, t.areaName, 0,
             qint64(pick(t, 1 << 24)), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    const QString& f = t.seat.branch;
    if (write(t, "getInsere", [&](ServiceResult& r) {
            return getInsere(f, kConf, b.number, b.caption, float(b.text), float(b.back), QString(), b.page, b.ident,
                             b.type, b.auxType, b.auxNumber, b.auxPage, r);
        }) == Answer::Done) {
        t.areaPlaced = true;
        t.areaRow = b;
    }
}

void Worker::placeTable(Terminal& t)
{
    QList<const Table*> free;
    for (const Table& table : t.tables)
        if (!t.placed.contains(table.nrmesa))
            free << &table;
    if (free.isEmpty())
        return rename(t);
    const Table& table = *free[pick(t, int(free.size()))];
    // The first free slot, 48 to a page.
    std::set<std::pair<int, int>> used;
    for (const Button& b : t.placed)
        used.insert({b.page.toInt(), b.number.toInt()});
    int page = 1, slot = 1;
    while (used.count({page, slot})) {
        if (++slot > 48) {
            slot = 1;
            ++page;
        }
    }
    Button b{QStringLiteral("3"), two(slot), QString::number(page), table.nrmesa, table.name, 0,
             qdlbench::kFreeBack, QStringLiteral("4"), t.seat.areaButton, QStringLiteral("1")};
    if (write(t, "getInsere", [&](ServiceResult& r) {
            return getInsere(t.seat.branch, kConf, b.number, b.caption, float(b.text), float(b.back), QString(), b.page,
                             b.ident, b.type, b.auxType, b.auxNumber, b.auxPage, r);
        }) == Answer::Done)
        t.placed.insert(b.ident, b);
}

void Worker::rename(Terminal& t)
{
    Button* b = &t.areaRow;
    if (!t.placed.isEmpty() && pick(t, 5) != 0)
        b = &*std::next(t.placed.begin(), pick(t, int(t.placed.size())));
    const QString caption = QStringLiteral("T%1 nome %2").arg(t.seat.terminal).arg(++t.seq);
    if (write(t, "getMudaNome", [&](ServiceResult& r) {
            return getMudaNome(t.seat.branch, kConf, b->number, b->page, caption, b->type, b->auxType, b->auxNumber,
                               b->auxPage, b->caption, r);
        }) == Answer::Done)
        b->caption = caption;
}

void Worker::colourBatch(Terminal& t)
{
    // Several buttons of the area, the background of some and the text of
    // others, as the colour dialog confirms them: one call a button.
    QList<Button*> rows{&t.areaRow};
    for (Button& b : t.placed)
        rows << &b;
    const int count = 3 + pick(t, 4);
    for (int i = 0; i < count; ++i) {
        Button* b = rows[pick(t, int(rows.size()))];
        const qint64 value = pick(t, 1 << 24);
        if (pick(t, 2) == 0) {
            if (write(t, "getMudaCor", [&](ServiceResult& r) {
                    return getMudaCor(t.seat.branch, kConf, b->number, b->page, QString::number(value), b->type,
                                      b->auxType, b->auxNumber, b->auxPage, QString::number(b->back), r);
                }) == Answer::Done)
                b->back = value;
        } else {
            if (write(t, "getMudaFonte", [&](ServiceResult& r) {
                    r = getMudaFonte(t.seat.branch, kConf, b->number, b->page, QString::number(value), b->type,
                                     b->auxType, b->auxNumber, b->auxPage, QString::number(b->text));
                    return 0;
                }) == Answer::Done)
                b->text = value;
        }
    }
    if (!t.seat.sharedButton.isEmpty()) {
        const qint64 value = pick(t, 1 << 24);
        qint64& shown = m_sharedShown[t.seat.branch];
        if (write(t, "getMudaCor", [&](ServiceResult& r) {
                return getMudaCor(t.seat.branch, kConf, t.seat.sharedButton, QStringLiteral("1"),
                                  QString::number(value), QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("0"),
                                  QStringLiteral("0"), QString::number(shown), r);
            }) == Answer::Done) {
            t.sharedLast = value;
            shown = value;
        }
    }
}

void Worker::clear(Terminal& t)
{
    if (t.placed.isEmpty())
        return placeTable(t);
    const Button b = *std::next(t.placed.begin(), pick(t, int(t.placed.size())));
    if (write(t, "setDeleta", [&](ServiceResult& r) {
            return setDeleta(t.seat.branch, kConf, b.number, b.page, b.type, b.auxType, b.auxNumber, b.auxPage, r);
        }) == Answer::Done)
        t.placed.remove(b.ident);
}

void Worker::removeArea(Terminal& t)
{
    const Button& a = t.areaRow;
    if (write(t, "setDelAmbiente", [&](ServiceResult& r) {
            return setDelAmbiente(t.seat.branch, kConf, a.ident, a.number, a.type, a.auxType, a.auxNumber, a.auxPage,
                                  a.page, r);
        }) == Answer::Done) {
        t.areaPlaced = false;
        t.placed.clear();
    }
}

void Worker::lookUp(Terminal& t, int which)
{
    const QString& f = t.seat.branch;
    const QString& ab = t.seat.areaButton;
    switch (which) {
    case 0:
        read(t, "getPesqAmbientes", [&](ServiceResult& r) { return getPesqAmbientes(f, kConf, r); });
        break;
    case 1:
        read(t, "getPesqMesas", [&](ServiceResult& r) {
            return getPesqMesas(f, kConf, QString::number(1 + pick(t, 2)), ab, r);
        });
        break;
    case 2:
        read(t, "getLoja", [&](ServiceResult& r) { return getLoja(f, kConf, r); });
        break;
    case 3:
        read(t, "getMesas", [&](ServiceResult& r) { return getMesas(f, kStore, t.area, kConf, r); });
        break;
    case 4:
        read(t, "getAmbientes", [&](ServiceResult& r) { return getAmbientes(f, kConf, r); });
        break;
    case 5:
        if (!t.placed.isEmpty()) {
            const Button& b = *std::next(t.placed.begin(), pick(t, int(t.placed.size())));
            read(t, "getMesaNrButon", [&](ServiceResult& r) {
                return getMesaNrButon(f, kStore, b.type, b.number, b.page, b.auxNumber, b.auxPage, kConf, b.auxType, r);
            });
            break;
        }
        [[fallthrough]];
    default:
        read(t, "getAmbNrbuton", [&](ServiceResult& r) {
            return getAmbNrbuton(f, kConf, QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("0"),
                                 QStringLiteral("0"), ab, QStringLiteral("1"), r);
        });
        break;
    }
}

// The operator's mix, out of 100: 62 reads and lookups, 12 placements, 8
// renames, 8 colour batches, 8 clears, 2 areas removed (placed again with the
// terminal's next change).
void Worker::act(Terminal& t)
{
    static const int readWeights[] = {14, 16, 6, 10, 6, 5, 5};
    int roll = pick(t, 100);
    for (int i = 0; i < 7; ++i) {
        if (roll < readWeights[i]) {
            lookUp(t, i);
            return;
        }
        roll -= readWeights[i];
    }
    if (!t.areaPlaced)
        return placeArea(t);
    if ((roll -= 12) < 0)
        placeTable(t);
    else if ((roll -= 8) < 0)
        rename(t);
    else if ((roll -= 8) < 0)
        colourBatch(t);
    else if ((roll -= 8) < 0)
        clear(t);
    else
        removeArea(t);
}

// The action's name for the figures: the read's service, or what was changed.
QString actionName(const QString& firstService, qint64 calls, bool areaBefore)
{
    if (calls > 1)
        return QStringLiteral("colour batch");
    if (firstService == u"getInsere")
        return areaBefore ? QStringLiteral("place table") : QStringLiteral("place area");
    return firstService;
}

WorkerResult Worker::run(const std::function<void()>& ready)
{
    std::vector<std::unique_ptr<Terminal>> terminals;
    {
        CheckConnection c(m_o.connection);
        for (const Seat& s : seats(m_o.terminals)) {
            if (workerOf(s, m_o.workers) != m_o.worker)
                continue;
            auto t = std::make_unique<Terminal>();
            t->seat = s;
            t->rng.seed(m_o.seed * 7919u + std::uint32_t(s.terminal));
            open(*t, c);
            terminals.push_back(std::move(t));
        }
    }
    ready();

    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::microseconds(qint64(m_o.seconds * 1e6));
    const auto think = [&](Terminal& t) {
        return std::chrono::microseconds(
            qint64(m_o.thinkMs * 1000 * std::uniform_real_distribution<double>(0.5, 1.5)(t.rng)));
    };
    for (auto& t : terminals)
        t->due = start + (m_o.thinkMs > 0 ? std::chrono::microseconds(qint64(m_o.thinkMs * 1000 *
                                               std::uniform_real_distribution<double>(0, 1)(t->rng)))
                                          : std::chrono::microseconds(0));
    size_t next = 0;
    while (!terminals.empty()) {
        Terminal* t = nullptr;
        if (m_o.thinkMs > 0) {
            // The terminal whose action is due first; the worker sleeps until then.
            t = std::min_element(terminals.begin(), terminals.end(),
                                 [](const auto& a, const auto& b) { return a->due < b->due; })
                    ->get();
            if (t->due >= end)
                break;
            std::this_thread::sleep_until(t->due);
        } else {
            if (Clock::now() >= end)
                break;
            t = terminals[next++ % terminals.size()].get();
            t->due = Clock::now();
        }
        rdmConfMesa = t->module.get();
        const qint64 callsBefore = m_r.counters.calls;
        const bool areaBefore = t->areaPlaced;
        m_actionService.clear();
        act(*t);
        rdmConfMesa = nullptr;
        const Clock::time_point done = Clock::now();
        const qint64 calls = m_r.counters.calls - callsBefore;
        if (calls > 0) {
            m_r.actionUs[actionName(m_actionService, calls, areaBefore)]
                << quint32(std::chrono::duration_cast<std::chrono::microseconds>(done - t->due).count());
            ++m_r.counters.actions;
        }
        if (m_o.thinkMs > 0)
            t->due += think(*t);
    }
    m_r.seconds = std::chrono::duration<double>(Clock::now() - start).count();

    // The pair's common row ends with the last colour either of them wrote
    // (the later commit wins, whichever that was), or as it was when neither
    // changed it.
    QMap<QString, SharedRow> shared;
    QMap<QString, qint64> sharedStart;
    for (auto& t : terminals) {
        AreaState a;
        a.terminal = t->seat.terminal;
        a.branch = t->seat.branch;
        a.areaButton = t->seat.areaButton;
        if (t->areaPlaced)
            a.rows << t->areaRow;
        for (const Button& b : t->placed)
            a.rows << b;
        m_r.areas << a;
        if (!t->seat.sharedButton.isEmpty()) {
            SharedRow& s = shared[t->seat.branch];
            s.branch = t->seat.branch;
            s.button = t->seat.sharedButton;
            sharedStart[t->seat.branch] = t->sharedStart;
            if (t->sharedLast >= 0)
                s.allowedBack << t->sharedLast;
        }
        t->module.reset();
    }
    for (SharedRow& s : shared) {
        if (s.allowedBack.isEmpty())
            s.allowedBack << sharedStart.value(s.branch);
        m_r.shared << s;
    }
    return m_r;
}

} // namespace

WorkerResult runWorker(const WorkerOptions& options, const std::function<void()>& ready)
{
    Worker w(options);
    return w.run(ready);
}

} // namespace qdlload

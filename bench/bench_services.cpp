// The thirteen services at the scale of a chain, on SQLite and PostgreSQL,
// through our layers (rdmConfMesa on the database) and, beside them, the
// floor: the same statements run with sqlite3's C API and with libpq,
// prepared once, without our layers. The floors are in floors.cpp; the cases
// are here.
//
// Databases made by qdl-gen (scripts/bench-services.sh makes them):
//   QDL_BENCH_DIR      folder of the SQLite files chain-<rows>.db (default /var/tmp/qdl-bench)
//   QDL_BENCH_PG_URL   PostgreSQL server; databases qdl_chain_<rows> (no PostgreSQL without it)
//   QDL_BENCH_SIZES    rows of ITMENUCONFTE, comma-separated (default 1000,10000,100000,1000000)
//   QDL_BENCH_REPETITIONS (default 5), QDL_BENCH_MIN_TIME seconds per repetition (default 0.2)
// Google Benchmark flags pass through (--benchmark_filter, --benchmark_out=FILE, ...).
// At the end it prints, per service, the median at each size, median at the
// largest ÷ median at the smallest size and our median ÷ the floor's at the
// largest size.

#include <QCoreApplication>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "Srv_qdl00005.h"
#include "benchdata.h"
#include "connection.h"
#include "floors.h"

namespace {

using qdlbench::kBranch;
using qdlbench::kConf;

using qdlbench::Binds;
using qdlbench::fail;
using qdlbench::Raw;
using qdlbench::Row;

// ---------------------------------------------------------------------------
// One database of the chain: its connection string for our layers, the
// floor's connection, and the connection that puts rows back.

struct ChainDb {
    std::string backend; // "sqlite" or "postgresql"
    qint64 rows = 0;
    QString connection;
    std::unique_ptr<Raw> raw, restorer;

    Raw& floor() { return open(raw); }
    // Rows go back through a connection of their own, so every measured
    // connection meets the same thing before a round: a file another
    // connection wrote, whose pages SQLite reads again.
    Raw& putBack() { return open(restorer); }
    Raw& open(std::unique_ptr<Raw>& r)
    {
        if (!r) {
            if (backend == "sqlite")
                r = qdlbench::sqliteFloor(connection.mid(7).toStdString());
            else
                r = qdlbench::postgresFloor(connection.toStdString());
        }
        return *r;
    }
};

// Our data module on one database at a time, as the screen opens it.
void useOurs(const ChainDb& db)
{
    static QString current;
    if (rdmConfMesa && current == db.connection)
        return;
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
    setConnectionStringOverride(db.connection);
    rdmConfMesa = new TrdmConfMesa(nullptr);
    rdmConfMesa->adcConfigMesa->setConnected(true);
    current = db.connection;
}

// ---------------------------------------------------------------------------
// The work rows of branch 9999 (see qdlbench::screenBranch).

Binds keyBinds(const qdlbench::ButtonRow& r)
{
    return {{":P_CDFILIAL", kBranch.toStdString()}, {":P_NRCONFTELA", r.conf.toStdString()},
            {":P_IDTPBUTTON", r.type.toStdString()}, {":P_NRBUTTON", r.number.toStdString()},
            {":P_NRPGCONFTELA", r.page.toStdString()}, {":P_IDTPBUTONAUX", r.auxType.toStdString()},
            {":P_NRBUTTONAUX", r.auxNumber.toStdString()}, {":P_NRPGCONFTAUX", r.auxPage.toStdString()}};
}

Binds insertBinds(const qdlbench::ButtonRow& r)
{
    Binds b = keyBinds(r);
    b.insert(b.end(), {{":P_CDIDENTBUTON", r.ident.toStdString()}, {":P_DSBUTTON", r.caption.toStdString()},
                       {":P_NRCOLORTEXT", std::to_string(r.text)}, {":P_NRCOLORBACK", std::to_string(r.back)},
                       {":P_DSMESSAGEBUT", ""}, {":P_DTULTATUITCT", "2024-03-01 10:00:00.000"}});
    return b;
}

// The button's own delete: its key and what it stands for.
Binds deleteBinds(const qdlbench::ButtonRow& r)
{
    Binds b = keyBinds(r);
    b.push_back({":P_CDIDENTBUTON", r.ident.toStdString()});
    return b;
}

// Puts rows back as generated, whatever state a run left them in.
void restore(Raw& raw, const QList<qdlbench::ButtonRow>& rows)
{
    raw.begin();
    for (const qdlbench::ButtonRow& r : rows) {
        raw.run("acmDelAmbiente", deleteBinds(r));
        raw.run("acmInsere", insertBinds(r));
    }
    raw.commit();
}

qdlbench::ButtonRow tableButton(const QString& areaButton, const QString& page, const QString& number)
{
    for (const qdlbench::ButtonRow& r : qdlbench::screenBranch().buttons)
        if (r.conf == kConf && r.type == u"3" && r.auxNumber == areaButton && r.page == page && r.number == number)
            return r;
    fail("no such button in the layout");
}

// The DECK table that the layout leaves unplaced, on a free slot of page 2.
qdlbench::ButtonRow newDeckButton()
{
    const qdlbench::Branch b = qdlbench::screenBranch();
    QStringList placed;
    for (const qdlbench::ButtonRow& r : qdlbench::deckButtons())
        placed << r.ident;
    for (const qdlbench::TableRow& t : b.tables) {
        if (t.store == qdlbench::kStore && t.area == u"DECK" && !placed.contains(t.nrmesa)) {
            qdlbench::ButtonRow r;
            r.conf = kConf;
            r.type = QStringLiteral("3");
            r.number = QStringLiteral("03");
            r.page = QStringLiteral("2");
            r.ident = t.nrmesa;
            r.caption = t.name;
            r.auxType = QStringLiteral("4");
            r.auxNumber = QStringLiteral("06");
            r.auxPage = QStringLiteral("1");
            return r;
        }
    }
    fail("no unplaced DECK table in the layout");
}

// ---------------------------------------------------------------------------
// The services: what each does through our layers and on the floor.

struct Case {
    const char* service;
    // Untimed, before the loop, after it, and before each iteration (paused).
    std::function<void(Raw&)> setUp, tearDown, beforeEach;
    std::function<QString(int i)> ours; // what went wrong; empty when all is well
    std::function<void(Raw&, int i)> floor;
};

QString packet(int code, const ServiceResult& r, int expectRows = -1)
{
    if (code != 0 || !r.isPacket())
        return QStringLiteral("code %1: %2").arg(code).arg(r.toText());
    if (expectRows >= 0 && r.toPacket().rows.size() != expectRows)
        return QStringLiteral("%1 rows instead of %2").arg(r.toPacket().rows.size()).arg(expectRows);
    return {};
}

QString done(int code, const ServiceResult& r)
{
    if (code == 0 && r.isText() && r.toText().isEmpty())
        return {};
    return QStringLiteral("code %1: %2").arg(code).arg(r.toText());
}

// A query: the service through our layers, expecting that many rows (-1:
// any number), and its statement with the same values on the floor.
Case query(const char* service, std::function<int(ServiceResult&)> call, int expectRows, const char* statement,
           Binds binds)
{
    return {service, {}, {}, {},
            [call, expectRows](int) {
                ServiceResult r;
                return packet(call(r), r, expectRows);
            },
            // The values are built afresh each round, as the service builds its own.
            [statement, binds](Raw& raw, int) { raw.run(statement, Binds(binds)); }};
}

std::vector<Case> cases()
{
    const std::string branch = kBranch.toStdString(), conf = kConf.toStdString();
    std::vector<Case> c;

    // --- Queries -------------------------------------------------------------
    c.push_back(query("getPesqAmbientes", [](ServiceResult& r) { return getPesqAmbientes(kBranch, kConf, r); }, 6,
                      "adqPesqAmbientes", {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf}}));
    c.push_back(query("getPesqMesas", [](ServiceResult& r) { return getPesqMesas(kBranch, kConf, "1", "01", r); },
                      48, "adqPesqMesas",
                      {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf}, {":P_NRPGCONFTELA", "1"},
                       {":P_NRBUTTONAUX", "01"}}));
    c.push_back(query("getLoja", [](ServiceResult& r) { return getLoja(kBranch, kConf, r); }, 1, "adqLoja",
                      {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf}}));
    c.push_back(query("getMesas",
                      [](ServiceResult& r) { return getMesas(kBranch, qdlbench::kStore, "SAL", kConf, r); }, -1,
                      "adqMesas",
                      {{":P_CDFILIAL", branch}, {":P_CDLOJA", "00001"}, {":P_CDSALA", "SAL"},
                       {":P_NRCONFTELA", conf}}));
    c.push_back(query("getAmbientes", [](ServiceResult& r) { return getAmbientes(kBranch, kConf, r); }, 1,
                      "adqAmbientes", {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf}}));
    c.push_back(query("getMesaNrButon",
                      [](ServiceResult& r) {
                          return getMesaNrButon(kBranch, qdlbench::kStore, "3", "01", "1", "01", "1", kConf, "4", r);
                      },
                      1, "adqMesaNrButon",
                      {{":P_CDFILIAL", branch}, {":P_CDLOJA", "00001"}, {":P_IDTPBUTTON", "3"},
                       {":P_NRBUTTON", "01"}, {":P_NRPGCONFTELA", "1"}, {":P_NRBUTTONAUX", "01"},
                       {":P_NRPGCONFTAUX", "1"}, {":P_NRCONFTELA", conf}, {":P_IDTPBUTONAUX", "4"}}));
    c.push_back(query("getAmbNrbuton",
                      [](ServiceResult& r) { return getAmbNrbuton(kBranch, kConf, "4", "0", "0", "0", "01", "1", r); },
                      9, "adqAmbNrButon",
                      {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf}, {":P_IDTPBUTTON", "4"},
                       {":P_IDTPBUTONAUX", "0"}, {":P_NRBUTTONAUX", "0"}, {":P_NRPGCONFTAUX", "0"},
                       {":P_NRBUTTON", "01"}, {":P_NRPGCONFTELA", "1"}}));

    // --- Updates ---------------------------------------------------------------
    // getInsere places the unplaced DECK table; the row goes again, paused.
    const qdlbench::ButtonRow added = newDeckButton();
    const auto removeAdded = [added](Raw& raw) { raw.run("acmDelAmbiente", deleteBinds(added)); };
    c.push_back({"getInsere", removeAdded, removeAdded, removeAdded,
                 [added](int) {
                     ServiceResult r;
                     return done(getInsere(kBranch, kConf, added.number, added.caption, 0, float(qdlbench::kFreeBack),
                                           QString(), added.page, added.ident, added.type, added.auxType,
                                           added.auxNumber, added.auxPage, r),
                                 r);
                 },
                 [added](Raw& raw, int) {
                     raw.begin();
                     // The area button must still hold the table's area (its row is locked).
                     const Binds parent = {{":P_CDFILIAL", kBranch.toStdString()},
                                           {":P_NRCONFTELA", added.conf.toStdString()},
                                           {":P_IDTPBUTONAUX", added.auxType.toStdString()},
                                           {":P_NRBUTTONAUX", added.auxNumber.toStdString()},
                                           {":P_NRPGCONFTAUX", added.auxPage.toStdString()},
                                           {":P_CDIDENTBUTON", added.ident.toStdString()}};
                     if (raw.run("acmAmbienteDaMesa", parent) != 1)
                         fail("DECK is not on area button 06");
                     raw.run("acmInsere", insertBinds(added));
                     raw.commit();
                 }});

    // Renames and recolours alternate between two values on a SAL button,
    // each written over the one before (the first over the row as put back).
    const qdlbench::ButtonRow named = tableButton("01", "1", "01");
    const auto restoreNamed = [named](Raw& raw) { restore(raw, {named}); };
    const auto caption = [named](int i) { return i % 2 ? named.caption : named.caption + QStringLiteral(" Janela"); };
    c.push_back({"getMudaNome", restoreNamed, restoreNamed, {},
                 [=](int i) {
                     ServiceResult r;
                     return done(getMudaNome(kBranch, kConf, named.number, named.page, caption(i), named.type,
                                             named.auxType, named.auxNumber, named.auxPage, caption(i + 1), r),
                                 r);
                 },
                 [=](Raw& raw, int i) {
                     Binds b = keyBinds(named);
                     b.push_back({":P_DSBUTTON", caption(i).toStdString()});
                     b.push_back({":P_DSBUTTON_LIDO", caption(i + 1).toStdString()});
                     raw.begin();
                     raw.run("acmMudaNome", b);
                     raw.commit();
                 }});

    // setDelAmbiente removes DECK (area button 06) with its twelve tables on
    // two pages; they come back, paused.
    const QList<qdlbench::ButtonRow> deck = qdlbench::deckButtons();
    const auto restoreDeck = [deck](Raw& raw) { restore(raw, deck); };
    c.push_back({"setDelAmbiente", restoreDeck, restoreDeck, restoreDeck,
                 [](int) {
                     ServiceResult r;
                     return done(setDelAmbiente(kBranch, kConf, "DECK", "06", "4", "0", "0", "0", "1", r), r);
                 },
                 [=](Raw& raw, int) {
                     const Binds area = {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf}, {":P_CDSALA", "DECK"},
                                         {":P_IDTPBUTONAUX", "4"}, {":P_NRBUTTONAUX", "06"}};
                     if (raw.run("adqMesasAmb", area) > 0)
                         fail("DECK has a pending table");
                     raw.begin();
                     // The area button first, then the table buttons read after it.
                     raw.run("acmDelAmbiente", {{":P_CDFILIAL", branch}, {":P_NRCONFTELA", conf},
                                                {":P_IDTPBUTTON", "4"}, {":P_NRBUTTON", "06"},
                                                {":P_NRPGCONFTELA", "1"}, {":P_IDTPBUTONAUX", "0"},
                                                {":P_NRBUTTONAUX", "0"}, {":P_NRPGCONFTAUX", "0"},
                                                {":P_CDIDENTBUTON", "DECK"}});
                     std::vector<Row> rows;
                     raw.run("adqTodasMesasAmb", area, &rows);
                     // I.* follows the eight MESA columns: CDFILIAL, NRCONFTELA,
                     // IDTPBUTTON, NRBUTTON, CDIDENTBUTON, ... as the table declares them.
                     for (const Row& t : rows)
                         raw.run("acmDelAmbiente", {{":P_CDFILIAL", t[8]}, {":P_NRCONFTELA", t[9]},
                                                    {":P_IDTPBUTTON", t[10]}, {":P_NRBUTTON", t[11]},
                                                    {":P_CDIDENTBUTON", t[12]}, {":P_IDTPBUTONAUX", t[17]},
                                                    {":P_NRBUTTONAUX", t[18]}, {":P_NRPGCONFTELA", t[19]},
                                                    {":P_NRPGCONFTAUX", t[20]}});
                     raw.commit();
                 }});

    // setDeleta removes the first DECK table button; it comes back, paused.
    const qdlbench::ButtonRow deleted = tableButton("06", "1", "01");
    const auto restoreDeleted = [deleted](Raw& raw) { restore(raw, {deleted}); };
    c.push_back({"setDeleta", restoreDeleted, restoreDeleted, restoreDeleted,
                 [deleted](int) {
                     ServiceResult r;
                     return done(setDeleta(kBranch, kConf, deleted.number, deleted.page, deleted.type,
                                           deleted.auxType, deleted.auxNumber, deleted.auxPage, r),
                                 r);
                 },
                 [deleted](Raw& raw, int) {
                     const Binds key = keyBinds(deleted);
                     if (raw.run("adqSTMesa", key) == 0)
                         fail("the DECK table may not go");
                     raw.begin();
                     raw.run("acmDeleta", key);
                     raw.commit();
                 }});

    const qdlbench::ButtonRow coloured = tableButton("01", "1", "02");
    const auto restoreColoured = [coloured](Raw& raw) { restore(raw, {coloured}); };
    const auto colour = [coloured](int i) {
        return i % 2 ? QString::number(coloured.back) : QStringLiteral("8421631");
    };
    c.push_back({"getMudaCor", restoreColoured, restoreColoured, {},
                 [=](int i) {
                     ServiceResult r;
                     return done(getMudaCor(kBranch, kConf, coloured.number, coloured.page, colour(i), coloured.type,
                                            coloured.auxType, coloured.auxNumber, coloured.auxPage, colour(i + 1), r),
                                 r);
                 },
                 [=](Raw& raw, int i) {
                     Binds b = keyBinds(coloured);
                     b.push_back({":P_NRCOLORBACK", colour(i).toStdString()});
                     b.push_back({":P_NRCOLORBACK_LIDO", colour(i + 1).toStdString()});
                     raw.begin();
                     raw.run("acmMudaCor", b);
                     raw.commit();
                 }});
    const auto text = [coloured](int i) {
        return i % 2 ? QString::number(coloured.text) : QStringLiteral("16777215");
    };
    c.push_back({"getMudaFonte", restoreColoured, restoreColoured, {},
                 [=](int i) {
                     const ServiceResult r =
                         getMudaFonte(kBranch, kConf, coloured.number, coloured.page, text(i), coloured.type,
                                      coloured.auxType, coloured.auxNumber, coloured.auxPage, text(i + 1));
                     return done(0, r);
                 },
                 [=](Raw& raw, int i) {
                     Binds b = keyBinds(coloured);
                     b.push_back({":P_NRCOLORTEXT", text(i).toStdString()});
                     b.push_back({":P_NRCOLORTEXT_LIDO", text(i + 1).toStdString()});
                     raw.begin();
                     raw.run("acmMudaFonte", b);
                     raw.commit();
                 }});
    return c;
}

enum class Layer { Ours, Floor };
const char* const kLayerNames[] = {"ours", "floor"};

void runCase(benchmark::State& state, ChainDb& db, const Case& c, Layer layer)
{
    try {
        Raw& raw = db.putBack();
        Raw& measured = db.floor();
        const bool ours = layer == Layer::Ours;
        if (ours)
            useOurs(db);
        if (c.setUp)
            c.setUp(raw);
        int i = 0;
        for (auto _ : state) {
            if (c.beforeEach) {
                state.PauseTiming();
                c.beforeEach(raw);
                state.ResumeTiming();
            }
            if (ours) {
                const QString error = c.ours(i);
                if (!error.isEmpty())
                    fail(error.toStdString());
            } else {
                c.floor(measured, i);
            }
            ++i;
        }
        if (c.tearDown)
            c.tearDown(raw);
    } catch (const std::exception& e) {
        // Leave no transaction open behind: the next benchmark would wait on it.
        db.floor().rollback();
        db.putBack().rollback();
        if (rdmConfMesa)
            rdmConfMesa->Rollback();
        state.SkipWithError(e.what());
    }
}

// ---------------------------------------------------------------------------
// The summary: medians per service and size, and the two ratios.

struct Medians {
    // backend -> service -> layer -> rows -> median (µs)
    std::map<std::string, std::map<std::string, std::map<std::string, std::map<qint64, double>>>> values;
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter()
        : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular)
    {
    }
    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& r : reports) {
            if (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median" || r.error_occurred)
                continue;
            const QStringList parts = QString::fromStdString(r.run_name.function_name).split(QLatin1Char('/'));
            if (parts.size() != 4)
                continue;
            const double us = r.GetAdjustedRealTime() * multiplierToMicros(r.time_unit);
            m_medians.values[parts[0].toStdString()][parts[1].toStdString()][parts[2].toStdString()]
                            [parts[3].toLongLong()] = us;
        }
        ConsoleReporter::ReportRuns(reports);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [backend, services] : m_medians.values) {
            std::set<qint64> sizes;
            for (const auto& [service, layers] : services)
                for (const auto& [layer, bySize] : layers)
                    for (const auto& [rows, us] : bySize)
                        sizes.insert(rows);
            if (sizes.empty())
                continue;
            const qint64 small = *sizes.begin(), large = *sizes.rbegin();
            std::printf("\n%s: median latency (µs) through our layers, by rows of ITMENUCONFTE\n", backend.c_str());
            std::printf("%-17s", "service");
            for (qint64 s : sizes)
                std::printf(" %10lld", s);
            std::printf(" %9s %9s %9s\n", "large/sm", "floor", "ours/flr");
            for (const auto& [service, layers] : services) {
                std::printf("%-17s", service.c_str());
                const auto ours = layers.find("ours");
                const auto floor = layers.find("floor");
                for (qint64 s : sizes) {
                    const double v = ours != layers.end() && ours->second.count(s) ? ours->second.at(s) : NAN;
                    std::printf(" %10.1f", v);
                }
                const auto at = [](const auto& it, const auto& end, qint64 s) {
                    return it != end && it->second.count(s) ? it->second.at(s) : NAN;
                };
                const double growth = at(ours, layers.end(), large) / at(ours, layers.end(), small);
                const double flr = at(floor, layers.end(), large);
                const double o = at(ours, layers.end(), large);
                std::printf(" %9.2f %9.1f %9.2f\n", growth, flr, o / flr);
            }
            std::printf("large/sm: median at %lld rows / median at %lld rows (goal <= 2); floor: the C API at "
                        "%lld rows; ours/flr goal <= 1.2\n",
                        large, small, large);
        }
        std::fflush(stdout);
    }

private:
    static double multiplierToMicros(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond: return 1e-3;
        case benchmark::kMicrosecond: return 1;
        case benchmark::kMillisecond: return 1e3;
        case benchmark::kSecond: return 1e6;
        }
        return 1;
    }
    Medians m_medians;
};

std::vector<qint64> sizesFromEnvironment()
{
    const QString text = qEnvironmentVariable("QDL_BENCH_SIZES", QStringLiteral("1000,10000,100000,1000000"));
    std::vector<qint64> sizes;
    for (const QString& s : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        sizes.push_back(s.trimmed().toLongLong());
    return sizes;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);

    const QString dir = qEnvironmentVariable("QDL_BENCH_DIR", QStringLiteral("/var/tmp/qdl-bench"));
    const QString pgServer = qEnvironmentVariable("QDL_BENCH_PG_URL");
    const int repetitions = qEnvironmentVariableIntValue("QDL_BENCH_REPETITIONS") > 0
                                ? qEnvironmentVariableIntValue("QDL_BENCH_REPETITIONS")
                                : 5;
    bool ok = false;
    double minTime = qEnvironmentVariable("QDL_BENCH_MIN_TIME").toDouble(&ok);
    if (!ok || minTime <= 0)
        minTime = 0.2;

    static std::vector<std::unique_ptr<ChainDb>> databases;
    for (qint64 rows : sizesFromEnvironment()) {
        const QString file = QStringLiteral("%1/chain-%2.db").arg(dir).arg(rows);
        if (QFileInfo::exists(file))
            databases.push_back(std::make_unique<ChainDb>(ChainDb{"sqlite", rows, "sqlite:" + file, nullptr}));
        else
            std::fprintf(stderr, "no %s: make it with qdl-gen (SQLite %lld skipped)\n", qPrintable(file), rows);
    }
    for (qint64 rows : sizesFromEnvironment()) {
        if (pgServer.isEmpty())
            break;
        const QString url = qdlbench::withDatabase(pgServer, QStringLiteral("qdl_chain_%1").arg(rows));
        if (qdlbench::postgresReachable(url))
            databases.push_back(std::make_unique<ChainDb>(ChainDb{"postgresql", rows, url, nullptr}));
        else
            std::fprintf(stderr, "no database %s (PostgreSQL %lld skipped)\n", qPrintable(url), rows);
    }

    static const std::vector<Case> all = cases();
    // By database, so each database is opened once.
    for (auto& db : databases) {
        for (const Case& c : all) {
            for (const Layer layer : {Layer::Ours, Layer::Floor}) {
                const std::string name = db->backend + "/" + c.service + "/" + kLayerNames[int(layer)] + "/"
                                       + std::to_string(db->rows);
                ChainDb* target = db.get();
                const Case* which = &c;
                benchmark::RegisterBenchmark(name.c_str(), [target, which, layer](benchmark::State& s) {
                    runCase(s, *target, *which, layer);
                })
                    ->Unit(benchmark::kMicrosecond)
                    ->UseRealTime()
                    ->MinTime(minTime)
                    ->Repetitions(repetitions)
                    ->ReportAggregatesOnly(true);
            }
        }
    }

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
    databases.clear();
    return 0;
}

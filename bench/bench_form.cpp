// The screen's own work, on the real form under the offscreen platform, on
// the chain databases of qdl-gen (branch 9999 has the same layout at every
// size):
//   Open               the form created, initialised, shown and painted once
//   MontaMenuMesa      one rebuild of the table menu (48 table buttons stored
//                      on area button 01, page 1) and the repaint it causes
//   MontaMenuMesaPaging the same, alternating pages 1 and 2 (48 and 6 stored)
//   Confirm100Colours  Confirm with 100 pending background colours
// The menu and confirmation runs report the paint events of the area and
// table buttons per iteration.
//
// Environment as bench_services: QDL_BENCH_DIR, QDL_BENCH_PG_URL,
// QDL_BENCH_SIZES (default 1000,1000000 here), QDL_BENCH_REPETITIONS.

#include <QApplication>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "benchdata.h"
#include "connection.h"
#include "guard.h"
#include "messages.h"

namespace {

// Counts paint events of the menu buttons.
class PaintCounter : public QObject {
public:
    qint64 paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Screen {
    std::unique_ptr<PaintCounter> counter = std::make_unique<PaintCounter>();

    explicit Screen(const QString& connection)
    {
        setConnectionStringOverride(connection);
        frmConfMesa = new TfrmConfMesa(nullptr);
        frmConfMesa->InicializaForm({}, -1);
        frmConfMesa->show();
        settle();
        for (int i = 1; i <= NRBUTTONSMESA; ++i)
            frmConfMesa->tableButton(i)->installEventFilter(counter.get());
        for (int i = 1; i <= NRBUTTONSAMBI; ++i)
            frmConfMesa->areaButton(i)->installEventFilter(counter.get());
    }
    ~Screen()
    {
        delete frmConfMesa;
        frmConfMesa = nullptr;
        delete rdmConfMesa;
        rdmConfMesa = nullptr;
    }
    // Lets the form paint what it has to.
    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

void installHost()
{
    // No operator here: information messages go by, questions are answered
    // yes, a general error is printed.
    setMensagemProc([](const MessageRequest& r) {
        if (!r.isQuestion())
            std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return true;
    });
    setGeneralErrorReport([](const QString& m) { std::fprintf(stderr, "error: %s\n", qPrintable(m)); });
}

void benchOpen(benchmark::State& state, QString connection)
{
    for (auto _ : state)
        Screen screen(connection);
}

void benchTableMenu(benchmark::State& state, QString connection)
{
    Screen screen(connection);
    const qint64 before = screen.counter->paints;
    for (auto _ : state) {
        frmConfMesa->MontaMenuMesa();
        Screen::settle();
    }
    state.counters["paints"] =
        benchmark::Counter(double(screen.counter->paints - before), benchmark::Counter::kAvgIterations);
    if (frmConfMesa->cdsPesqMesas.RecordCount() != NRBUTTONSMESA)
        state.SkipWithError("area button 01, page 1 does not hold 48 table buttons");
}

// The rebuild when the page changes under it (1 and 2 of area button 01 in
// turn: 48 stored buttons, then 6): the buttons repaint.
void benchTableMenuPaging(benchmark::State& state, QString connection)
{
    Screen screen(connection);
    const qint64 before = screen.counter->paints;
    for (auto _ : state) {
        frmConfMesa->NrPagina = frmConfMesa->NrPagina == 1 ? 2 : 1;
        frmConfMesa->MontaMenuMesa();
        Screen::settle();
    }
    state.counters["paints"] =
        benchmark::Counter(double(screen.counter->paints - before), benchmark::Counter::kAvgIterations);
}

// The first hundred table buttons of 9999/00001, in layout order.
QList<qdlbench::ButtonRow> hundredTables()
{
    QList<qdlbench::ButtonRow> rows;
    for (const qdlbench::ButtonRow& r : qdlbench::screenBranch().buttons)
        if (r.conf == qdlbench::kConf && r.type == u"3" && rows.size() < 100)
            rows << r;
    return rows;
}

// Each row's colour goes over the one before: the generated one (no
// colour given), else the last batch's.
void fillPending(const QList<qdlbench::ButtonRow>& rows, const QString& colour, const QString& before)
{
    TClientDataSet& ds = frmConfMesa->cdsAlteracoes;
    ds.EmptyDataSet();
    for (const qdlbench::ButtonRow& r : rows) {
        ds.Append();
        ds.FieldByName(QStringLiteral("NRBUTTON")).setAsString(r.number);
        ds.FieldByName(QStringLiteral("IDTPBUTTON")).setAsString(r.type);
        ds.FieldByName(QStringLiteral("NRPGCONFTELA")).setAsString(r.page);
        ds.FieldByName(QStringLiteral("IDTPBUTONAUX")).setAsString(r.auxType);
        ds.FieldByName(QStringLiteral("NRBUTONAUX")).setAsString(r.auxNumber);
        ds.FieldByName(QStringLiteral("NRPGCONFTAUX")).setAsString(r.auxPage);
        ds.FieldByName(QStringLiteral("NRCOLOR")).setAsString(colour);
        ds.FieldByName(QStringLiteral("NRCOLORLIDO")).setAsString(before.isEmpty() ? QString::number(r.back) : before);
        ds.FieldByName(QStringLiteral("CDSALA")).setAsString(QString());
        ds.Post();
    }
}

void benchConfirm(benchmark::State& state, QString connection)
{
    Screen screen(connection);
    const QList<qdlbench::ButtonRow> rows = hundredTables();
    if (rows.size() != 100) {
        state.SkipWithError("the layout has fewer than 100 table buttons");
        return;
    }
    int i = 0;
    qint64 paints = 0;
    QString written; // the last batch's colour
    for (auto _ : state) {
        state.PauseTiming();
        boMudaCor = true;
        const QString colour = i++ % 2 ? QStringLiteral("8421631") : QStringLiteral("12632256");
        fillPending(rows, colour, written);
        written = colour;
        const qint64 before = screen.counter->paints;
        state.ResumeTiming();
        const bool ok = runGuarded([] { frmConfMesa->tcbConfirmaClick(frmConfMesa->tcbConfirma); });
        Screen::settle();
        state.PauseTiming();
        paints += screen.counter->paints - before;
        if (!ok || frmConfMesa->cdsAlteracoes.RecordCount() != 0) {
            state.SkipWithError("the confirmation stopped");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["paints"] = benchmark::Counter(double(paints), benchmark::Counter::kAvgIterations);
    // The colours as generated.
    for (const qdlbench::ButtonRow& r : rows) {
        ServiceResult out;
        getMudaCor(qdlbench::kBranch, r.conf, r.number, r.page, QString::number(r.back), r.type, r.auxType,
                   r.auxNumber, r.auxPage, written.isEmpty() ? QString::number(r.back) : written, out);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installHost();

    const QString dir = qEnvironmentVariable("QDL_BENCH_DIR", QStringLiteral("/var/tmp/qdl-bench"));
    const QString pgServer = qEnvironmentVariable("QDL_BENCH_PG_URL");
    const int repetitions = qEnvironmentVariableIntValue("QDL_BENCH_REPETITIONS") > 0
                                ? qEnvironmentVariableIntValue("QDL_BENCH_REPETITIONS")
                                : 5;
    QList<std::pair<QString, QString>> databases; // name, connection
    for (const QString& rows : qEnvironmentVariable("QDL_BENCH_SIZES", QStringLiteral("1000,1000000")).split(',')) {
        const QString file = QStringLiteral("%1/chain-%2.db").arg(dir, rows.trimmed());
        if (QFileInfo::exists(file))
            databases.append({QStringLiteral("sqlite/") + rows.trimmed(), QStringLiteral("sqlite:") + file});
        if (!pgServer.isEmpty()) {
            const QString url = qdlbench::withDatabase(pgServer, QStringLiteral("qdl_chain_") + rows.trimmed());
            if (qdlbench::postgresReachable(url))
                databases.append({QStringLiteral("postgresql/") + rows.trimmed(), url});
        }
    }
    if (databases.isEmpty())
        std::fprintf(stderr, "no chain database found (see scripts/bench-services.sh)\n");

    for (const auto& [name, connection] : databases) {
        const auto add = [&](const char* what, void (*fn)(benchmark::State&, QString)) {
            const QString parts = name; // backend/rows
            const std::string full = QStringLiteral("%1/%2/%3")
                                         .arg(parts.section('/', 0, 0), QLatin1String(what), parts.section('/', 1, 1))
                                         .toStdString();
            benchmark::RegisterBenchmark(full.c_str(), fn, connection)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Repetitions(repetitions)
                ->ReportAggregatesOnly(true);
        };
        add("Open", benchOpen);
        add("MontaMenuMesa", benchTableMenu);
        add("MontaMenuMesaPaging", benchTableMenuPaging);
        add("Confirm100Colours", benchConfirm);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

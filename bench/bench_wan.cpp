// The operator's actions on the real form (offscreen, dialogs scripted) as a
// terminal far from the server sees them: run through qdl-delay-proxy, each
// action's round trips (read from the proxy's count file) and time.
//
//   bench_wan postgresql://qdl@127.0.0.1:PROXYPORT/db COUNTFILE [ROWS]
// The database holds the demo layout (qdl-host --create-demo); the table
// placed and the colours written are left as they are. scripts/bench-wan.sh
// starts the proxy and runs this.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "connection.h"
#include "guard.h"
#include "scriptedhost.h"
#include "siblings.h"

namespace {

QString g_countFile;

long long roundTrips()
{
    QFile f(g_countFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : -1;
}

void measure(const char* what, const std::function<void()>& action)
{
    const long long before = roundTrips();
    QElapsedTimer clock;
    clock.start();
    const bool ok = runGuarded(action);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    std::printf("%-40s %3lld round trips %8.1f ms%s\n", what, roundTrips() - before, ms, ok ? "" : "  (FAILED)");
    std::fflush(stdout);
}

bool isFree(TSpeedButton* b)
{
    return b->text() == QLatin1String(" ");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_wan CONNECTION COUNTFILE [ROWS]\n");
        return 2;
    }
    setConnectionStringOverride(QString::fromLocal8Bit(argv[1]));
    g_countFile = QString::fromLocal8Bit(argv[2]);
    int rows = argc > 3 ? std::atoi(argv[3]) : 5;
    ScriptedHost host;

    measure("opening (connection included)", [] {
        frmConfMesa = new TfrmConfMesa(nullptr);
        frmConfMesa->InicializaForm({}, -1);
        frmConfMesa->show();
        QCoreApplication::processEvents();
    });
    TfrmConfMesa* form = frmConfMesa;
    QList<int> occupied, free;
    const auto survey = [&] {
        occupied.clear();
        free.clear();
        for (int i = 1; i <= 48; ++i)
            if (TSpeedButton* b = form->tableButton(i); b && b->isVisible())
                (isFree(b) ? free : occupied) << i;
    };

    for (const char* pass : {"first", "again"}) {
        const QByteArray p(pass);
        measure(("area click, " + p).constData(), [&] { form->tcbAmb01Click(form->areaButton(2)); });
        measure(("area click back, " + p).constData(), [&] { form->tcbAmb01Click(form->areaButton(1)); });
        survey();
        if (occupied.isEmpty() || free.isEmpty()) {
            std::fprintf(stderr, "bench_wan: area 01 needs an occupied and a free table button\n");
            return 2;
        }
        form->tcbLimparClick(form->tcbLimpar);
        measure(("table click (clear mode), " + p).constData(),
                [&] { form->tcb01Click(form->tableButton(occupied.first())); });
        form->tcbCancelaClick(form->tcbCancela);

        host.picks.push_back({QString(), QString()}); // the operator closes the pick list
        measure(("table click (placement: up to the list), " + p).constData(),
                [&] { form->tcb01Click(form->tableButton(free.first())); });

        form->tcbNomeClick(form->tcbNome);
        host.typed.push_back(QStringLiteral("Mesa %1").arg(p == "first" ? 1 : 2));
        measure(("rename, " + p).constData(), [&] { form->tcb01Click(form->tableButton(occupied.first())); });
    }

    // A placement written: the list's first table is picked.
    const PesquisaProc scripted = Pesquisa;
    Pesquisa = [](TClientDataSet& ds, const QString&, const QString&, int, int, int, int, int) {
        return !ds.IsEmpty();
    };
    for (const char* pass : {"first", "again"}) {
        survey();
        measure((QByteArray("placement (click, list, pick, write), ") + pass).constData(),
                [&] { form->tcb01Click(form->tableButton(free.first())); });
    }
    Pesquisa = scripted;

    // A confirmation of n rows: the text colour of n tables.
    survey();
    rows = std::min<int>(rows, int(occupied.size()));
    for (const char* pass : {"first", "again"}) {
        host.colours.push_back(QStringLiteral("%1").arg(pass[0] == 'f' ? 255 : 65280));
        form->tcbCorTextoClick(form->tcbCorTexto);
        for (int i = 0; i < rows; ++i)
            form->tcb01Click(form->tableButton(occupied[i]));
        measure((QByteArray("confirmation of ") + QByteArray::number(rows) + " rows, " + pass).constData(),
                [&] { form->tcbConfirmaClick(form->tcbConfirma); });
    }
    delete frmConfMesa;
    frmConfMesa = nullptr;
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
    return 0;
}

// Live refresh, measured on the real form under the offscreen platform:
//   latency  another connection commits a new caption of area button 01;
//            the time until the open screen shows it (100 times)
//   cost     one refresh (the watch's look at the rows, then both menus
//            rebuilt) against one rebuild of both menus as Cancel makes it
//
//   bench_refresh sqlite:/path/demo.db
//   bench_refresh postgresql://user@host:port/db
// The database must hold the demo layout (qdl-host --create-demo).

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "adoconnection.h"
#include "connection.h"

namespace {

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%-28s median %7.2f ms  p90 %7.2f ms  worst %7.2f ms  (n=%zu)\n", what, percentile(ms, 0.5),
                percentile(ms, 0.9), *std::max_element(ms.begin(), ms.end()), ms.size());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_refresh CONNECTION\n");
        return 2;
    }
    const QString connection = QString::fromLocal8Bit(argv[1]);
    setConnectionStringOverride(connection);
    frmConfMesa = new TfrmConfMesa(nullptr);
    frmConfMesa->InicializaForm({}, -1);
    frmConfMesa->show();
    QCoreApplication::processEvents();

    TADOConnection other;
    other.ConnectionString = connection;
    DbError error;
    std::unique_ptr<TADOQuery> rename;
    try {
        other.setConnected(true);
        rename = other.prepare(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = :P_DSBUTTON WHERE CDFILIAL = '9999' "
                                              "AND NRCONFTELA = '00001' AND IDTPBUTTON = '4' AND NRBUTTON = '01'"),
                               error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    if (!rename) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 2;
    }

    std::vector<double> latency;
    for (int i = 0; i < 100; ++i) {
        const QString caption = QStringLiteral("Sala %1").arg(i);
        QElapsedTimer clock;
        rename->bindText(":P_DSBUTTON", caption);
        if (!rename->exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(rename->lastError().message()));
            return 2;
        }
        rename->finish();
        clock.start(); // the commit has returned
        while (frmConfMesa->areaButton(1)->text() != caption && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        latency.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    report("commit -> screen shows it", latency);

    std::vector<double> rebuild, refresh;
    for (int i = 0; i < 100; ++i) {
        QElapsedTimer clock;
        clock.start();
        frmConfMesa->tcbCancelaClick(frmConfMesa->tcbCancela);
        rebuild.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        frmConfMesa->layoutChangedElsewhere();
        refresh.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    report("menu rebuild (Cancel)", rebuild);
    report("refresh", refresh);

    rename.reset();
    delete frmConfMesa;
    frmConfMesa = nullptr;
    delete rdmConfMesa;
    rdmConfMesa = nullptr;
    return 0;
}

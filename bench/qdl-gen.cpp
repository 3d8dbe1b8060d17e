// qdl-gen: fills a database with a restaurant chain for the benchmarks.
//
//   qdl-gen --database sqlite:/tmp/chain.db --rows 1000000 [--replace] [--seed 5] [--analyze]
//   qdl-gen --database postgresql://qdl@127.0.0.1:5432/chain --rows 100000 --replace

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "benchdata.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Fills a database with a restaurant chain (branch 9999 always)."));
    parser.addHelpOption();
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("sqlite:PATH or postgresql:// URL."),
                                      QStringLiteral("URL"));
    const QCommandLineOption rows(QStringLiteral("rows"), QStringLiteral("ITMENUCONFTE rows, at least."),
                                  QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Layout seed."), QStringLiteral("S"),
                                  QStringLiteral("5"));
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QStringLiteral("Remove the SQLite file / drop and create the PostgreSQL database first."));
    const QCommandLineOption analyze(QStringLiteral("analyze"),
                                     QStringLiteral("Run ANALYZE on SQLite too (PostgreSQL always)."));
    parser.addOptions({database, rows, seed, replace, analyze});
    parser.process(app);
    if (!parser.isSet(database)) {
        std::fprintf(stderr, "qdl-gen: --database is required\n");
        return 2;
    }
    const QString url = parser.value(database);
    bool ok = false;
    const qint64 target = parser.value(rows).toLongLong(&ok);
    if (!ok || target < 1) {
        std::fprintf(stderr, "qdl-gen: --rows wants a positive number\n");
        return 2;
    }
    try {
        if (parser.isSet(replace))
            qdlbench::resetDatabase(url);
        const qdlbench::LoadReport r =
            qdlbench::generateChain(url, target, parser.value(seed).toUInt(), parser.isSet(analyze));
        std::printf("%lld branches, %lld ITMENUCONFTE rows, %lld MESA rows, %lld SALA rows in %.1f s\n",
                    r.branches, r.buttons, r.tables, r.areas, r.seconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qdl-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}

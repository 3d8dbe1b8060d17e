// qdl-drill: the real screen, offscreen, with the operator dialogs scripted,
// driven as a separate process so that a drill can kill it or run two of it
// at once. It reports on standard output, one fact a line.
//
//   qdl-drill confirm  --database URL --mode colour|clear [--colour N]
//       Records a pending change on each of the 100 table buttons of area
//       button 01 (pages 1 to 3), says CONFIRMING, confirms, says DONE.
//   qdl-drill terminal --database URL --operations N --seed S
//       One terminal of several: places and clears areas on area buttons
//       01-03 and tables on table buttons 01-06, refreshing now and then,
//       and says RESULT with what happened.
//   qdl-drill open     --database URL
//       Opens the screen and says OPENED.
//   qdl-drill watch    --database URL --caption TEXT
//       Opens the screen, says OPENED, and waits (10 s at most) for area
//       button 01 to show the caption another screen gives it: says SEEN
//       (exit 0) or TIMEOUT (exit 1).
//   qdl-drill rename-area --database URL --caption TEXT
//       Opens the screen, renames area button 01 through the keyboard path
//       and says RENAMED with what the operator was told.
//   qdl-drill writes   --database URL [--as-nobody]
//       Tries a placement, a rename, a colour and a clear, and says what the
//       operator was told (for a database that cannot be written).

#include <QApplication>
#include <QCommandLineParser>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <unistd.h>

#include "historywriter.h"
#include "Cli_qdl00005.h"
#include "Srv_qdl00005.h"
#include "clientdataset.h"
#include "connection.h"
#include "process.h"
#include "screensession.h"
#include "siblings.h"

namespace {

void say(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// One line for a message that may span several.
QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String(" | "));
}

class Drill : public ScreenSession {
public:
    using ScreenSession::ScreenSession;

    // False (and the reason said) when the screen did not open.
    bool open()
    {
        try {
            if (!startScreen(form)) {
                say(QStringLiteral("STARTUP-ERROR the screen was not shown"));
                return false;
            }
        } catch (const std::exception& e) {
            say(QStringLiteral("STARTUP-ERROR ") + oneLine(QString::fromUtf8(e.what())));
            reportMessages();
            return false;
        }
        return true;
    }

    bool isFree(QAbstractButton* b) const { return b->text() == QLatin1String(" "); }

    // The table page shown, as paging would show it (the paging commands
    // are hidden inside a mode, and a batch here spans pages).
    void showPage(int page)
    {
        form->NrPagina = page;
        form->MontaMenuMesa();
    }

    void reportMessages()
    {
        for (const MessageRequest& m : std::as_const(host.messages))
            say(QStringLiteral("MESSAGE ") + oneLine(m.text));
        for (const QString& e : std::as_const(host.errors))
            say(QStringLiteral("ERROR ") + oneLine(e));
        host.clearRecords();
    }
};

// ---- confirm: a batch of 100 pending changes ------------------------------------

int runConfirm(Drill& d, const QString& mode, const QString& colour)
{
    if (!d.open())
        return 3;
    const bool clear = mode == QLatin1String("clear");
    if (clear) {
        d.key(Qt::Key_F7);
    } else {
        d.host.colours.push_back(colour);
        d.key(Qt::Key_F6);
    }
    int pending = 0;
    for (int page = 1; page <= 3; ++page) {
        d.showPage(page);
        for (int n = 1; n <= NRBUTTONSMESA; ++n) {
            TSpeedButton* b = d.form->tableButton(n);
            if (d.isFree(b))
                continue;
            d.click(b);
            ++pending;
        }
    }
    say(QStringLiteral("PENDING %1").arg(pending));
    say(QStringLiteral("CONFIRMING"));
    d.key(Qt::Key_Return, Qt::ControlModifier);
    d.reportMessages();
    say(QStringLiteral("DONE %1").arg(d.form->cdsAlteracoes.RecordCount()));
    return 0;
}

// ---- terminal: one of several screens on one layout -----------------------------

struct Tally {
    int operations = 0, placements = 0, placed = 0, refused = 0, overtaken = 0, silent = 0, clears = 0, refusedClears = 0,
        refreshes = 0, notices = 0, failures = 0, errors = 0;
};

int runTerminal(Drill& d, int operations, quint32 seed)
{
    if (!d.open())
        return 3;
    QRandomGenerator random(seed);
    // The pick list picks any offered row.
    Pesquisa = [&random](TClientDataSet& ds, const QString&, const QString&, int, int, int, int, int) {
        if (ds.RecordCount() == 0)
            return false;
        ds.setRecNo(int(random.bounded(ds.RecordCount())));
        return true;
    };
    Tally t;
    const auto settle = [&](bool placing, bool placedOnScreen) {
        const QStringList services = d.host.services();
        bool toldInsert = false;
        for (const MessageRequest& m : std::as_const(d.host.messages)) {
            if (m.text.contains(QLatin1String("getInsere")) || m.text == TfrmConfMesa::changedElsewhereText()) {
                toldInsert = true;
                say(QStringLiteral("REFUSED ") + oneLine(m.text));
            } else if (m.isQuestion()) {
                // the clear question, answered yes
            } else if (m.text == d.form->msgPadrao.Msg(QStringLiteral("Mesa_Ind"))) {
                ++t.refusedClears; // the button had gone meanwhile
            } else if (m.text.contains(QLatin1String("falhou"))) {
                ++t.failures; // any other service failing
                say(QStringLiteral("FAILURE ") + oneLine(m.text));
            } else {
                ++t.notices; // "choose an area first" and the like
            }
        }
        for (const QString& e : std::as_const(d.host.errors)) {
            ++t.errors;
            say(QStringLiteral("ERROR ") + oneLine(e));
        }
        if (placing && services.contains(QStringLiteral("getInsere"))) {
            ++t.placements;
            if (toldInsert)
                ++t.refused;
            else if (placedOnScreen)
                ++t.placed;
            else if (services.contains(QStringLiteral("getPesqAmbientes")))
                ++t.overtaken; // written, then the screen showed another terminal clearing it
            else
                ++t.silent; // neither told nor shown: a placement lost without a word
        }
        d.host.clearRecords();
    };

    for (int op = 0; op < operations; ++op) {
        ++t.operations;
        const int choice = int(random.bounded(10));
        if (choice < 3) { // an area button: select it, or place an area on it
            TTouchButton* b = d.form->areaButton(1 + int(random.bounded(3)));
            const bool wasFree = d.isFree(b);
            d.click(b);
            settle(wasFree, !d.isFree(b));
        } else if (choice < 6) { // a table button of the selected area
            TSpeedButton* b = d.form->tableButton(1 + int(random.bounded(6)));
            const bool wasFree = d.isFree(b);
            d.click(b);
            settle(wasFree, !d.isFree(b));
        } else if (choice < 9) { // clear one or two buttons
            d.key(Qt::Key_F7);
            const int marks = 1 + int(random.bounded(2));
            for (int m = 0; m < marks; ++m) {
                QAbstractButton* b = random.bounded(3) == 0
                    ? static_cast<QAbstractButton*>(d.form->areaButton(1 + int(random.bounded(3))))
                    : static_cast<QAbstractButton*>(d.form->tableButton(1 + int(random.bounded(6))));
                if (!d.isFree(b))
                    d.click(b);
            }
            d.key(Qt::Key_Return, Qt::ControlModifier);
            if (boExcluir) // nothing marked: leave the mode
                d.key(Qt::Key_F2);
            ++t.clears;
            settle(false, false);
        } else { // look again at what is stored
            d.key(Qt::Key_F7);
            d.key(Qt::Key_F2);
            ++t.refreshes;
            settle(false, false);
        }
    }
    say(QStringLiteral("RESULT operations=%1 placements=%2 placed=%3 refused=%4 silent=%5 clears=%6 "
                       "refused-clears=%7 refreshes=%8 notices=%9 failures=%10 errors=%11 overtaken=%12")
            .arg(t.operations)
            .arg(t.placements)
            .arg(t.placed)
            .arg(t.refused)
            .arg(t.silent)
            .arg(t.clears)
            .arg(t.refusedClears)
            .arg(t.refreshes)
            .arg(t.notices)
            .arg(t.failures)
            .arg(t.errors)
            .arg(t.overtaken));
    Pesquisa = nullptr;
    return 0;
}

// ---- writes: every kind of write once -----------------------------------------------

int runWrites(Drill& d)
{
    if (!d.open())
        return 0; // refusing to open is an answer too; it was said
    say(QStringLiteral("OPENED"));
    d.host.picks.push_back({QStringLiteral("NRMESA"), QStringLiteral("2")});
    d.click(d.form->tableButton(2));
    say(QStringLiteral("STEP place"));
    d.reportMessages();

    // A mode on table button 1: the change confirmed where the mode
    // batches it, what the operator was told said, the mode left.
    const auto inMode = [&d](Qt::Key mode, bool confirm, const QString& step) {
        d.key(mode);
        d.click(d.form->tableButton(1));
        if (confirm)
            d.key(Qt::Key_Return, Qt::ControlModifier);
        say(QStringLiteral("STEP ") + step);
        d.reportMessages();
        d.key(Qt::Key_F2);
    };
    d.host.typed.push_back(QStringLiteral("Outro nome")); // asked for on the tap, not on F3
    inMode(Qt::Key_F3, false, QStringLiteral("rename"));
    d.host.colours.push_back(QStringLiteral("255"));
    inMode(Qt::Key_F6, true, QStringLiteral("colour"));
    inMode(Qt::Key_F7, true, QStringLiteral("clear"));

    // Still answering: the next page shows.
    d.click(d.form->tcbProximo);
    say(QStringLiteral("PAGE %1").arg(d.form->NrPagina));
    return 0;
}

// ---- two screens: one renames, the other sees it -------------------------------------

int runWatch(Drill& d, const QString& caption)
{
    if (!d.open())
        return 3;
    say(QStringLiteral("OPENED"));
    const bool seen = QTest::qWaitFor([&] { return d.form->areaButton(1)->text() == caption; }, 10000);
    say(seen ? QStringLiteral("SEEN") : QStringLiteral("TIMEOUT"));
    return seen ? 0 : 1;
}

int runRenameArea(Drill& d, const QString& caption)
{
    if (!d.open())
        return 3;
    d.host.typed.push_back(caption);
    d.key(Qt::Key_F3);
    d.click(d.form->areaButton(1));
    say(QStringLiteral("RENAMED"));
    d.reportMessages();
    return 0;
}

// Drops root for a user who cannot write a root-owned file.
bool becomeNobody()
{
    if (geteuid() != 0)
        return true;
    return setgid(65534) == 0 && setuid(65534) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--as-nobody") == 0 && !becomeNobody()) {
            std::fprintf(stderr, "qdl-drill: cannot drop to user nobody\n");
            return 4;
        }
    }
    QApplication app(argc, argv);
    nameHistoryWriterOfEverySession();
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("drill"), QStringLiteral("confirm, terminal or writes"));
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("Connection string."),
                                      QStringLiteral("URL"));
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("colour or clear."), QStringLiteral("MODE"),
                                  QStringLiteral("colour"));
    const QCommandLineOption colour(QStringLiteral("colour"), QStringLiteral("Text colour to confirm."),
                                    QStringLiteral("N"), QStringLiteral("255"));
    const QCommandLineOption operations(QStringLiteral("operations"), QStringLiteral("Operations to run."),
                                        QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed."), QStringLiteral("S"),
                                  QStringLiteral("1"));
    const QCommandLineOption caption(QStringLiteral("caption"), QStringLiteral("Caption of area button 01."),
                                     QStringLiteral("TEXT"));
    const QCommandLineOption nobody(QStringLiteral("as-nobody"), QStringLiteral("Run as user nobody."));
    parser.addOptions({database, mode, colour, operations, seed, caption, nobody});
    parser.process(app);
    const QString drill = parser.positionalArguments().value(0);

    Drill d(parser.value(database));
    if (drill == QLatin1String("confirm"))
        return runConfirm(d, parser.value(mode), parser.value(colour));
    if (drill == QLatin1String("terminal"))
        return runTerminal(d, parser.value(operations).toInt(), parser.value(seed).toUInt());
    if (drill == QLatin1String("writes"))
        return runWrites(d);
    if (drill == QLatin1String("watch"))
        return runWatch(d, parser.value(caption));
    if (drill == QLatin1String("rename-area"))
        return runRenameArea(d, parser.value(caption));
    if (drill == QLatin1String("open")) {
        if (!d.open())
            return 3;
        say(QStringLiteral("OPENED"));
        return 0;
    }
    std::fprintf(stderr, "qdl-drill: unknown drill \"%s\"\n", qPrintable(drill));
    return 2;
}

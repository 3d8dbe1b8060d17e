#include "layoutcommand.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTextStream>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "adoconnection.h"
#include "connection.h"
#include "errors.h"
#include "layoutfile.h"
#include "storedvalues.h"
#include "textutil.h"

namespace {

QString tr(const char* text, int n = -1)
{
    return QCoreApplication::translate("LayoutCommand", text, nullptr, n);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + printableText(text) + QLatin1Char('"');
}

// Begins the command's summary lines.
QString where(const LayoutCommand& c)
{
    return tr("Filial %1, configuração %2").arg(quoted(c.branch), quoted(c.configuration));
}

// What an apply did, one button a line, and the status it answers.
int report(const LayoutChanges& changes, const LayoutCommand& c, QTextStream& out)
{
    if (changes.held()) {
        out << tr("%1: retida por %2; nada foi lido nem gravado nesta configuração.").arg(where(c), changes.heldBy) << Qt::endl;
        return 1;
    }
    for (const QString& line : changes.added)
        out << "+ " << line << Qt::endl;
    for (const QString& line : changes.changed)
        out << "~ " << line << Qt::endl;
    for (const QString& line : changes.removed)
        out << "- " << line << Qt::endl;
    for (const QString& line : changes.skipped)
        out << tr("Ignorado: %1").arg(line) << Qt::endl;
    if (changes.skippedCount > changes.skipped.size())
        out << tr("Ignorado(s) mais %1 botão(ões), não listado(s) um a um.").arg(changes.skippedCount - changes.skipped.size()) << Qt::endl;
    for (const QString& line : changes.problems)
        out << tr("Problema: %1").arg(line) << Qt::endl;
    for (const QString& line : changes.inUse)
        out << tr("Em uso: %1").arg(line) << Qt::endl;
    out << tr("%1: %2 incluído(s), %3 mudado(s), %4 removido(s), %5 ignorado(s).")
               .arg(where(c))
               .arg(changes.added.size())
               .arg(changes.changed.size())
               .arg(changes.removed.size())
               .arg(changes.skippedCount)
        << Qt::endl;
    if (!changes.inUse.isEmpty()) {
        out << tr("Há mesas em uso cujos botões seriam removidos: nada foi gravado nesta configuração.") << Qt::endl;
        return 1;
    }
    if (changes.refused()) {
        out << tr("O leiaute resultante não passou na conferência: nada foi gravado.") << Qt::endl;
        return 1;
    }
    if (c.dryRun)
        out << tr("Simulação (--dry-run): nada foi gravado.") << Qt::endl;
    else if (changes.added.isEmpty() && changes.changed.isEmpty() && changes.removed.isEmpty())
        out << tr("O leiaute já era este: nada mudou.") << Qt::endl;
    else
        out << tr("Gravado.") << Qt::endl;
    return 0;
}

// Why a name that is not a regular file is refused.
QString notARegularFile(mode_t mode)
{
    const QString kind = S_ISLNK(mode)                    ? tr("um link simbólico")
                         : S_ISDIR(mode)                  ? tr("uma pasta")
                         : S_ISCHR(mode) || S_ISBLK(mode) ? tr("um dispositivo")
                         : S_ISFIFO(mode)                 ? tr("um FIFO")
                                                          : tr("um socket");
    return tr("não é um arquivo comum, é %1").arg(kind);
}

// Writes the layout file: whole or not at all (a file cut short by a full
// disk would import as a smaller layout), and only ever as a regular file of
// that name. The text goes to a new file beside it, created here (O_EXCL),
// which then takes the name: rename(2) replaces the name itself and follows
// no link. A name that stands for anything else is refused before anything
// is written: a symbolic link (in a shared folder, someone else's, pointing
// the write at a file of root's), a device (/dev/null would become a
// regular file), a FIFO, a folder. A file replaced keeps its permissions; a
// new one gets those the umask leaves. Answers why it could not, or nothing.
std::optional<QString> writeLayoutFile(const QString& path, const QByteArray& text)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    std::optional<mode_t> keptMode;
    if (::lstat(name.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return notARegularFile(st.st_mode);
        keptMode = st.st_mode & 0777;
    } else if (errno != ENOENT) {
        return qt_error_string(errno);
    }

    const QFileInfo info(path);
    const QByteArray start = QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName()) + '.';
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = start + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return qt_error_string(errno);
    auto removeTemporary = qScopeGuard([&temporary] { ::unlink(temporary.constData()); });
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    if (keptMode && ::fchmod(fd, *keptMode) != 0)
        return qt_error_string(errno);
    if (file.write(text) != text.size() || !file.flush())
        return file.errorString();
    if (::fsync(fd) != 0)
        return qt_error_string(errno);
    file.close();
    if (::rename(temporary.constData(), name.constData()) != 0)
        return qt_error_string(errno);
    removeTemporary.dismiss();
    return std::nullopt;
}

int exportLayout(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    requireConfiguration(db, c.branch, c.configuration);
    const QList<ButtonRow> buttons = readLayout(db, c.branch, c.configuration);
    if (const std::optional<QString> failed = writeLayoutFile(c.argument, layoutFileText(buttons))) {
        err << tr("Não foi possível gravar %1: %2").arg(c.argument, *failed) << Qt::endl;
        return 2;
    }
    out << tr("%1: %n botão(ões) exportado(s) para %2.", int(buttons.size())).arg(where(c), c.argument) << Qt::endl;
    return 0;
}

// Reads a layout file to import: a regular file (a symbolic link to one is
// followed) of at most kLayoutFileLimit bytes, read into one buffer of its
// size. Anything else would never end: a FIFO would wait for a writer for
// ever, /dev/zero fill the memory. The name is looked at before it is opened
// (opening some devices does something by itself), and what was opened is
// judged, O_NONBLOCK keeping a FIFO from waiting meanwhile. Says on err why
// it refuses.
std::optional<QByteArray> readLayoutFile(const QString& path, QTextStream& err)
{
    const QByteArray name = QFile::encodeName(path);
    const auto refuse = [&](const QString& why) {
        err << tr("Não foi possível ler %1: %2").arg(path, why) << Qt::endl;
        return std::nullopt;
    };
    struct stat st;
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return refuse(notARegularFile(st.st_mode));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refuse(qt_error_string(errno));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(file.errorString());
    }
    if (::fstat(fd, &st) != 0)
        return refuse(qt_error_string(errno));
    if (!S_ISREG(st.st_mode))
        return refuse(notARegularFile(st.st_mode));
    if (st.st_size > kLayoutFileLimit) {
        err << tr("%1 recusado: tem %2 bytes, mais que os %3 MiB que uma importação lê")
                   .arg(path, QString::number(st.st_size), QString::number(kLayoutFileLimit / (1024 * 1024)))
            << Qt::endl;
        return std::nullopt;
    }
    // One byte more than it had, to see a file that grew since.
    QByteArray text(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < text.size()) {
        const qint64 read = file.read(text.data() + size, text.size() - size);
        if (read < 0)
            return refuse(file.errorString());
        if (read == 0)
            break;
        size += read;
    }
    if (size > st.st_size)
        return refuse(tr("o arquivo mudou enquanto era lido"));
    text.truncate(size);
    return text;
}

// The buttons of the file to import, or nothing when it cannot be read or
// is not a layout file (said on err).
std::optional<LayoutButtons> layoutToImport(const QString& path, QTextStream& err)
{
    const std::optional<QByteArray> text = readLayoutFile(path, err);
    if (!text)
        return std::nullopt;
    try {
        return parseLayoutFile(*text);
    } catch (const EQdlError& e) {
        err << tr("%1 recusado: %2").arg(path, e.message()) << Qt::endl;
        return std::nullopt;
    }
}

int importLayout(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    std::optional<LayoutButtons> buttons = layoutToImport(c.argument, err);
    if (!buttons)
        return 2;
    // The way a roll-out writes a branch: on PostgreSQL its reads and its
    // transaction go in two round trips when nothing stands in the way.
    LayoutRollout rollout(db, c.configuration, std::move(*buttons), c.dryRun);
    rollout.writeTogether({c.branch});
    return report(rollout.apply(c.branch), c, out);
}

// ---- One file into several branches ----

// The codes of --branch CODE,CODE..., each once, in the order given.
QStringList namedBranches(const QString& codes)
{
    QStringList branches;
    for (const QString& code : codes.split(QLatin1Char(',')))
        if (!branches.contains(code.trimmed()))
            branches << code.trimmed();
    return branches;
}

bool severalBranches(const LayoutCommand& c)
{
    return c.kind == LayoutCommand::Kind::Import && (c.allBranches || c.branch.contains(QLatin1Char(',')));
}

// How one branch's import ended, for the summary.
struct BranchOutcome {
    enum class Result { Written, Unchanged, Refused, Failed, Held };
    QString branch;
    Result result = Result::Failed;
    qsizetype added = 0, changed = 0, removed = 0, skipped = 0;
    QString why; // refused or failed: the first reason
};

// One branch's import, through the same door and with the same report as a
// single import; a failure is this branch's alone (applyLayout rolled its
// transaction back).
BranchOutcome importIntoBranch(LayoutRollout& rollout, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    BranchOutcome o{c.branch};
    try {
        const LayoutChanges changes = rollout.apply(c.branch);
        o.added = changes.added.size();
        o.changed = changes.changed.size();
        o.removed = changes.removed.size();
        o.skipped = changes.skippedCount;
        if (changes.held()) {
            report(changes, c, out);
            o.result = BranchOutcome::Result::Held;
            o.why = changes.heldBy;
        } else if (report(changes, c, out) != 0) {
            o.result = BranchOutcome::Result::Refused;
            o.why = changes.inUse.isEmpty() ? changes.problems.value(0) : changes.inUse.constFirst();
        } else {
            o.result = o.added + o.changed + o.removed == 0 ? BranchOutcome::Result::Unchanged : BranchOutcome::Result::Written;
        }
    } catch (const std::exception& e) {
        o.why = printableText(ADOExceptionMessage(e, nullptr, QString()), LineBreaks::Keep);
        err << tr("Filial %1: nada foi gravado nesta filial: %2").arg(quoted(c.branch), o.why) << Qt::endl;
        o.why = o.why.section(QLatin1Char('\n'), 0, 0);
    }
    return o;
}

// The table of the branches and the counts under it. Answers the exit status.
int summarize(const QList<BranchOutcome>& outcomes, bool dryRun, QTextStream& out)
{
    using R = BranchOutcome::Result;
    out << Qt::endl << tr("Resumo, %1 filial(is):").arg(outcomes.size()) << Qt::endl;
    const QStringList head{tr("Filial"), tr("Incluídos"), tr("Mudados"), tr("Removidos"), tr("Ignorados"), tr("Resultado")};
    const auto line = [&out, &head](const QStringList& cells) {
        QString text = cells[0].leftJustified(qMax<qsizetype>(head[0].size(), 6));
        for (int i = 1; i < 5; ++i)
            text += QStringLiteral("  ") + cells[i].rightJustified(head[i].size());
        out << text << QStringLiteral("  ") << cells[5] << Qt::endl;
    };
    line(head);
    int counts[5] = {};
    QStringList refused, failed, held;
    for (const BranchOutcome& o : outcomes) {
        ++counts[int(o.result)];
        const QString result = o.result == R::Written     ? (dryRun ? tr("mudaria (simulação)") : tr("gravada"))
                               : o.result == R::Unchanged ? tr("sem mudança")
                               : o.result == R::Refused   ? tr("recusada: %1").arg(o.why)
                               : o.result == R::Held      ? tr("retida: %1").arg(o.why)
                                                          : tr("erro: %1").arg(o.why);
        line({printableText(o.branch), QString::number(o.added), QString::number(o.changed), QString::number(o.removed),
              QString::number(o.skipped), result});
        if (o.result == R::Refused)
            refused << printableText(o.branch);
        else if (o.result == R::Held)
            held << printableText(o.branch);
        else if (o.result == R::Failed)
            failed << printableText(o.branch);
    }
    out << (dryRun ? tr("%1 mudaria(m), %2 sem mudança, %3 recusada(s), %4 com erro; simulação (--dry-run), nada foi gravado.")
                   : tr("%1 gravada(s), %2 sem mudança, %3 recusada(s), %4 com erro."))
                   .arg(counts[int(R::Written)])
                   .arg(counts[int(R::Unchanged)])
                   .arg(counts[int(R::Refused)])
                   .arg(counts[int(R::Failed)])
        << Qt::endl;
    if (!refused.isEmpty())
        out << tr("Recusada(s): %1.").arg(refused.join(QStringLiteral(", "))) << Qt::endl;
    if (!failed.isEmpty())
        out << tr("Com erro: %1.").arg(failed.join(QStringLiteral(", "))) << Qt::endl;
    if (!held.isEmpty())
        out << tr("Retida(s) por outra sessão, não tentada(s) de novo: %1; rode o comando outra vez para elas.")
                   .arg(held.join(QStringLiteral(", ")))
            << Qt::endl;
    return !failed.isEmpty() ? 2 : !refused.isEmpty() || !held.isEmpty() ? 1 : 0;
}

// The file read and parsed once, then imported into each branch over the
// one connection.
int importIntoBranches(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    std::optional<LayoutButtons> buttons = layoutToImport(c.argument, err);
    if (!buttons)
        return 2;
    const QStringList branches = c.allBranches ? branchesWithConfiguration(db, c.configuration) : namedBranches(c.branch);
    if (branches.isEmpty()) {
        err << tr("Nenhuma filial além da central %1 tem a configuração de tela %2 (num PostgreSQL, entre as que o papel vê); "
                  "qdl-host --branches lista as filiais e as suas configurações.")
                   .arg(quoted(QLatin1String(kCentralBranch)), quoted(c.configuration))
            << Qt::endl;
        return 2;
    }
    LayoutRollout rollout(db, c.configuration, std::move(*buttons), c.dryRun);
    rollout.writeTogether(branches);
    QList<BranchOutcome> outcomes;
    QString lost; // once the server is gone, the branches left are not tried
    for (const QString& branch : branches) {
        if (!lost.isEmpty()) {
            outcomes << BranchOutcome{branch, BranchOutcome::Result::Failed, 0, 0, 0, 0, lost};
            continue;
        }
        LayoutCommand one = c;
        one.branch = branch;
        if (!outcomes.isEmpty())
            out << Qt::endl;
        out << tr("== Filial %1 ==").arg(quoted(branch)) << Qt::endl;
        outcomes << importIntoBranch(rollout, one, out, err);
        if (outcomes.constLast().result == BranchOutcome::Result::Failed && db.Lost())
            lost = tr("não tentada: a conexão com o banco de dados caiu");
    }
    return summarize(outcomes, c.dryRun, out);
}

int restoreLayout(TADOConnection& db, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    const std::optional<QDateTime> at = parseCommandLineTime(c.argument);
    if (!at) {
        err << tr("Hora inválida para --restore: %1 (use a hora local em ISO 8601, como \"2026-12-07T14:30\" ou "
                  "\"2026-12-07 14:30:05\").")
                   .arg(quoted(c.argument))
            << Qt::endl;
        return 2;
    }
    requireConfiguration(db, c.branch, c.configuration);
    const QList<ButtonRow> buttons = readLayoutAt(db, c.branch, c.configuration, *at);
    out << tr("%1: o leiaute de %2 (%3 UTC) tinha %n botão(ões).", int(buttons.size()))
               .arg(where(c), at->toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                    at->toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        << Qt::endl;
    return report(applyLayout(db, c.branch, c.configuration, buttons, c.dryRun), c, out);
}

} // namespace

int runLayoutCommand(const QString& connectionString, const LayoutCommand& c, QTextStream& out, QTextStream& err)
{
    const bool several = severalBranches(c);
    // Every code named is checked before anything is done.
    const QStringList named = !several ? QStringList{c.branch} : c.allBranches ? QStringList{} : namedBranches(c.branch);
    const auto bad = std::find_if(named.cbegin(), named.cend(), [](const QString& b) { return b.trimmed().isEmpty() || b.size() > 4; });
    if (bad != named.cend() || c.configuration.trimmed().isEmpty() || c.configuration.size() > 5) {
        err << tr("Filial (até 4 caracteres) ou configuração (até 5) inválida: %1, %2.")
                   .arg(quoted(bad != named.cend() ? *bad : c.branch), quoted(c.configuration))
            << Qt::endl;
        return 2;
    }
    try {
        TADOConnection db;
        db.ConnectionString = connectionString;
        db.setConnected(true);
        switch (c.kind) {
        case LayoutCommand::Kind::Export:
            return exportLayout(db, c, out, err);
        case LayoutCommand::Kind::Import:
            return several ? importIntoBranches(db, c, out, err) : importLayout(db, c, out, err);
        case LayoutCommand::Kind::Restore:
            return restoreLayout(db, c, out, err);
        }
    } catch (const std::exception& e) {
        // The database's own words may quote a stored value.
        const QString why = printableText(ADOExceptionMessage(e, nullptr, QString()), LineBreaks::Keep);
        err << (c.kind == LayoutCommand::Kind::Export ? tr("Nada foi exportado: %1")
                                                      : tr("O comando não foi concluído; nada foi gravado no banco de dados: %1"))
                   .arg(why)
            << Qt::endl;
    }
    return 2;
}

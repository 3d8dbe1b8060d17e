#include "layoutfile.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "adoconnection.h"
#include "statement.h"
#include "consistency.h"
#include "errors.h"
#include "layoutrules.h"
#include "schemaupgrade.h"
#include "serveroperations.h"
#include "storedvalues.h"
#include "terminalbranches.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("LayoutFile", text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + printableText(text) + QLatin1Char('"');
}

using qdl::Statement;

std::optional<QString> optionalText(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

std::optional<double> optionalNumber(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

const QString kButtonColumns = QStringLiteral("IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, "
                                              "CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, DTULTATUITCT");

ButtonRow buttonOfRow(const TADOQuery& q)
{
    ButtonRow b;
    QString* const key[] = {&b.type, &b.number, &b.page, &b.parentType, &b.parentNumber, &b.parentPage, &b.code};
    for (int i = 0; i < 7; ++i)
        *key[i] = q.value(i).toString();
    b.caption = optionalText(q.value(7));
    b.textColour = optionalNumber(q.value(8));
    b.backColour = optionalNumber(q.value(9));
    b.message = optionalText(q.value(10));
    b.updated = optionalText(q.value(11));
    return b;
}

// What an operator recognises: the area or table and where it stands.
QString describe(const ButtonRow& b)
{
    return qdl::layout::describeButton(b);
}

QString colourText(const std::optional<double>& c)
{
    return c ? QString::number(*c, 'g', 17) : QStringLiteral("-");
}

QString differences(const ButtonRow& was, const ButtonRow& now)
{
    QStringList what;
    if (was.code != now.code)
        what << tr("código %1 em vez de %2").arg(quoted(now.code), quoted(was.code));
    if (was.caption != now.caption)
        what << tr("nome %1 em vez de %2").arg(quoted(now.caption.value_or(QString())), quoted(was.caption.value_or(QString())));
    if (was.textColour != now.textColour)
        what << tr("cor do texto %1 em vez de %2").arg(colourText(now.textColour), colourText(was.textColour));
    if (was.backColour != now.backColour)
        what << tr("cor do fundo %1 em vez de %2").arg(colourText(now.backColour), colourText(was.backColour));
    if (was.message != now.message)
        what << tr("mensagem %1 em vez de %2").arg(quoted(now.message.value_or(QString())), quoted(was.message.value_or(QString())));
    return what.join(QStringLiteral(", "));
}

// ---- The file's text ----

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c <= 0x9f);
}

bool isEscaped(char16_t c)
{
    return isControl(c) || c == u'\\';
}

QString escaped(const QString& text)
{
    static const char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!isEscaped(c)) {
            out += ch;
            continue;
        }
        switch (c) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default:
            out += QLatin1String("\\x");
            out += QLatin1Char(hex[(c >> 4) & 0xF]);
            out += QLatin1Char(hex[c & 0xF]);
        }
    }
    return out;
}

const QString kNull = QStringLiteral("\\N");

QString optionalField(const std::optional<QString>& text)
{
    return text ? escaped(*text) : kNull;
}

// A colour as the file holds it: a whole number a button takes
// (storedColour), which an import takes back.
QString colourField(const std::optional<double>& colour, const ButtonRow& b)
{
    if (!colour)
        return kNull;
    if (!std::isfinite(*colour) || std::trunc(*colour) != *colour)
        throw EQdlError(tr("O %1 tem uma cor gravada que não é um número inteiro (%2): corrija-a na tela antes de exportar.")
                            .arg(describe(b), QString::number(*colour, 'g', 17)));
    const std::optional<int> whole = storedColour(*colour);
    if (!whole)
        throw EQdlError(tr("O %1 tem uma cor gravada fora do intervalo de 0 a %2 (%3): corrija-a na tela antes de exportar.")
                            .arg(describe(b), QString::number(kHighestStoredColour), QString::number(*colour, 'g', 17)));
    return QString::number(*whole);
}

// Numbers of text sort as numbers: "2" before "10".
bool numericLess(const QString& a, const QString& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The schema's widths, as a file line is checked against them.
// The file's fields, in their order: the first eleven of the layout's columns.
const auto& kFields = qdl::layout::kColumnWidths;
constexpr int kFileFields = 11;
constexpr int kFieldCount = kFileFields;

class LineError {
public:
    explicit LineError(QString what) : text(std::move(what)) {}
    QString text;
};

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// One field's value; nullopt for \N. Throws LineError.
std::optional<QString> unescaped(QStringView field)
{
    if (field == kNull)
        return std::nullopt;
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (isControl(c.unicode()))
            throw LineError(tr("caractere de controle sem escape (\\x%1)").arg(int(c.unicode()), 2, 16, QLatin1Char('0')));
        if (c != u'\\') {
            out += c;
            continue;
        }
        const QChar next = i + 1 < field.size() ? field[i + 1] : QChar();
        i += 1;
        if (next == u'\\')
            out += u'\\';
        else if (next == u't')
            out += u'\t';
        else if (next == u'n')
            out += u'\n';
        else if (next == u'r')
            out += u'\r';
        else if (next == u'x') {
            const QStringView digits = field.mid(i + 1, 2);
            const bool hex = digits.size() == 2 && isHexDigit(digits[0]) && isHexDigit(digits[1]);
            const int code = hex ? digits.toString().toInt(nullptr, 16) : -1;
            if (code < 0 || !isEscaped(char16_t(code)))
                throw LineError(tr("escape %1 inválido").arg(quoted(field.mid(i - 1, 4).toString())));
            out += QChar(char16_t(code));
            i += 2;
        } else {
            throw LineError(tr("escape %1 inválido").arg(quoted(field.mid(i - 1, 2).toString())));
        }
    }
    return out;
}

// A whole number of 1 to 10 decimal digits, an optional '-' before.
bool isWholeColour(QStringView field)
{
    const QStringView digits = field.startsWith(u'-') ? field.sliced(1) : field;
    return !digits.isEmpty() && digits.size() <= 10
        && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<double> colourOf(QStringView field, const char* name)
{
    if (field == kNull)
        return std::nullopt;
    if (!isWholeColour(field))
        throw LineError(tr("%1 %2 não é um número inteiro de até 10 dígitos nem \\N").arg(QLatin1String(name), quoted(field.toString())));
    const double colour = field.toDouble();
    if (!storedColour(colour))
        throw LineError(tr("%1 %2 fora do intervalo de 0 a %3").arg(QLatin1String(name), quoted(field.toString()), QString::number(kHighestStoredColour)));
    return colour;
}

// The button of one line (decoded, without its line end). Throws LineError.
ButtonRow parseLine(QStringView line)
{
    const qsizetype fieldCount = line.count(u'\t') + 1;
    if (fieldCount != kFieldCount)
        throw LineError(tr("%1 campos separados por tabulação em vez de %2").arg(fieldCount).arg(kFieldCount));
    QStringView fields[kFieldCount];
    for (qsizetype i = 0, start = 0; i < kFieldCount; ++i) {
        const qsizetype end = i + 1 < kFieldCount ? line.indexOf(u'\t', start) : line.size();
        fields[i] = line.sliced(start, end - start);
        start = end + 1;
    }
    std::optional<QString> values[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) {
        if (i == 8 || i == 9)
            continue;
        values[i] = unescaped(fields[i]);
        const bool nullable = i == 7 || i == 10;
        if (!values[i] && !nullable)
            throw LineError(tr("%1 não pode ser \\N").arg(QLatin1String(kFields[i].column)));
        if (values[i] && cutToWidth(*values[i], kFields[i].width).size() != values[i]->size())
            throw LineError(tr("%1 com mais de %2 caracteres").arg(QLatin1String(kFields[i].column)).arg(kFields[i].width));
    }
    ButtonRow b;
    QString* const key[] = {&b.type, &b.number, &b.page, &b.parentType, &b.parentNumber, &b.parentPage, &b.code};
    for (int i = 0; i < 7; ++i)
        *key[i] = *values[i];
    b.caption = values[7];
    b.textColour = colourOf(fields[8], kFields[8].column);
    b.backColour = colourOf(fields[9], kFields[9].column);
    b.message = values[10];
    return b;
}

// ---- Walking the file ----

// Calls visit(number, start, line) for each line of the text, by number from
// 1: its bytes, without the LF that ends it; the last line's own LF begins
// no further line. Stops when visit answers false.
template <class Visit>
void forEachLine(QByteArrayView text, Visit&& visit)
{
    qsizetype number = 1;
    for (qsizetype start = 0; start < text.size(); ++number) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        if (!visit(number, start, text.sliced(start, end - start)))
            return;
        start = end + 1;
    }
}

// One line's text in `line` (its buffer reused from line to line); false
// when it is not UTF-8. A CR before the LF is not part of it: a file saved
// with CRLF line ends.
bool decodeLine(QByteArrayView raw, QString& line)
{
    if (raw.endsWith('\r'))
        raw.chop(1);
    QStringDecoder decoder(QStringDecoder::Utf8);
    line.resize(raw.size()); // UTF-16 never takes more units than UTF-8 bytes
    const QChar* end = decoder.appendToBuffer(line.data(), raw);
    line.resize(end - line.constData());
    return !decoder.hasError();
}

bool isComment(QStringView line)
{
    return line.isEmpty() || line.startsWith(u'#');
}

// Where the button lines say the same: each line's key or placement, by a
// hash of its text and the line's start. Sorted, equal hashes stand
// together; their lines are read again to compare the texts themselves,
// so that a collision is never taken for a repeat. A few bytes a line
// where a hash of texts would hold every text.
struct Seen {
    size_t hash;
    qsizetype start;
    bool operator<(const Seen& o) const { return hash != o.hash ? hash < o.hash : start < o.start; }
};

struct Repeat {
    qsizetype start = -1; // the repeating line
    qsizetype first = -1; // the first line with that text
};

// The first line (in the file's order) whose text equals an earlier line's.
template <class TextAt>
std::optional<Repeat> firstRepeat(std::vector<Seen>& seen, TextAt&& textAt)
{
    std::sort(seen.begin(), seen.end());
    std::optional<Repeat> found;
    for (size_t run = 0, end = 0; run < seen.size(); run = end) {
        end = run + 1;
        while (end < seen.size() && seen[end].hash == seen[run].hash)
            ++end;
        for (size_t j = run + 1; j < end && !(found && seen[j].start >= found->start); ++j) {
            const QString text = textAt(seen[j].start);
            const auto same = std::find_if(seen.begin() + run, seen.begin() + j,
                                           [&](const Seen& earlier) { return textAt(earlier.start) == text; });
            if (same != seen.begin() + j) {
                found = Repeat{seen[j].start, same->start};
                break;
            }
        }
    }
    return found;
}

// ---- History ----

bool hasHistory(TADOConnection& db)
{
    const QString sql = db.isPostgres()
                            ? QStringLiteral("SELECT COUNT(*) FROM (SELECT to_regclass('qdl_historico') AS t) r WHERE t IS NOT NULL")
                            : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND upper(name) = 'QDL_HISTORICO'");
    return Statement(db, sql, tr("Erro ao procurar a tabela QDL_HISTORICO")).scalar().toInt() > 0;
}

std::optional<ButtonRow> buttonOfJson(const QVariant& column, qint64 record)
{
    if (column.isNull())
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(column.toString().toUtf8(), &error);
    if (!doc.isObject())
        throw EQdlError(tr("O registro %1 do histórico não traz a linha como um objeto JSON (%2).").arg(record).arg(error.errorString()));
    const QJsonObject o = doc.object();
    const auto text = [&o](const char* name) -> std::optional<QString> {
        const QJsonValue v = o.value(QLatin1String(name));
        if (v.isNull() || v.isUndefined())
            return std::nullopt;
        return v.isDouble() ? QString::number(v.toDouble(), 'g', 17) : v.toString();
    };
    const auto number = [&o](const char* name) -> std::optional<double> {
        const QJsonValue v = o.value(QLatin1String(name));
        if (v.isNull() || v.isUndefined())
            return std::nullopt;
        return v.isString() ? v.toString().toDouble() : v.toDouble();
    };
    ButtonRow b;
    b.key() = qdl::layout::ButtonKey::fromColumns([&text](const char* name) { return text(name).value_or(QString()); });
    b.code = text("CDIDENTBUTON").value_or(QString());
    b.caption = text("DSBUTTON");
    b.textColour = number("NRCOLORTEXT");
    b.backColour = number("NRCOLORBACK");
    b.message = text("DSMESSAGEBUT");
    b.updated = text("DTULTATUITCT");
    return b;
}

// ---- Writing ----

Statement& bindKey(Statement& q, const QString& branch, const QString& configuration, const ButtonRow& b)
{
    return q.bindText(":P_CDFILIAL", branch)
        .bindText(":P_NRCONFTELA", configuration)
        .bindText(":P_IDTPBUTTON", b.type)
        .bindText(":P_NRBUTTON", b.number)
        .bindText(":P_NRPGCONFTELA", b.page)
        .bindText(":P_IDTPBUTONAUX", b.parentType)
        .bindText(":P_NRBUTTONAUX", b.parentNumber)
        .bindText(":P_NRPGCONFTAUX", b.parentPage);
}

// A statement of the screen's own, run as the screen runs it: on
// PostgreSQL a write or a lock goes through the owner's operation.
Statement screenStatement(TADOConnection& db, const char* component, int schemaVersion)
{
    const qdl::StatementDef* def = qdl::statementDef(component);
    const QString step = tr("Erro ao preparar o comando %1").arg(QLatin1String(component));
    return Statement(qdl::prepareStatement(db, *def, schemaVersion, step), step, db.isPostgres());
}

// Local wall-clock time, as the screen writes DTULTATUITCT.
QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

// What a configuration's write is to do, worked out from what it holds and
// what it is to hold.
struct LayoutPlan {
    LayoutChanges changes;
    QList<ButtonRow> inserts, updates, deletes;
    bool writes() const { return !inserts.isEmpty() || !updates.isEmpty() || !deletes.isEmpty(); }
};

// Writes a plan with the screen's own statements, prepared once for every
// configuration it writes.
class Writer {
public:
    Writer(TADOConnection& db, int schemaVersion)
        : m_db(db), m_now(now()),
          m_insert(screenStatement(db, "acmInsere", schemaVersion)),
          m_update(screenStatement(db, "acmMudaBotao", schemaVersion)),
          m_delete(screenStatement(db, "acmDelAmbiente", schemaVersion))
    {
    }

    // Removes, then changes, then adds the buttons, each statement on the
    // one row it names. On PostgreSQL all of them go to the server ahead,
    // together (one round trip, not one a button); each run below then
    // takes its answer.
    void write(const QString& branch, const QString& configuration, const LayoutPlan& plan)
    {
        {
            qdl::Ahead ahead(m_db);
            sendAhead(ahead, branch, configuration, plan);
        }
        run(branch, configuration, plan);
    }

    void sendAhead(qdl::Ahead& ahead, const QString& branch, const QString& configuration, const LayoutPlan& plan)
    {
        forEach(branch, configuration, plan, [&ahead](Statement& q) { ahead.add(q.query()); });
    }

    // Its statements prepared ahead, before any transaction they run in.
    void prepareAhead(qdl::Ahead& ahead)
    {
        for (Statement* q : {&m_delete, &m_update, &m_insert})
            ahead.prepare(q->query());
    }

    // Runs the plan's statements in the order sendAhead sent them.
    void run(const QString& branch, const QString& configuration, const LayoutPlan& plan)
    {
        forEach(branch, configuration, plan, [](Statement& q) { once(q); });
    }

    // Each of the plan's statements in turn, bound, its step naming the
    // button.
    template <class Visit>
    void forEach(const QString& branch, const QString& configuration, const LayoutPlan& plan, Visit&& visit)
    {
        for (const ButtonRow& b : plan.deletes)
            visit(bindRemove(branch, configuration, b).setStep(tr("Erro ao remover o %1").arg(describe(b))));
        for (const ButtonRow& b : plan.updates)
            visit(bindUpdate(branch, configuration, b).setStep(tr("Erro ao mudar o %1").arg(describe(b))));
        for (const ButtonRow& b : plan.inserts)
            visit(bindInsert(branch, configuration, b).setStep(tr("Erro ao incluir o %1").arg(describe(b))));
    }

    // Each statement touches the one row it names; any other count means
    // another writer changed the configuration since it was read.
    static void once(Statement& q)
    {
        const int rows = q.run();
        if (rows != 1)
            throw EQdlError(q.step() + QStringLiteral(": ")
                            + tr("o leiaute foi mudado por outro terminal durante a operação; nada foi gravado. Tente de novo."));
    }

private:
    Statement& bindRemove(const QString& branch, const QString& configuration, const ButtonRow& b)
    {
        return bindKey(m_delete, branch, configuration, b).bindText(":P_CDIDENTBUTON", b.code);
    }

    Statement& bindInsert(const QString& branch, const QString& configuration, const ButtonRow& b)
    {
        bindKey(m_insert, branch, configuration, b).bindText(":P_CDIDENTBUTON", b.code);
        return bindValues(m_insert, b);
    }

    Statement& bindUpdate(const QString& branch, const QString& configuration, const ButtonRow& b)
    {
        bindKey(m_update, branch, configuration, b);
        return bindValues(m_update, b);
    }

    Statement& bindValues(Statement& q, const ButtonRow& b)
    {
        return q.bindOptional(":P_DSBUTTON", b.caption)
            .bindOptional(":P_NRCOLORTEXT", b.textColour)
            .bindOptional(":P_NRCOLORBACK", b.backColour)
            .bindOptional(":P_DSMESSAGEBUT", b.message)
            .bindText(":P_DTULTATUITCT", b.updated.value_or(m_now));
    }

    TADOConnection& m_db;
    QString m_now;
    Statement m_insert, m_update, m_delete;
};

// The branch's areas, and the areas of each table number (MESA's key
// includes the store: one number may stand in several).
struct BranchCodes {
    QSet<QString> areas;
    QHash<QString, QSet<QString>> tableAreas;
    QString defaultTable; // the configuration's store's, which no button takes
};

// The reads of a branch's codes, prepared once and run for each branch.
class BranchCodeReads {
public:
    explicit BranchCodeReads(TADOConnection& db)
        : m_store(db, QString::fromLatin1(qdl::layout::kDefaultTableSql), tr("Erro ao ler a mesa padrão da loja (LOJA)")),
          m_areas(db, QStringLiteral("SELECT CDSALA FROM SALA WHERE CDFILIAL = :P_CDFILIAL"),
                  tr("Erro ao ler os ambientes (SALA) da filial")),
          m_tables(db, QStringLiteral("SELECT NRMESA, CDSALA FROM MESA WHERE CDFILIAL = :P_CDFILIAL"),
                   tr("Erro ao ler as mesas (MESA) da filial"))
    {
    }

    // With the branch's values bound: sent ahead, then read with those.
    void sendAhead(qdl::Ahead& ahead, const QString& branch, const QString& configuration)
    {
        bind(branch, configuration);
        for (Statement* q : {&m_store, &m_areas, &m_tables})
            ahead.add(q->query());
    }

    BranchCodes read(const QString& branch, const QString& configuration)
    {
        bind(branch, configuration);
        BranchCodes codes;
        codes.defaultTable = m_store.scalar().toString();
        m_areas.forEachRow([&codes](const TADOQuery& q) { codes.areas.insert(q.value(0).toString()); });
        m_tables.forEachRow([&codes](const TADOQuery& q) { codes.tableAreas[q.value(0).toString()].insert(q.value(1).toString()); });
        return codes;
    }

private:
    void bind(const QString& branch, const QString& configuration)
    {
        m_store.bindText(":P_CDFILIAL", branch).bindText(":P_NRCONFTELA", configuration);
        m_areas.bindText(":P_CDFILIAL", branch);
        m_tables.bindText(":P_CDFILIAL", branch);
    }

    Statement m_store, m_areas, m_tables;
};

BranchCodes readBranchCodes(TADOConnection& db, const QString& branch, const QString& configuration)
{
    BranchCodeReads reads(db);
    {
        // Read together, one round trip on PostgreSQL; each read below takes
        // its answer.
        qdl::Ahead ahead(db);
        reads.sendAhead(ahead, branch, configuration);
    }
    return reads.read(branch, configuration);
}

// The buttons the branch can take, the others counted in changes.skipped.
QList<ButtonRow> matchToBranch(const LayoutButtons& buttons, const BranchCodes& codes, const QString& branch,
                                  LayoutChanges& changes)
{
    // The words are made only for the lines kept.
    const auto skip = [&changes](auto&& line) {
        if (changes.skippedCount++ < LayoutChanges::kMostSkippedLines)
            changes.skipped << line();
    };
    QHash<QString, ButtonRow> areaButtons; // by button number
    QSet<QString> skippedAreaButtons;
    QList<ButtonRow> kept;
    buttons.forEach([&](ButtonRow b) {
        if (b.type != kAreaButtonType)
            return;
        if (!codes.areas.contains(b.code)) {
            skip([&] { return tr("%1: o ambiente %2 não existe na filial %3.").arg(describe(b), quoted(b.code), quoted(branch)); });
            if (b.page == u"1")
                skippedAreaButtons.insert(b.number);
            return;
        }
        if (b.page == u"1")
            areaButtons.insert(b.number, b);
        kept << std::move(b);
    });
    buttons.forEach([&](ButtonRow b) {
        if (b.type == kAreaButtonType)
            return;
        if (b.type == kTableButtonType && b.parentType == kAreaButtonType && b.parentPage == u"1") {
            if (skippedAreaButtons.contains(b.parentNumber)) {
                skip([&] { return tr("%1: o botão de ambiente %2 ficou de fora.").arg(describe(b), quoted(b.parentNumber)); });
                return;
            }
            const auto areas = codes.tableAreas.constFind(b.code);
            if (areas == codes.tableAreas.cend()) {
                skip([&] { return tr("%1: a mesa %2 não existe na filial %3.").arg(describe(b), quoted(b.code), quoted(branch)); });
                return;
            }
            if (!codes.defaultTable.isEmpty() && b.code == codes.defaultTable) {
                skip([&] { return tr("%1: a mesa %2 é a mesa padrão da loja e não fica em botão.").arg(describe(b), quoted(b.code)); });
                return;
            }
            const auto parent = areaButtons.constFind(b.parentNumber);
            if (parent != areaButtons.cend() && !areas->contains(parent->code)) {
                skip([&] {
                    QStringList where(areas->begin(), areas->end());
                    where.sort();
                    return tr("%1: na filial %2 a mesa %3 é do ambiente %4, não do %5.")
                        .arg(describe(b), quoted(branch), quoted(b.code), quoted(where.join(QStringLiteral("\", \""))),
                             quoted(parent->code));
                });
                return;
            }
        }
        // Anything else the check judges: a table without its area button,
        // a button the screen never writes.
        kept << std::move(b);
    });
    return kept;
}

// The branch's tables in use: number -> name.
const char* const kTableStatesSql = "SELECT NRMESA, NMMESA, IDSTMESAAUX FROM MESA WHERE CDFILIAL = :P_CDFILIAL";

QHash<QString, QString> tablesInUseOf(Statement& states)
{
    QHash<QString, QString> inUse;
    states.forEachRow([&inUse](const TADOQuery& row) {
        if (qdl::layout::tableInUse(row.value(2).toString()))
            inUse.insert(row.value(0).toString(), row.value(1).toString());
    });
    return inUse;
}

// The buttons among those to be removed whose table is in use, one line each.
QStringList inUseLines(const QList<ButtonRow>& removed, const QHash<QString, QString>& inUse)
{
    QStringList lines;
    for (const ButtonRow& b : removed)
        if (b.type == kTableButtonType && inUse.contains(b.code))
            lines << tr("%1: a mesa %2 (%3) está ocupada ou reservada no sistema de restaurante e o botão dela não pode ser removido.")
                         .arg(describe(b), quoted(b.code), quoted(inUse.value(b.code)));
    return lines;
}

bool removesTables(const QList<ButtonRow>& removed)
{
    return std::any_of(removed.cbegin(), removed.cend(), [](const ButtonRow& b) { return b.type == kTableButtonType; });
}

// The buttons among those to be removed whose table is in use, one line
// each. On PostgreSQL the configuration's tables are locked before they are read, so
// none becomes occupied before this transaction ends (SQLite's writer keeps
// every other writer out already).
QStringList tablesInUse(TADOConnection& db, int schemaVersion, const QString& branch, const QString& configuration,
                        const QList<ButtonRow>& removed)
{
    if (!removesTables(removed))
        return {};
    Statement q(db, QString::fromLatin1(kTableStatesSql), tr("Erro ao ler a situação das mesas (MESA) da filial"));
    q.bindText(":P_CDFILIAL", branch);
    if (db.isPostgres()) {
        // The lock and the read go together, the lock first: one round trip.
        Statement lock = screenStatement(db, "adqTravaMesasConf", schemaVersion);
        lock.bindText(":P_CDFILIAL", branch).bindText(":P_NRCONFTELA", configuration);
        {
            qdl::Ahead ahead(db);
            ahead.add(lock.query());
            ahead.add(q.query());
        }
        lock.run();
    }
    return inUseLines(removed, tablesInUseOf(q));
}

// What writing `buttons` into a configuration that holds `current` does:
// the buttons the branch cannot take skipped, a new code written as a new
// row (the old one goes first, so that no code stands on two buttons at any
// moment), the rest changed in place, added or removed.
LayoutPlan planLayout(const QList<ButtonRow>& current, const LayoutButtons& buttons, const BranchCodes& codes,
                      const QString& branch)
{
    LayoutPlan plan;
    LayoutChanges& changes = plan.changes;
    QList<ButtonRow> wanted = matchToBranch(buttons, codes, branch, changes);
    sortLayout(wanted);

    QHash<QString, const ButtonRow*> stored;
    for (const ButtonRow& b : current)
        stored.insert(b.key().text(), &b);
    QSet<QString> kept;
    for (const ButtonRow& b : wanted) {
        kept.insert(b.key().text());
        const ButtonRow* was = stored.value(b.key().text());
        if (!was) {
            plan.inserts << b;
            changes.added << describe(b);
        } else if (!was->sameLayout(b)) {
            changes.changed << tr("%1: %2").arg(describe(b), differences(*was, b));
            if (was->code != b.code) {
                plan.deletes << *was;
                plan.inserts << b;
            } else {
                plan.updates << b;
            }
        }
    }
    for (const ButtonRow& b : current)
        if (!kept.contains(b.key().text())) {
            plan.deletes << b;
            changes.removed << describe(b);
        }
    return plan;
}

QString layoutRowsSql()
{
    return QStringLiteral("SELECT %1 FROM ITMENUCONFTE WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = :P_NRCONFTELA").arg(kButtonColumns);
}

QList<ButtonRow> layoutRowsOf(Statement& q)
{
    QList<ButtonRow> buttons;
    q.forEachRow([&buttons](const TADOQuery& row) { buttons << buttonOfRow(row); });
    sortLayout(buttons);
    return buttons;
}

const char* const kConfigurationCountSql =
    "SELECT COUNT(*) FROM CONFTELA WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = :P_NRCONFTELA";

} // namespace

LayoutButtons::LayoutButtons(const QList<ButtonRow>& buttons)
{
    m_buttons.reserve(size_t(buttons.size()));
    for (const ButtonRow& b : buttons)
        append(b);
}

void LayoutButtons::reserve(qsizetype buttons, qsizetype characters)
{
    m_buttons.reserve(size_t(buttons));
    m_texts.reserve(characters);
}

void LayoutButtons::squeeze()
{
    m_texts.squeeze();
    m_buttons.shrink_to_fit();
}

void LayoutButtons::append(const ButtonRow& b)
{
    const std::optional<QString> texts[kTexts] = {b.type, b.number, b.page, b.parentType, b.parentNumber,
                                                  b.parentPage, b.code, b.caption, b.message, b.updated};
    Packed p;
    for (int i = 0; i < kTexts; ++i) {
        p.sizes[i] = texts[i] ? quint32(texts[i]->size()) : kAbsent;
        if (texts[i])
            m_texts += *texts[i];
    }
    p.hasTextColour = b.textColour.has_value();
    p.textColour = b.textColour.value_or(0);
    p.hasBackColour = b.backColour.has_value();
    p.backColour = b.backColour.value_or(0);
    m_buttons.push_back(p);
}

ButtonRow LayoutButtons::built(const Packed& p, qsizetype& start) const
{
    std::optional<QString> texts[kTexts];
    for (int t = 0; t < kTexts; ++t)
        if (p.sizes[t] != kAbsent) {
            texts[t] = QStringView(m_texts).sliced(start, p.sizes[t]).toString();
            start += p.sizes[t];
        }
    ButtonRow b;
    QString* const required[] = {&b.type, &b.number, &b.page, &b.parentType, &b.parentNumber, &b.parentPage, &b.code};
    for (int t = 0; t < 7; ++t)
        *required[t] = texts[t].value_or(QString());
    b.caption = std::move(texts[7]);
    b.message = std::move(texts[8]);
    b.updated = std::move(texts[9]);
    if (p.hasTextColour)
        b.textColour = p.textColour;
    if (p.hasBackColour)
        b.backColour = p.backColour;
    return b;
}

QList<ButtonRow> LayoutButtons::toList() const
{
    QList<ButtonRow> list;
    list.reserve(size());
    forEach([&list](ButtonRow b) { list << std::move(b); });
    return list;
}

void sortLayout(QList<ButtonRow>& buttons)
{
    const auto rank = [](const ButtonRow& b) { return b.type == kAreaButtonType ? 0 : b.type == kTableButtonType ? 1 : 2; };
    std::sort(buttons.begin(), buttons.end(), [&rank](const ButtonRow& a, const ButtonRow& b) {
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        if (a.type != b.type)
            return a.type < b.type;
        const QString* const left[] = {&a.parentType, &a.parentNumber, &a.parentPage, &a.page, &a.number};
        const QString* const right[] = {&b.parentType, &b.parentNumber, &b.parentPage, &b.page, &b.number};
        for (int i = 0; i < 5; ++i)
            if (*left[i] != *right[i])
                return numericLess(*left[i], *right[i]);
        return false;
    });
}

QByteArray layoutFileText(QList<ButtonRow> buttons)
{
    sortLayout(buttons);
    QString text = QStringLiteral("%1\t%2\n").arg(QLatin1String(kLayoutFileFormat)).arg(kLayoutFileVersion);
    for (const ButtonRow& b : buttons) {
        const QStringList fields{escaped(b.type),       escaped(b.number),     escaped(b.page),
                                 escaped(b.parentType), escaped(b.parentNumber), escaped(b.parentPage),
                                 escaped(b.code),       optionalField(b.caption), colourField(b.textColour, b),
                                 colourField(b.backColour, b), optionalField(b.message)};
        text += fields.join(QLatin1Char('\t'));
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}

// Two passes over the text: the first checks every line, and where keys or
// codes repeat, keeping a hash and a position a line; only a file found
// good is read into rows. A file refused at its last line never costs its
// rows, and one read costs its rows and little more.
LayoutButtons parseLayoutFile(const QByteArray& bytes)
{
    const auto refuse = [](qsizetype line, const QString& what) {
        return EQdlError(tr("Linha %1: %2.").arg(line).arg(what));
    };
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    if (data.isEmpty())
        throw refuse(1, tr("arquivo vazio; a primeira linha deve ser \"%1<TAB>%2\"").arg(QLatin1String(kLayoutFileFormat)).arg(kLayoutFileVersion));

    QString line;
    const auto lineAt = [&](qsizetype start) {
        const qsizetype end = data.indexOf('\n', start);
        decodeLine(data.sliced(start, (end < 0 ? data.size() : end) - start), line);
        return parseLine(line);
    };
    const auto numberOf = [&](qsizetype start) { return data.first(start).count('\n') + 1; };

    // Lines that do not start with '#' and are not empty: as many as the
    // button lines or a few more.
    qsizetype mostButtons = 0;
    forEachLine(data, [&](qsizetype, qsizetype, QByteArrayView raw) {
        mostButtons += !raw.isEmpty() && raw.front() != '#' && !(raw.size() == 1 && raw.front() == '\r');
        return true;
    });
    std::vector<Seen> keys, codes;
    keys.reserve(size_t(mostButtons));
    codes.reserve(size_t(mostButtons));
    const size_t seed = QHashSeed::globalSeed();
    std::optional<EQdlError> badLine; // the first line that is not one this program writes
    qsizetype buttonCount = 0;
    forEachLine(data, [&](qsizetype number, qsizetype start, QByteArrayView raw) {
        if (!decodeLine(raw, line)) {
            badLine = refuse(number, tr("o texto não é UTF-8"));
            return false;
        }
        if (number == 1) {
            const QStringList header = line.split(QLatin1Char('\t'));
            if (header.size() != 2 || header[0] != QLatin1String(kLayoutFileFormat))
                throw refuse(number, tr("não é um arquivo de leiaute (a primeira linha deve ser \"%1<TAB>%2\")")
                                         .arg(QLatin1String(kLayoutFileFormat))
                                         .arg(kLayoutFileVersion));
            if (header[1] != QString::number(kLayoutFileVersion))
                throw refuse(number, tr("versão %1 do formato desconhecida; este programa lê a versão %2")
                                         .arg(quoted(header[1]))
                                         .arg(kLayoutFileVersion));
            return true;
        }
        if (isComment(line))
            return true;
        try {
            const ButtonRow b = parseLine(line);
            keys.push_back({qHash(b.key().text(), seed), start});
            codes.push_back({qHash(qdl::layout::placementOf(b.type, b.code), seed), start});
            ++buttonCount;
            return true;
        } catch (const LineError& e) {
            badLine = refuse(number, e.text);
            return false;
        }
    });

    // The first repeat comes before any bad line: only lines before it were seen.
    const std::optional<Repeat> key = firstRepeat(keys, [&](qsizetype start) { return lineAt(start).key().text(); });
    const std::optional<Repeat> code = firstRepeat(codes, [&](qsizetype start) {
        const ButtonRow b = lineAt(start);
        return qdl::layout::placementOf(b.type, b.code);
    });
    if (key && (!code || key->start <= code->start))
        throw refuse(numberOf(key->start), tr("o mesmo botão que a linha %1").arg(numberOf(key->first)));
    if (code)
        throw refuse(numberOf(code->start),
                     tr("o código %1 já está em um botão na linha %2").arg(quoted(lineAt(code->start).code)).arg(numberOf(code->first)));
    if (badLine)
        throw *badLine;
    keys = {};
    codes = {};

    // Decoded and unescaped, a line's texts never take more UTF-16 units
    // than it takes bytes.
    LayoutButtons buttons;
    buttons.reserve(buttonCount, data.size());
    forEachLine(data, [&](qsizetype number, qsizetype, QByteArrayView raw) {
        decodeLine(raw, line);
        if (number > 1 && !isComment(line))
            buttons.append(parseLine(line));
        return true;
    });
    buttons.squeeze();
    return buttons;
}

QList<ButtonRow> readLayout(TADOConnection& db, const QString& branch, const QString& configuration)
{
    const QString step = tr("Erro ao ler o leiaute da filial %1, configuração %2").arg(quoted(branch), quoted(configuration));
    Statement q(db, layoutRowsSql(), step);
    q.bindText(":P_CDFILIAL", branch);
    q.bindText(":P_NRCONFTELA", configuration);
    return layoutRowsOf(q);
}

namespace {

// The schema version from which each record of the history names its
// button (QDL_HISTORICO.DSCHAVE, indexed with the branch and configuration).
constexpr int kButtonHistorySchemaVersion = 7;

// A configuration's records that a restore to :P_DESDE reads, oldest first.
// When records name their button: for each button the configuration has
// had, its first record after the time (found through the index, one step a
// button), and every record after the time that names none (written before
// the records named buttons, or an update that moved a row to another key).
// So the records read follow the buttons, not how long ago the time is.
// Otherwise every record after the time.
QString changesAfterSql(bool postgres, bool byButton)
{
    const QString after = postgres ? QStringLiteral("CAST(:P_DESDE AS TIMESTAMPTZ)") : QStringLiteral(":P_DESDE");
    if (!byButton)
        return QStringLiteral("SELECT NRHISTORICO, DSANTES, DSDEPOIS FROM QDL_HISTORICO WHERE CDFILIAL = :P_CDFILIAL "
                              "AND NRCONFTELA = :P_NRCONFTELA AND DTALTERACAO > %1 ORDER BY DTALTERACAO, NRHISTORICO")
            .arg(after);
    return QStringLiteral(
               "WITH RECURSIVE K(CHAVE) AS ("
               " SELECT MIN(DSCHAVE) FROM QDL_HISTORICO WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = :P_NRCONFTELA"
               " UNION ALL"
               " SELECT (SELECT MIN(H.DSCHAVE) FROM QDL_HISTORICO H WHERE H.CDFILIAL = :P_CDFILIAL"
               " AND H.NRCONFTELA = :P_NRCONFTELA AND H.DSCHAVE > K.CHAVE) FROM K WHERE K.CHAVE IS NOT NULL) "
               "SELECT NRHISTORICO, DSANTES, DSDEPOIS, DTALTERACAO FROM QDL_HISTORICO WHERE NRHISTORICO IN ("
               " SELECT (SELECT H.NRHISTORICO FROM QDL_HISTORICO H WHERE H.CDFILIAL = :P_CDFILIAL"
               " AND H.NRCONFTELA = :P_NRCONFTELA AND H.DSCHAVE = K.CHAVE AND H.DTALTERACAO > %1"
               " ORDER BY H.DTALTERACAO, H.NRHISTORICO LIMIT 1) FROM K WHERE K.CHAVE IS NOT NULL) "
               "UNION ALL "
               "SELECT NRHISTORICO, DSANTES, DSDEPOIS, DTALTERACAO FROM QDL_HISTORICO WHERE CDFILIAL = :P_CDFILIAL"
               " AND NRCONFTELA = :P_NRCONFTELA AND DSCHAVE IS NULL AND DTALTERACAO > %1 "
               "ORDER BY 4, 1")
        .arg(after);
}

} // namespace

QList<ButtonRow> readLayoutAt(TADOConnection& db, const QString& branch, const QString& configuration, const QDateTime& at)
{
    if (!hasHistory(db))
        throw EQdlError(tr("Este banco de dados não guarda o histórico do leiaute (tabela QDL_HISTORICO); o dono do esquema "
                           "deve rodar \"qdl-host --database URL --upgrade\"."));
    // The changes after `at`, oldest first; the first one of each key holds
    // the row as it stood then (none: the button was not there).
    const QString step = tr("Erro ao ler o histórico da filial %1, configuração %2").arg(quoted(branch), quoted(configuration));
    Statement q(db, changesAfterSql(db.isPostgres(), schemaVersionOf(db) >= kButtonHistorySchemaVersion), step);
    q.bindText(":P_CDFILIAL", branch);
    q.bindText(":P_NRCONFTELA", configuration);
    q.bindTime(":P_DESDE", at);
    QHash<QString, std::optional<ButtonRow>> then; // by key: the row at `at`, or none
    q.forEachRow([&then](const TADOQuery& row) {
        const qint64 record = row.value(0).toLongLong();
        const std::optional<ButtonRow> before = buttonOfJson(row.value(1), record);
        const std::optional<ButtonRow> after = buttonOfJson(row.value(2), record);
        if (before && !then.contains(before->key().text()))
            then.insert(before->key().text(), before);
        // An update that moved the row: its new key was empty before.
        if (after && !then.contains(after->key().text()))
            then.insert(after->key().text(), std::nullopt);
    });
    QList<ButtonRow> buttons;
    for (const ButtonRow& current : readLayout(db, branch, configuration))
        if (!then.contains(current.key().text()))
            buttons << current;
    for (const std::optional<ButtonRow>& b : std::as_const(then))
        if (b)
            buttons << *b;
    sortLayout(buttons);
    return buttons;
}

void requireConfiguration(TADOConnection& db, const QString& branch, const QString& configuration)
{
    requireConfiguration(db, branch, configuration, schemaVersionOf(db));
}

void requireConfiguration(TADOConnection& db, const QString& branch, const QString& configuration, int schemaVersion)
{
    // Row-level security hides another branch's rows: say so rather than
    // that the configuration is missing.
    requireBranchReadable(db, branch, schemaVersion);
    const QString step = tr("Erro ao ler a configuração de tela (CONFTELA)");
    Statement q(db, QString::fromLatin1(kConfigurationCountSql), step);
    q.bindText(":P_CDFILIAL", branch);
    q.bindText(":P_NRCONFTELA", configuration);
    bool found = false;
    q.forEachRow([&found](const TADOQuery& row) { found = row.value(0).toInt() > 0; });
    if (!found)
        throw EQdlError(tr("A configuração de tela %2 da filial %1 não existe (nenhuma linha em CONFTELA); "
                           "qdl-host --branches lista as filiais e as suas configurações.")
                            .arg(quoted(branch), quoted(configuration)));
}

QStringList branchesWithConfiguration(TADOConnection& db, const QString& configuration)
{
    Statement q(db,
                QStringLiteral("SELECT CDFILIAL FROM CONFTELA WHERE NRCONFTELA = :P_NRCONFTELA AND CDFILIAL <> :P_CENTRAL "
                               "ORDER BY CDFILIAL"),
                tr("Erro ao ler a configuração de tela (CONFTELA)"));
    q.bindText(":P_NRCONFTELA", configuration);
    q.bindText(":P_CENTRAL", QLatin1String(kCentralBranch));
    QStringList branches;
    q.forEachRow([&branches](const TADOQuery& row) { branches << row.value(0).toString(); });
    return branches;
}

namespace {

// How long a command waits for a branch's locks (a screen writing holds them
// for a few milliseconds). A terminal that keeps them longer holds the
// branch: the command names it and goes on with the others.
constexpr char kBranchLockWait[] = "SET LOCAL lock_timeout = '3s'";

bool lockNotAvailable(const EDatabaseError& e)
{
    return e.sqlError().code() == u"55P03";
}

// Who holds a configuration's rows or its branch's tables: the sessions
// whose transaction locked or changed one of them (a row names its last
// locker in xmax), as the server shows them to this role: the role and the
// application always, since when only to a role allowed to see that
// session's times.
QString holdersOf(TADOConnection& db, const QString& branch, const QString& configuration)
{
    Statement q(db,
                QStringLiteral("SELECT DISTINCT a.usename::text, a.application_name, to_char(a.xact_start, 'YYYY-MM-DD HH24:MI:SS') "
                               "FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
                               "WHERE l.locktype = 'transactionid' AND l.granted AND l.pid <> pg_backend_pid() "
                               "AND l.transactionid IN (SELECT xmax FROM ITMENUCONFTE WHERE CDFILIAL = :P_CDFILIAL "
                               "AND NRCONFTELA = :P_NRCONFTELA UNION SELECT xmax FROM MESA WHERE CDFILIAL = :P_CDFILIAL) "
                               "ORDER BY 1, 2, 3"),
                tr("Erro ao ler quem trava a filial"));
    q.bindText(":P_CDFILIAL", branch).bindText(":P_NRCONFTELA", configuration);
    QStringList holders;
    q.forEachRow([&holders](const TADOQuery& row) {
        QString who = tr("papel %1").arg(quoted(row.value(0).toString()));
        if (!row.value(1).toString().isEmpty())
            who += tr(", programa %1").arg(quoted(row.value(1).toString()));
        if (!row.value(2).isNull())
            who += tr(", desde %1").arg(row.value(2).toString());
        holders << who;
    });
    if (holders.isEmpty())
        return tr("outra sessão, que o servidor não mostra a este papel");
    return holders.join(QStringLiteral("; "));
}

} // namespace

namespace {

LayoutChanges applyLayoutOnce(TADOConnection& db, const QString& branch, const QString& configuration,
                              const LayoutButtons& buttons, bool dryRun)
{
    const int version = schemaVersionOf(db);
    if (schemaTooNew(version))
        throw EQdlError(schemaVersionNotice(version));
    LayoutChanges changes;
    qdl::Transaction transaction(db);
    {
        requireConfiguration(db, branch, configuration, version);
        if (db.isPostgres()) { // the rows read are the rows written: a screen that changes one meanwhile waits
            Statement(db, QString::fromLatin1(kBranchLockWait), tr("Erro ao iniciar a transação")).run();
            screenStatement(db, "adqTravaLeiaute", version)
                .bindText(":P_CDFILIAL", branch)
                .bindText(":P_NRCONFTELA", configuration)
                .run();
        }
        const QList<ButtonRow> current = readLayout(db, branch, configuration);
        LayoutPlan plan = planLayout(current, buttons, readBranchCodes(db, branch, configuration), branch);
        changes = plan.changes;

        changes.inUse = tablesInUse(db, version, branch, configuration, plan.deletes);
        if (!changes.inUse.isEmpty())
            return changes; // rolled back

        Writer(db, version).write(branch, configuration, plan);

        // The check sees this transaction's own rows. Problems the
        // configuration does not hold (another configuration of the branch)
        // are not this write's.
        const LayoutReport report = checkLayoutWithin(db, branch);
        for (const LayoutProblem& p : report.problems)
            if (p.configuration == configuration)
                changes.problems << p.text;
        if (changes.refused() || dryRun)
            return changes; // rolled back
        transaction.commit();
        changes.written = true;
    }
    return changes;
}

} // namespace

LayoutChanges applyLayout(TADOConnection& db, const QString& branch, const QString& configuration,
                          const LayoutButtons& buttons, bool dryRun)
{
    try {
        return applyLayoutOnce(db, branch, configuration, buttons, dryRun);
    } catch (const EDatabaseError& e) {
        if (!db.isPostgres() || !lockNotAvailable(e) || db.InTransaction())
            throw;
        LayoutChanges held;
        held.heldBy = holdersOf(db, branch, configuration);
        return held;
    }
}

// ---- One layout into many branches ----

namespace {

// Branches sent to the server at a time. A part's answers are awaited under
// one wait limit, and a branch waits at most kLockWaitTogether for its
// locks (a screen writing meanwhile): a part ends well within the limit.
constexpr qsizetype kBranchesTogether = 50;
constexpr char kLockWaitTogether[] = "SET LOCAL lock_timeout = '500ms'";

// All that a branch's plan is made from, as one text the server hashes:
// the configuration's rows, whole; the branch's areas, its tables and their
// areas; the store's default table. Read in the snapshot the plan is made
// from, and again under the layout's lock before the plan is written.
QString branchMarkSql()
{
    return QStringLiteral("md5(concat_ws(chr(30), (%1), "
                          "(SELECT string_agg(CAST(t AS TEXT), chr(31) ORDER BY CAST(t AS TEXT)) FROM ITMENUCONFTE t "
                          "WHERE t.CDFILIAL = :P_CDFILIAL AND t.NRCONFTELA = :P_NRCONFTELA), "
                          "(SELECT string_agg(s.CDSALA, chr(31) ORDER BY s.CDSALA) FROM SALA s WHERE s.CDFILIAL = :P_CDFILIAL), "
                          "(SELECT string_agg(concat_ws(chr(29), m.NRMESA, m.CDSALA), chr(31) ORDER BY m.NRMESA, m.CDSALA) "
                          "FROM MESA m WHERE m.CDFILIAL = :P_CDFILIAL), (%2)))")
        .arg(QLatin1String(kConfigurationCountSql), QLatin1String(qdl::layout::kDefaultTableSql));
}

// PostgreSQL's text[] input: '{"1","a\"b"}'.
QString textArray(const QStringList& values)
{
    QStringList quotedValues;
    for (QString v : values) {
        v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        quotedValues << QLatin1Char('"') + v + QLatin1Char('"');
    }
    return QLatin1Char('{') + quotedValues.join(QLatin1Char(',')) + QLatin1Char('}');
}

QStringList tablesRemoved(const QList<ButtonRow>& removed)
{
    QStringList tables;
    for (const ButtonRow& b : removed)
        if (b.type == kTableButtonType)
            tables << b.code;
    return tables;
}

// A branch planned from the snapshot, and the mark of what it was planned
// from.
struct PlannedBranch {
    QString branch;
    LayoutPlan plan;
    QString mark;
};

// The statements of branches written together, prepared once.
class Together {
public:
    Together(TADOConnection& db, int schemaVersion, const QString& configuration, bool dryRun)
        : m_configuration(configuration),
          m_snapshot(db, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"), tr("Erro ao ler as filiais")),
          m_snapshotEnd(db, QStringLiteral("COMMIT"), tr("Erro ao ler as filiais")),
          m_found(db, QString::fromLatin1(kConfigurationCountSql), tr("Erro ao ler a configuração de tela (CONFTELA)")),
          m_layout(db, layoutRowsSql(), tr("Erro ao ler o leiaute da filial")),
          m_states(db, QString::fromLatin1(kTableStatesSql), tr("Erro ao ler a situação das mesas (MESA) da filial")),
          m_mark(db, QStringLiteral("SELECT ") + branchMarkSql(), tr("Erro ao ler o leiaute da filial")),
          m_codes(db),
          m_begin(db, QStringLiteral("BEGIN"), tr("Erro ao iniciar a transação")),
          m_lockWait(db, QString::fromLatin1(kLockWaitTogether), tr("Erro ao iniciar a transação")),
          m_lockLayout(screenStatement(db, "adqTravaLeiaute", schemaVersion)),
          m_lockTables(screenStatement(db, "adqTravaMesasConf", schemaVersion)),
          m_unchanged(db,
                      QStringLiteral("SELECT QDL_EXIGE(%1 = :P_MARCA AND NOT EXISTS (SELECT 1 FROM MESA m WHERE "
                                     "m.CDFILIAL = :P_CDFILIAL AND m.NRMESA = ANY (CAST(:P_MESAS AS TEXT[])) "
                                     "AND m.IDSTMESAAUX IN %2), 'a filial mudou depois de lida')")
                          .arg(branchMarkSql(), QLatin1String(qdl::layout::kTableInUseStatuses)),
                      tr("Erro ao conferir o leiaute da filial")),
          m_sound(db,
                  QStringLiteral("SELECT QDL_EXIGE(NOT %1, 'a verificação pode achar um problema')").arg(configurationMayBeBrokenSql(true)),
                  tr("Erro ao verificar o leiaute da filial")),
          m_end(db, dryRun ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"), tr("Erro ao gravar o leiaute da filial")),
          m_writer(db, schemaVersion)
    {
    }

    // The reads of every branch, in one snapshot.
    void sendReads(qdl::Ahead& ahead, const QStringList& branches)
    {
        ahead.add(m_snapshot.query());
        for (const QString& branch : branches) {
            for (Statement* q : bindReads(branch))
                ahead.add(q->query());
            m_codes.sendAhead(ahead, branch, m_configuration);
        }
        ahead.add(m_snapshotEnd.query());
    }

    // The branches the snapshot lets be planned: the configuration is
    // there, and no table whose button goes is in use (a branch that would
    // be refused is applied alone, and says why).
    QList<PlannedBranch> plan(const QStringList& branches, const LayoutButtons& buttons)
    {
        m_snapshot.run();
        QList<PlannedBranch> planned;
        for (const QString& branch : branches) {
            bindReads(branch);
            const bool found = m_found.scalar().toInt() > 0;
            const QList<ButtonRow> current = layoutRowsOf(m_layout);
            const QHash<QString, QString> inUse = tablesInUseOf(m_states);
            const QString mark = m_mark.scalar().toString();
            const BranchCodes codes = m_codes.read(branch, m_configuration);
            if (!found)
                continue;
            LayoutPlan plan = planLayout(current, buttons, codes, branch);
            if (inUseLines(plan.deletes, inUse).isEmpty())
                planned << PlannedBranch{branch, std::move(plan), mark};
        }
        m_snapshotEnd.run();
        return planned;
    }

    // Every statement of the branches' transactions prepared first, each
    // on its own: one that failed early would otherwise take with it the
    // preparation of a statement it was the first to send, and every later
    // branch's run of it would fail.
    void prepareWrites(qdl::Ahead& ahead)
    {
        for (Statement* q : {&m_begin, &m_lockWait, &m_lockLayout, &m_lockTables, &m_unchanged, &m_sound, &m_end})
            ahead.prepare(q->query());
        m_writer.prepareAhead(ahead);
    }

    // A branch's transaction, each statement bound; `once` when it must
    // change exactly one row.
    template <class Visit>
    void forEachWrite(const PlannedBranch& b, Visit&& visit)
    {
        visit(m_begin, false);
        const LayoutPlan& plan = b.plan;
        const QStringList tables = tablesRemoved(plan.deletes);
        if (plan.writes()) {
            visit(m_lockWait, false);
            visit(m_lockLayout.bindText(":P_CDFILIAL", b.branch).bindText(":P_NRCONFTELA", m_configuration), false);
            if (!tables.isEmpty())
                visit(m_lockTables.bindText(":P_CDFILIAL", b.branch).bindText(":P_NRCONFTELA", m_configuration), false);
        }
        visit(m_unchanged.bindText(":P_CDFILIAL", b.branch)
                  .bindText(":P_NRCONFTELA", m_configuration)
                  .bindText(":P_MARCA", b.mark)
                  .bindText(":P_MESAS", textArray(tables)),
              false);
        m_writer.forEach(b.branch, m_configuration, plan, [&visit](Statement& q) { visit(q, true); });
        visit(m_sound.bindText(":P_CDFILIAL", b.branch).bindText(":P_NRCONFTELA", m_configuration), false);
        visit(m_end, false);
    }

private:
    std::array<Statement*, 4> bindReads(const QString& branch)
    {
        for (Statement* q : {&m_found, &m_layout, &m_mark})
            q->bindText(":P_CDFILIAL", branch).bindText(":P_NRCONFTELA", m_configuration);
        m_states.bindText(":P_CDFILIAL", branch);
        return {&m_found, &m_layout, &m_states, &m_mark};
    }

    QString m_configuration;
    Statement m_snapshot, m_snapshotEnd, m_found, m_layout, m_states, m_mark;
    BranchCodeReads m_codes;
    Statement m_begin, m_lockWait, m_lockLayout, m_lockTables, m_unchanged, m_sound, m_end;
    Writer m_writer;
};

} // namespace

LayoutRollout::LayoutRollout(TADOConnection& db, QString configuration, LayoutButtons buttons, bool dryRun)
    : m_db(db), m_configuration(std::move(configuration)), m_buttons(std::move(buttons)), m_dryRun(dryRun)
{
}

void LayoutRollout::writeTogether(const QStringList& branches)
{
    if (!m_db.isPostgres())
        return;
    try {
        const int version = schemaVersionOf(m_db);
        if (version < kServerCheckSchemaVersion || schemaTooNew(version))
            return;
        Together together(m_db, version, m_configuration, m_dryRun);
        for (qsizetype from = 0; from < branches.size(); from += kBranchesTogether) {
            const QStringList part = branches.mid(from, kBranchesTogether);
            {
                qdl::Ahead ahead(m_db);
                together.sendReads(ahead, part);
            }
            const QList<PlannedBranch> planned = together.plan(part, m_buttons);
            {
                qdl::Ahead ahead(m_db);
                together.prepareWrites(ahead);
                for (const PlannedBranch& b : planned)
                    together.forEachWrite(b, [&ahead](Statement& q, bool) { ahead.add(q.query()); });
            }
            // Every answer is taken, in the order sent, past a failure too:
            // a branch's transaction that failed anywhere ended in a rollback
            // on the server, and only one that went through whole counts.
            // Under the layout's lock, with the branch as it was read, each
            // write changes its one row; a count that says otherwise (which
            // that makes impossible) leaves the branch to be applied alone,
            // which finds it as it is.
            for (const PlannedBranch& b : planned) {
                bool settled = true;
                together.forEachWrite(b, [&settled](Statement& q, bool once) {
                    try {
                        const int rows = q.run();
                        settled = settled && (!once || rows == 1);
                    } catch (const std::exception&) {
                        settled = false;
                    }
                });
                if (settled) {
                    LayoutChanges changes = b.plan.changes;
                    changes.written = !m_dryRun;
                    m_settled.insert(b.branch, changes);
                }
            }
            if (m_db.InTransaction()) // a run the server had not answered ahead stopped inside one
                m_db.RollbackTrans();
        }
    } catch (const std::exception&) {
        // What was not settled is applied alone, and that says what is wrong.
        try {
            if (m_db.Connected() && m_db.InTransaction())
                m_db.RollbackTrans();
        } catch (const std::exception&) {
        }
    }
}

LayoutChanges LayoutRollout::apply(const QString& branch)
{
    if (const auto settled = m_settled.constFind(branch); settled != m_settled.cend())
        return *settled;
    return applyLayout(m_db, branch, m_configuration, m_buttons, m_dryRun);
}

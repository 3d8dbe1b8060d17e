#include "consistency.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <optional>
#include <thread>
#include <utility>

#include "adoconnection.h"
#include "statement.h"
#include "errors.h"
#include "layoutrules.h"
#include "storedvalues.h"
#include "schemaupgrade.h"
#include "terminalbranches.h"

namespace {

struct Button : qdl::layout::ButtonRow {
    QString branch, configuration;
};

// What the screen writes: button numbers of two digits within the screen's
// families, pages as decimal text without leading zeros.
bool isButtonNumber(const QString& text, int last)
{
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9]{2}$"));
    if (!twoDigits.match(text).hasMatch())
        return false;
    const int n = text.toInt();
    return n >= 1 && n <= last;
}

bool isPage(const QString& text)
{
    static const QRegularExpression page(QStringLiteral("^[1-9][0-9]*$"));
    return page.match(text).hasMatch();
}

// Every stored value a problem's text names goes through printable, quoted
// or not: the text is printed on an administrator's terminal, where a code
// holding ESC [ 2 J must show as text, not clear the screen.
QString printable(const QString& text)
{
    return printableText(text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + printable(text) + QLatin1Char('"');
}

QString describe(const Button& b)
{
    return qdl::layout::describeButton(b);
}

QString keyOf(std::initializer_list<QString> parts)
{
    QString key;
    for (const QString& p : parts) {
        key += p;
        key += QChar(0x1f);
    }
    return key;
}

void control(TADOConnection& db, const QString& sql)
{
    db.execute(sql, QCoreApplication::translate("LayoutCheck", "Erro ao ler o leiaute (%1)").arg(sql));
}

// The reads of the check. A chain's central database holds millions of
// buttons: the database compares them through its indexes and hands over
// only the rows that may break a rule, and those few are judged below by the
// same rules, word for word, that a terminal's layout always was.
// The branches a read covers: all, one (only), or those from `from` up to
// before `before` (either end open), as the check splits a chain.
struct Scope {
    QString only, from, before;
};

class Reader {
public:
    Reader(TADOConnection& db, Scope scope) : m_db(db), m_scope(std::move(scope)), m_postgres(db.isPostgres()) {}

    bool postgres() const { return m_postgres; }

    // " AND alias.CDFILIAL = :P_ONLY" (or the range's bounds) when the read
    // covers part of the chain; each value is bound when the statement runs.
    QString onBranch(const char* alias)
    {
        QString sql;
        const auto bound = [&](const QString& value, const char* op, const char* name) {
            if (!value.isEmpty())
                sql += QStringLiteral(" AND %1.CDFILIAL %2 %3").arg(QLatin1String(alias), QLatin1String(op), QLatin1String(name));
        };
        bound(m_scope.only, "=", ":P_ONLY");
        bound(m_scope.from, ">=", ":P_FROM");
        bound(m_scope.before, "<", ":P_BEFORE");
        return sql;
    }

    // Runs a statement built with onBranch and hands each row to the
    // callback; throws on an error, naming the table.
    template <class OnRow>
    void read(const char* table, const QString& sql, OnRow&& onRow)
    {
        const QString step = QCoreApplication::translate("LayoutCheck", "Erro ao ler a tabela %1").arg(QLatin1String(table));
        qdl::Statement q(m_db, sql, step);
        const auto bind = [&](const QString& value, const char* name) {
            if (!value.isEmpty() && sql.contains(QLatin1String(name)))
                q.bindText(name, value);
        };
        bind(m_scope.only, ":P_ONLY");
        bind(m_scope.from, ":P_FROM");
        bind(m_scope.before, ":P_BEFORE");
        q.forEachRow(onRow);
    }

private:
    TADOConnection& m_db;
    Scope m_scope;
    bool m_postgres;
};

const QString kColumns = QStringLiteral("CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
                                        "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, NRCOLORTEXT, NRCOLORBACK");
// Where the columns after kColumns' begin in a row that starts with them.
constexpr int kAfterColumns = 11;

QString columnsOf(const char* alias)
{
    QStringList list = kColumns.split(QStringLiteral(", "));
    for (QString& c : list)
        c.prepend(QLatin1String(alias) + QLatin1Char('.'));
    return list.join(QStringLiteral(", "));
}

// The order of the report: by branch and configuration, each area button
// before the table buttons, these by area button, page and number.
QString orderOf(const char* alias)
{
    return QStringLiteral("ORDER BY %1.CDFILIAL, %1.NRCONFTELA, %1.IDTPBUTTON DESC, %1.NRBUTTONAUX, %1.NRPGCONFTELA, "
                          "%1.NRBUTTON, %1.IDTPBUTONAUX, %1.NRPGCONFTAUX, %1.CDIDENTBUTON")
        .arg(QLatin1String(alias));
}

Button buttonOf(const TADOQuery& q)
{
    Button b;
    QString* const fields[] = {&b.branch,     &b.configuration, &b.type,       &b.number, &b.page,
                               &b.parentType, &b.parentNumber,  &b.parentPage, &b.code};
    for (int i = 0; i < 9; ++i)
        *fields[i] = q.value(i).toString();
    const auto colour = [&q](int i) { return q.value(i).isNull() ? std::nullopt : std::optional<double>(q.value(i).toDouble()); };
    b.textColour = colour(9);
    b.backColour = colour(10);
    return b;
}

// What a sound row needs of its own columns, in the database's words: a
// key in the screen's form and colours it can show. Every row these
// conditions accept, isButtonNumber, isPage and storedColour accept too;
// what they refuse is read and judged by those.
QString soundForm(bool postgres)
{
    return QStringLiteral("(%1) AND NOT %2 AND NOT %3")
        .arg(qdl::layout::soundKeySql(postgres), noColourSql("t.NRCOLORTEXT"), noColourSql("t.NRCOLORBACK"));
}

// The rows that may break a rule of their own (see Checker::readSuspects),
// those of ITMENUCONFTE t that `filter` (" AND t...") keeps, as rows of b with
// what the rules ask of the other tables.
QString suspectsSql(bool pg, const QString& filter)
{
    const QString t = columnsOf("t");
    QString sql = QStringLiteral("SELECT %1, "
                                 "(SELECT COUNT(*) FROM SALA s WHERE s.CDFILIAL = b.CDFILIAL AND s.CDSALA = b.CDIDENTBUTON), "
                                 "(SELECT %2 FROM MESA m WHERE m.CDFILIAL = b.CDFILIAL AND m.NRMESA = b.CDIDENTBUTON), "
                                 "(SELECT p.CDIDENTBUTON FROM ITMENUCONFTE p WHERE p.CDFILIAL = b.CDFILIAL "
                                 "AND p.NRCONFTELA = b.NRCONFTELA AND p.IDTPBUTTON = '4' AND p.NRBUTTON = b.NRBUTTONAUX "
                                 "AND p.NRPGCONFTELA = '1' ORDER BY p.NRBUTTONAUX DESC, p.IDTPBUTONAUX DESC, "
                                 "p.NRPGCONFTAUX DESC LIMIT 1) "
                                 "FROM (")
                      .arg(columnsOf("b"), pg ? QStringLiteral("string_agg(m.CDSALA, chr(31))")
                                              : QStringLiteral("group_concat(m.CDSALA, char(31))"));
    sql += QStringLiteral("SELECT %1 FROM ITMENUCONFTE t WHERE (CASE WHEN %2 THEN 0 ELSE 1 END) = 1%3").arg(t, soundForm(pg), filter);
    sql += QStringLiteral(" UNION SELECT %1 FROM ITMENUCONFTE t WHERE t.IDTPBUTTON = '4'%2 AND NOT EXISTS "
                          "(SELECT 1 FROM SALA s WHERE s.CDFILIAL = t.CDFILIAL AND s.CDSALA = t.CDIDENTBUTON)")
               .arg(t, filter);
    // Every area button the table button may name is tried: when two
    // share the number, the one the rules take is among them.
    // SQLite, without statistics, would look the table up by area and
    // read the whole area; "+" keeps it on the table's number.
    sql += QStringLiteral(" UNION SELECT %1 FROM ITMENUCONFTE t LEFT JOIN ITMENUCONFTE p ON p.CDFILIAL = t.CDFILIAL "
                          "AND p.NRCONFTELA = t.NRCONFTELA AND p.IDTPBUTTON = '4' AND p.NRBUTTON = t.NRBUTTONAUX "
                          "AND p.NRPGCONFTELA = '1' WHERE t.IDTPBUTTON = '3'%2 AND NOT EXISTS (SELECT 1 FROM MESA m "
                          "WHERE m.CDFILIAL = t.CDFILIAL AND m.NRMESA = t.CDIDENTBUTON AND %3m.CDSALA = p.CDIDENTBUTON)")
               .arg(t, filter, pg ? QString() : QStringLiteral("+"));
    return sql + QStringLiteral(") b ");
}

// The areas and tables on more than one button of a configuration, among
// the rows of ITMENUCONFTE t that `filter` keeps.
QString placedTwiceSql(const QString& filter)
{
    return QStringLiteral("SELECT t.CDFILIAL, t.NRCONFTELA, t.IDTPBUTTON, t.CDIDENTBUTON FROM ITMENUCONFTE t "
                          "WHERE t.IDTPBUTTON IN ('3', '4')%1 GROUP BY t.CDFILIAL, t.NRCONFTELA, t.IDTPBUTTON, t.CDIDENTBUTON "
                          "HAVING COUNT(*) > 1")
        .arg(filter);
}

class Checker {
public:
    LayoutReport report;

    // Where the problems of single rows end and those of tables or areas
    // placed twice begin.
    qsizetype singleRowProblems = 0;

    void readRules(Reader& reader)
    {
        readSuspects(reader);
        singleRowProblems = report.problems.size();
        readPlacedTwice(reader);
    }

    // The buttons and configurations, and the configurations without their
    // CONFTELA row (the screen opens one without it, with no store): said
    // before the problems of single rows.
    void readCounts(Reader& reader)
    {
        reader.read("ITMENUCONFTE",
                    QStringLiteral("SELECT c.CDFILIAL, c.NRCONFTELA, c.n, (SELECT COUNT(*) FROM CONFTELA f "
                                   "WHERE f.CDFILIAL = c.CDFILIAL AND f.NRCONFTELA = c.NRCONFTELA) FROM "
                                   "(SELECT t.CDFILIAL, t.NRCONFTELA, COUNT(*) AS n FROM ITMENUCONFTE t "
                                   "WHERE 1 = 1%1 GROUP BY t.CDFILIAL, t.NRCONFTELA) c ORDER BY c.CDFILIAL, c.NRCONFTELA")
                        .arg(reader.onBranch("t")),
                    [this](const TADOQuery& q) {
                        ++report.configurations;
                        report.buttons += q.value(2).toInt();
                        if (q.value(3).toInt() > 0)
                            return;
                        const QString branch = q.value(0).toString(), configuration = q.value(1).toString();
                        report.problems << LayoutProblem{
                            LayoutFault::NoConfiguration, branch, configuration,
                            QCoreApplication::translate("LayoutCheck", "filial %1, configuração %2: não há linha em "
                                                                       "CONFTELA para a configuração de %n botão(ões).",
                                                        nullptr, q.value(2).toInt())
                                .arg(printable(branch), printable(configuration))};
                    });
    }

private:
    // The rows that may break a rule of their own: a form the screen does not
    // write, an area code with no SALA row, a table button whose table is not
    // in the area of its area button (or has no such table, or no such area
    // button). Each comes with what the rules below ask of the other tables.
    void readSuspects(Reader& reader)
    {
        const QString sql = suspectsSql(reader.postgres(), reader.onBranch("t")) + orderOf("b");
        reader.read("ITMENUCONFTE", sql, [this](const TADOQuery& q) {
            const Button b = buttonOf(q);
            const QVariant areaKnown = q.value(kAfterColumns), tableAreas = q.value(kAfterColumns + 1),
                           parentCode = q.value(kAfterColumns + 2);
            if (b.type == kAreaButtonType) {
                checkArea(b, areaKnown.toInt() != 0);
            } else if (b.type == kTableButtonType) {
                std::optional<QSet<QString>> areas;
                if (!tableAreas.isNull()) {
                    const QStringList list = tableAreas.toString().split(QChar(0x1f));
                    areas = QSet<QString>(list.begin(), list.end());
                }
                checkTable(b, areas, parentCode.isNull() ? std::optional<QString>() : parentCode.toString());
            } else {
                add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "tipo de botão desconhecido %1").arg(quoted(b.type)));
            }
            checkColour(b, b.textColour, QCoreApplication::translate("LayoutCheck", "cor do texto (NRCOLORTEXT)"));
            checkColour(b, b.backColour, QCoreApplication::translate("LayoutCheck", "cor do fundo (NRCOLORBACK)"));
        });
    }

    void checkColour(const Button& b, const std::optional<double>& colour, const QString& which)
    {
        if (colour && !storedColour(*colour))
            add(LayoutFault::BadColour, b,
                QCoreApplication::translate("LayoutCheck", "%1 %2 fora do intervalo de 0 a %3")
                    .arg(which, QString::number(*colour, 'g', 15), QString::number(kHighestStoredColour)));
    }

    void add(LayoutFault fault, const Button& b, const QString& what)
    {
        report.problems << LayoutProblem{
            fault, b.branch, b.configuration,
            QCoreApplication::translate("LayoutCheck", "filial %1, configuração %2: %3: %4.")
                .arg(printable(b.branch), printable(b.configuration), describe(b), what)};
    }

    void checkArea(const Button& b, bool areaKnown)
    {
        if (!isButtonNumber(b.number, NRBUTTONSAMBI))
            add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "o número do botão não é um dos botões de ambiente 01 a 18"));
        if (b.page != u"1")
            add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "página %1 em vez de \"1\"").arg(quoted(b.page)));
        if (b.parentType != u"0" || b.parentNumber != u"0" || b.parentPage != u"0")
            add(LayoutFault::CutKey, b,
                QCoreApplication::translate("LayoutCheck", "colunas do botão pai %1/%2/%3 em vez de \"0\"")
                    .arg(quoted(b.parentType), quoted(b.parentNumber), quoted(b.parentPage)));
        if (!areaKnown)
            add(LayoutFault::UnknownCode, b, QCoreApplication::translate("LayoutCheck", "o ambiente %1 não existe na filial").arg(quoted(b.code)));
    }

    // areas: the areas of the branch's tables of that number, none when no
    // MESA row has it; parentCode: the area of the area button the row names.
    void checkTable(const Button& b, const std::optional<QSet<QString>>& areas, const std::optional<QString>& parentCode)
    {
        if (!isButtonNumber(b.number, NRBUTTONSMESA))
            add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "o número do botão não é um dos botões de mesa 01 a 48"));
        if (!isPage(b.page))
            add(LayoutFault::CutKey, b,
                QCoreApplication::translate("LayoutCheck", "a página %1 não é um número decimal positivo sem zeros à esquerda").arg(quoted(b.page)));
        const bool parentWellFormed = b.parentType == kAreaButtonType && isButtonNumber(b.parentNumber, NRBUTTONSAMBI) && b.parentPage == u"1";
        if (!parentWellFormed)
            add(LayoutFault::CutKey, b,
                QCoreApplication::translate("LayoutCheck", "colunas do botão pai %1/%2/%3 não nomeiam um botão de ambiente")
                    .arg(quoted(b.parentType), quoted(b.parentNumber), quoted(b.parentPage)));

        if (!areas)
            add(LayoutFault::UnknownCode, b, QCoreApplication::translate("LayoutCheck", "a mesa %1 não existe na filial").arg(quoted(b.code)));
        if (!parentWellFormed)
            return;

        if (!parentCode) {
            add(LayoutFault::MissingParent, b,
                QCoreApplication::translate("LayoutCheck", "o botão de ambiente %1 não existe").arg(quoted(b.parentNumber)));
            return;
        }
        if (areas && !areas->contains(*parentCode))
            add(LayoutFault::WrongArea, b,
                QCoreApplication::translate("LayoutCheck", "a mesa é do ambiente %1, e o botão %2 é do ambiente %3")
                    .arg(quoted(QStringList(areas->values()).join(QStringLiteral("\", \""))), quoted(b.parentNumber),
                         quoted(*parentCode)));
    }

    // Whether a unique index of ITMENUCONFTE (the key UK_ITMENUCONFTE_IDENT,
    // whatever its name) already keeps every area and table on one button of
    // a configuration: one on some of those columns, for all rows.
    bool placedOnceByKey(Reader& reader)
    {
        const QString columns = QStringLiteral("'CDFILIAL', 'NRCONFTELA', 'IDTPBUTTON', 'CDIDENTBUTON'");
        const QString sql =
            reader.postgres()
                ? QStringLiteral("SELECT COUNT(*) FROM pg_index i WHERE i.indrelid = to_regclass('itmenuconfte') "
                                 "AND i.indisunique AND i.indisvalid AND i.indpred IS NULL AND i.indexprs IS NULL "
                                 "AND NOT EXISTS (SELECT 1 FROM unnest(i.indkey) k LEFT JOIN pg_attribute a "
                                 "ON a.attrelid = i.indrelid AND a.attnum = k "
                                 "WHERE a.attname IS NULL OR upper(a.attname) NOT IN (%1))")
                      .arg(columns)
                : QStringLiteral("SELECT COUNT(*) FROM pragma_index_list('ITMENUCONFTE') i WHERE i.\"unique\" = 1 "
                                 "AND i.partial = 0 AND NOT EXISTS (SELECT 1 FROM pragma_index_xinfo(i.name) c "
                                 "WHERE c.key = 1 AND (c.name IS NULL OR upper(c.name) NOT IN (%1)))")
                      .arg(columns);
        bool found = false;
        reader.read("ITMENUCONFTE", sql, [&found](const TADOQuery& q) { found = q.value(0).toInt() > 0; });
        return found;
    }

    // Only a database from before the unique key of ITMENUCONFTE can hold
    // these.
    void readPlacedTwice(Reader& reader)
    {
        if (placedOnceByKey(reader))
            return;
        QMap<QString, QList<Button>> placements;
        reader.read("ITMENUCONFTE",
                    QStringLiteral("SELECT %1 FROM ITMENUCONFTE b JOIN (%2) d "
                                   "ON b.CDFILIAL = d.CDFILIAL AND b.NRCONFTELA = d.NRCONFTELA AND b.IDTPBUTTON = d.IDTPBUTTON "
                                   "AND b.CDIDENTBUTON = d.CDIDENTBUTON %3")
                        .arg(columnsOf("b"), placedTwiceSql(reader.onBranch("t")), orderOf("b")),
                    [&placements](const TADOQuery& q) {
                        const Button b = buttonOf(q);
                        placements[keyOf({b.branch, b.configuration, qdl::layout::placementOf(b.type, b.code)})] << b;
                    });
        for (const QList<Button>& same : std::as_const(placements)) {
            QStringList where;
            for (const Button& b : same)
                where << describe(b);
            const Button& first = same.first();
            report.problems << LayoutProblem{
                LayoutFault::PlacedTwice, first.branch, first.configuration,
                QCoreApplication::translate("LayoutCheck", "filial %1, configuração %2: %3 %4 está em %5 botões: %6.")
                    .arg(printable(first.branch), printable(first.configuration),
                         first.type == kAreaButtonType ? QCoreApplication::translate("LayoutCheck", "o ambiente") : QCoreApplication::translate("LayoutCheck", "a mesa"),
                         quoted(first.code))
                    .arg(same.size())
                    .arg(where.join(QStringLiteral("; ")))};
        }
    }
};

} // namespace

int LayoutReport::count(LayoutFault fault) const
{
    int n = 0;
    for (const LayoutProblem& p : problems)
        n += p.fault == fault ? 1 : 0;
    return n;
}

namespace {

// One snapshot: a layout being changed by a terminal meanwhile must not
// look broken halfway through the reads. Runs read inside a read-only
// transaction on db, ended before returning.
template <class Read>
void inSnapshot(TADOConnection& db, Read&& read)
{
    const qdl::Transaction snapshot(db, qdl::TransactionMode::ReadOnlySnapshot);
    if (db.isPostgres()) {
        // For this transaction only: compiling the rule expressions costs
        // more than it saves, and the tables of a chain are compared in one
        // hash instead of sixteen spilled to disk.
        control(db, QStringLiteral("SET LOCAL jit = off"));
        control(db, QStringLiteral("SET LOCAL work_mem = '64MB'"));
    }
    read();
    // Nothing was written: the snapshot ends in a rollback as it goes.
}

// The branch at the middle of the chain's buttons: the branches before it
// and those from it on hold about half the buttons each. Empty when the
// chain is one branch.
QString middleBranch(Reader& reader, int buttons)
{
    QString middle;
    reader.read("ITMENUCONFTE",
                QStringLiteral("SELECT CDFILIAL FROM ITMENUCONFTE ORDER BY CDFILIAL LIMIT 1 OFFSET %1").arg(buttons / 2),
                [&middle](const TADOQuery& q) { middle = q.value(0).toString(); });
    QString first;
    reader.read("ITMENUCONFTE", QStringLiteral("SELECT MIN(CDFILIAL) FROM ITMENUCONFTE"),
                [&first](const TADOQuery& q) { first = q.value(0).toString(); });
    return middle == first ? QString() : middle;
}

// The rules checked on the branches from `from` on, on a connection of its
// own to the same database, opened and used in this thread.
Checker checkPart(const QString& connectionString, const QString& from)
{
    Checker part;
    TADOConnection db;
    db.ConnectionString = connectionString;
    db.setConnected(true);
    inSnapshot(db, [&] {
        Reader reader(db, Scope{{}, from, {}});
        part.readRules(reader);
    });
    return part;
}

// Checks the rules in two halves at once, the second (from `middle` on) on a
// thread and a connection of its own; the first half's report is checker's.
void checkInTwoHalves(TADOConnection& db, const QString& middle, Checker& checker, Checker& later)
{
    std::exception_ptr failed;
    std::thread worker([&] {
        try {
            later = checkPart(db.ConnectionString, middle);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    try {
        Reader first(db, Scope{{}, {}, middle});
        checker.readRules(first);
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (failed)
        std::rethrow_exception(failed);
}

} // namespace

LayoutReport checkLayout(TADOConnection& db, const QString& branch, int splitFrom)
{
    Checker checker;
    Checker later; // the second half of a chain checked in two
    inSnapshot(db, [&] {
        Reader counting(db, Scope{branch, {}, {}});
        checker.readCounts(counting);
        // A chain's SQLite file is checked in two halves by branch at once,
        // on both cores: the rules never look past a row's own branch.
        const bool split = branch.isEmpty() && db.isSqlite() && checker.report.buttons >= splitFrom;
        const QString middle = split ? middleBranch(counting, checker.report.buttons) : QString();
        if (middle.isEmpty())
            checker.readRules(counting);
        else
            checkInTwoHalves(db, middle, checker, later);
    });
    if (later.report.problems.isEmpty())
        return checker.report;
    // In the order one read gives: every row's own problems, branch by
    // branch, then the twice-placed ones.
    QList<LayoutProblem>& problems = checker.report.problems;
    const qsizetype split = checker.singleRowProblems;
    const QList<LayoutProblem> placedTwice = problems.mid(split);
    problems.resize(split);
    problems << later.report.problems.mid(0, later.singleRowProblems) << placedTwice
             << later.report.problems.mid(later.singleRowProblems);
    return checker.report;
}

QString configurationMayBeBrokenSql(bool postgres)
{
    const QString filter = QStringLiteral(" AND t.CDFILIAL = :P_CDFILIAL AND t.NRCONFTELA = :P_NRCONFTELA");
    return QStringLiteral("(EXISTS (%1) OR EXISTS (%2) OR NOT EXISTS (SELECT 1 FROM CONFTELA f WHERE f.CDFILIAL = :P_CDFILIAL "
                          "AND f.NRCONFTELA = :P_NRCONFTELA))")
        .arg(suspectsSql(postgres, filter), placedTwiceSql(filter));
}

LayoutReport checkLayoutWithin(TADOConnection& db, const QString& branch)
{
    Checker checker;
    Reader reader(db, Scope{branch, {}, {}});
    checker.readCounts(reader);
    checker.readRules(reader);
    return checker.report;
}

LayoutReport checkLayoutAt(const QString& connectionString, const QString& branch)
{
    TADOConnection db;
    db.ConnectionString = connectionString;
    db.setConnected(true);
    refuseSchemaOthersMayWrite(db);
    const int version = schemaVersionOf(db);
    // Another branch's rows are hidden from a terminal's role: refused, not
    // reported empty.
    if (!branch.isEmpty())
        requireBranchReadable(db, branch, version);
    LayoutReport report = checkLayout(db, branch);
    report.schemaVersion = version;
    return report;
}

#include "benchdata.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <libpq-fe.h>
#include <memory>
#include <random>
#include <sqlite3.h>

#include "connection.h"
#include "demodb.h"
#include "errors.h"

namespace qdlbench {

namespace {

struct AreaKind {
    const char* code;
    const char* name;
    const char* tablePrefix;
};

// What restaurants of the chain call their areas; SAL first, always present.
const AreaKind kAreaKinds[] = {
    {"SAL", "Salão Principal", "Mesa"},      {"VAR", "Varanda", "Varanda"},
    {"TER", "Terraço", "Terraço"},           {"AVIP", "Área VIP", "Camarote"},
    {"BALCA", "Balcão", "Banqueta"},         {"DECK", "Deck da Piscina", "Guarda-sol"},
    {"JARD", "Jardim", "Jardim"},            {"MEZAN", "Mezanino", "Mezanino"},
    {"BAR", "Bar", "Bar"},                   {"PRIV", "Sala Privativa", "Privativo"},
    {"KIDS", "Espaço Kids", "Kids"},         {"CALC", "Calçada", "Calçada"},
};

const int kBackPalette[] = {kFreeBack, kFreeBack, kFreeBack, 12632256, 8421631, 16744576, 8454016, 33023};

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

const AreaKind& kindOf(const QString& code)
{
    for (const AreaKind& k : kAreaKinds)
        if (code == QLatin1String(k.code))
            return k;
    return kAreaKinds[0];
}

// Table buttons of one area, filling 48 slots a page from slot 01 of page 1.
void placeTables(Branch& b, const QString& conf, int areaButton, const QList<const TableRow*>& tables,
                 const std::function<int(int)>& backOf = {})
{
    int slot = 0, page = 1;
    for (const TableRow* t : tables) {
        if (++slot > 48) {
            slot = 1;
            ++page;
        }
        ButtonRow r;
        r.conf = conf;
        r.type = QStringLiteral("3");
        r.number = two(slot);
        r.ident = t->nrmesa;
        r.caption = t->name;
        r.back = backOf ? backOf(slot) : kFreeBack;
        r.auxType = QStringLiteral("4");
        r.auxNumber = two(areaButton);
        r.page = QString::number(page);
        r.auxPage = QStringLiteral("1");
        b.buttons << r;
    }
}

void placeArea(Branch& b, const QString& conf, int areaButton, const AreaRow& a, int back, int text = 0)
{
    ButtonRow r;
    r.conf = conf;
    r.type = QStringLiteral("4");
    r.number = two(areaButton);
    r.ident = a.code;
    r.caption = a.name;
    r.back = back;
    r.text = text;
    r.auxType = r.auxNumber = r.auxPage = QStringLiteral("0");
    r.page = QStringLiteral("1");
    b.buttons << r;
}

QList<const TableRow*> tablesOf(const Branch& b, const QString& store, const QString& area)
{
    QList<const TableRow*> out;
    for (const TableRow& t : b.tables)
        if (t.store == store && t.area == area && t.nrmesa != b.defaultTable && t.nrmesa != b.defaultTable2)
            out << &t;
    return out;
}

void addTables(Branch& b, const QString& store, const QString& area, int count, int& next,
               const std::function<void(TableRow&, int)>& state)
{
    const AreaKind& kind = kindOf(area);
    for (int i = 1; i <= count; ++i) {
        TableRow t;
        t.store = store;
        t.nrmesa = QString::number(next++);
        t.area = area;
        t.name = store == kStore ? QStringLiteral("%1 %2").arg(QString::fromUtf8(kind.tablePrefix), two(i))
                                 : QStringLiteral("Loja 01 - %1 %2").arg(QString::fromUtf8(kind.tablePrefix)).arg(i);
        t.status = QStringLiteral("A");
        t.aux = QStringLiteral("D");
        t.people = 2 + 2 * (i % 3);
        state(t, i);
        b.tables << t;
    }
}

TableRow defaultTable(const QString& store, const QString& nrmesa, const QString& area)
{
    return {store, nrmesa, area, QStringLiteral("Mesa Padrão"), QStringLiteral("A"), QStringLiteral("D"), 1,
            QStringLiteral("Pedidos sem mesa")};
}

} // namespace

Branch screenBranch()
{
    Branch b;
    b.code = kBranch;
    struct AreaPlan {
        const char* code;
        const char* situation;
        int tables, tables2;
    };
    const AreaPlan plans[] = {{"SAL", "A", 60, 8},  {"VAR", "A", 24, 6},  {"TER", "A", 20, 0},  {"AVIP", "A", 8, 0},
                          {"BALCA", "A", 12, 4}, {"DECK", "A", 14, 0}, {"JARD", "A", 10, 0}, {"MEZAN", "I", 6, 0}};
    int next = 1, next2 = 501;
    int k = 0;
    for (const AreaPlan& s : plans) {
        const AreaKind& kind = kindOf(QLatin1String(s.code));
        b.areas << AreaRow{QLatin1String(s.code), QString::fromUtf8(kind.name), QLatin1String(s.situation)};
        const bool deck = qstrcmp(s.code, "DECK") == 0;
        addTables(b, kStore, b.areas.last().code, s.tables, next, [&](TableRow& t, int) {
            ++k;
            if (deck)
                return; // the update benchmarks' area: every table may go
            if (k % 9 == 4)
                t.aux = QStringLiteral("O");
            else if (k % 13 == 7)
                t.aux = QStringLiteral("S");
            if (k % 23 == 11)
                t.status = QStringLiteral("I");
        });
        addTables(b, kStore2, b.areas.last().code, s.tables2, next2, [](TableRow& t, int i) {
            if (i == 2)
                t.aux = QStringLiteral("O");
        });
    }
    b.defaultTable = QStringLiteral("900");
    b.defaultTable2 = QStringLiteral("990");
    b.tables << defaultTable(kStore, b.defaultTable, QStringLiteral("BALCA"))
             << defaultTable(kStore2, b.defaultTable2, QStringLiteral("SAL"));

    // Configuration 00001: six areas; SAL fills page 1 and part of page 2.
    const int backs[] = {kFreeBack, 12632256, 8454016, 8421631, kFreeBack, 16744576};
    const int keep[] = {54, 22, 18, 8, 12, 12};
    for (int i = 0; i < 6; ++i) {
        placeArea(b, kConf, i + 1, b.areas[i], backs[i], i == 3 ? 16777215 : 0);
        const QList<const TableRow*> tables = tablesOf(b, kStore, b.areas[i].code).mid(0, keep[i]);
        if (b.areas[i].code == QLatin1String("DECK")) {
            // Ten on page 1, two moved on to page 2.
            placeTables(b, kConf, i + 1, tables.mid(0, 10));
            placeTables(b, kConf, i + 1, tables.mid(10));
            for (qsizetype j = b.buttons.size() - 2; j < b.buttons.size(); ++j)
                b.buttons[j].page = QStringLiteral("2");
        } else {
            placeTables(b, kConf, i + 1, tables, [](int slot) { return slot % 7 == 0 ? 8421631 : kFreeBack; });
        }
    }
    // Configuration 00002 on store 01.
    int button = 0;
    for (const char* code : {"SAL", "VAR", "BALCA"}) {
        ++button;
        const AreaRow* a = nullptr;
        for (const AreaRow& r : b.areas)
            if (r.code == QLatin1String(code))
                a = &r;
        placeArea(b, kConf2, button, *a, kFreeBack);
        placeTables(b, kConf2, button, tablesOf(b, kStore2, a->code));
    }
    return b;
}

QList<ButtonRow> deckButtons()
{
    QList<ButtonRow> out;
    for (const ButtonRow& r : screenBranch().buttons)
        if (r.conf == kConf && ((r.type == u"4" && r.number == u"06") || (r.type == u"3" && r.auxNumber == u"06")))
            out << r;
    return out;
}

Branch chainBranch(int index, std::uint32_t seed)
{
    std::mt19937 rng(seed * 1000003u + std::uint32_t(index));
    const auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; };
    const auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    Branch b;
    b.code = QStringLiteral("%1").arg(index, 4, 10, QLatin1Char('0'));
    std::vector<int> others;
    for (int i = 1; i < int(std::size(kAreaKinds)); ++i)
        others.push_back(i);
    std::shuffle(others.begin(), others.end(), rng);
    others.resize(size_t(between(5, 9)));
    others.insert(others.begin(), 0);

    const int inactive = chance(0.4) ? between(1, int(others.size()) - 1) : -1;
    int next = 1, next2 = 501;
    for (int i = 0; i < int(others.size()); ++i) {
        const AreaKind& kind = kAreaKinds[others[size_t(i)]];
        b.areas << AreaRow{QLatin1String(kind.code), QString::fromUtf8(kind.name),
                           i == inactive ? QStringLiteral("I") : QStringLiteral("A")};
        const auto state = [&](TableRow& t, int) {
            if (chance(0.04))
                t.status = QStringLiteral("I");
            const double r = std::uniform_real_distribution<double>(0, 1)(rng);
            if (r < 0.12)
                t.aux = QStringLiteral("O");
            else if (r < 0.17)
                t.aux = QStringLiteral("S");
        };
        addTables(b, kStore, b.areas.last().code, i == 0 ? between(30, 70) : between(6, 30), next, state);
        if (i < 3 && i != inactive)
            addTables(b, kStore2, b.areas.last().code, between(3, 10), next2, state);
    }
    b.defaultTable = QStringLiteral("900");
    b.defaultTable2 = QStringLiteral("990");
    b.tables << defaultTable(kStore, b.defaultTable, b.areas[0].code)
             << defaultTable(kStore2, b.defaultTable2, b.areas[0].code);

    const bool leaveOneOut = chance(0.5);
    int button = 0, button2 = 0;
    for (int i = 0; i < int(b.areas.size()); ++i) {
        const AreaRow& a = b.areas[i];
        if (a.situation != u"A" || (leaveOneOut && i == int(b.areas.size()) - 1) || button >= 18)
            continue;
        ++button;
        placeArea(b, kConf, button, a, kBackPalette[between(0, int(std::size(kBackPalette)) - 1)]);
        QList<const TableRow*> placed;
        for (const TableRow* t : tablesOf(b, kStore, a.code))
            if (chance(0.9))
                placed << t;
        placeTables(b, kConf, button, placed, [&](int) { return chance(0.1) ? 8421631 : kFreeBack; });

        const QList<const TableRow*> store2 = tablesOf(b, kStore2, a.code);
        if (!store2.isEmpty()) {
            ++button2;
            placeArea(b, kConf2, button2, a, kFreeBack);
            placeTables(b, kConf2, button2, store2);
        }
    }
    return b;
}

// ---------------------------------------------------------------------------
// Loading

namespace {

[[noreturn]] void fail(const QString& what)
{
    throw EQdlError(what);
}

// One value of a row; null when isNull.
struct Cell {
    QByteArray text;
    bool isNull = false;
    bool isNumber = false;
};

Cell text(const QString& s)
{
    return {s.toUtf8(), false, false};
}
Cell number(qint64 n)
{
    return {QByteArray::number(n), false, true};
}
Cell null()
{
    return {{}, true, false};
}

struct Sink {
    virtual ~Sink() = default;
    virtual void exec(const QString& sql) = 0;
    virtual void beginTable(const QString& table, const QStringList& columns) = 0;
    virtual void row(const std::vector<Cell>& cells) = 0;
    virtual void endTable() = 0;
};

class SqliteSink : public Sink {
public:
    explicit SqliteSink(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail(QStringLiteral("SQLite: %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    ~SqliteSink() override
    {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        sqlite3_close(m_db);
    }
    void exec(const QString& sql) override
    {
        char* err = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            const QString e = QString::fromUtf8(err);
            sqlite3_free(err);
            fail(QStringLiteral("SQLite: %1: %2").arg(sql.left(200), e));
        }
    }
    void beginTable(const QString& table, const QStringList& columns) override
    {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table, columns.join(QLatin1String(", ")), marks.join(QLatin1String(", ")))
                                   .toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            fail(QStringLiteral("SQLite: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    void row(const std::vector<Cell>& cells) override
    {
        for (size_t i = 0; i < cells.size(); ++i) {
            const int at = int(i) + 1;
            if (cells[i].isNull)
                sqlite3_bind_null(m_stmt, at);
            else if (cells[i].isNumber)
                sqlite3_bind_int64(m_stmt, at, cells[i].text.toLongLong());
            else
                sqlite3_bind_text(m_stmt, at, cells[i].text.constData(), int(cells[i].text.size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            fail(QStringLiteral("SQLite: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
        sqlite3_reset(m_stmt);
    }
    void endTable() override
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
    // Each row's first two columns, as text.
    QList<std::pair<QString, QString>> pairs(const QString& sql)
    {
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &q, nullptr) != SQLITE_OK)
            fail(QStringLiteral("SQLite: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
        QList<std::pair<QString, QString>> out;
        while (sqlite3_step(q) == SQLITE_ROW)
            out.append({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))),
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 1)))});
        sqlite3_finalize(q);
        return out;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// COPY ... FROM STDIN in text format, sent in blocks.
class PostgresSink : public Sink {
public:
    explicit PostgresSink(const QString& url) : m_conn(PQconnectdb(url.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            fail(QStringLiteral("PostgreSQL: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
    }
    ~PostgresSink() override { PQfinish(m_conn); }
    void exec(const QString& sql) override
    {
        PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
        PQclear(r);
        if (!ok)
            fail(QStringLiteral("PostgreSQL: %1: %2").arg(sql.left(200), QString::fromUtf8(PQerrorMessage(m_conn))));
    }
    void beginTable(const QString& table, const QStringList& columns) override
    {
        const QByteArray sql =
            QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QLatin1String(", "))).toUtf8();
        PGresult* r = PQexec(m_conn, sql.constData());
        const bool ok = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        if (!ok)
            fail(QStringLiteral("PostgreSQL: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
    }
    void row(const std::vector<Cell>& cells) override
    {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i)
                m_buffer += '\t';
            if (cells[i].isNull) {
                m_buffer += "\\N";
                continue;
            }
            for (char c : cells[i].text) {
                switch (c) {
                case '\\': m_buffer += "\\\\"; break;
                case '\t': m_buffer += "\\t"; break;
                case '\n': m_buffer += "\\n"; break;
                case '\r': m_buffer += "\\r"; break;
                default: m_buffer += c;
                }
            }
        }
        m_buffer += '\n';
        if (m_buffer.size() > (1 << 20))
            flush();
    }
    void endTable() override
    {
        flush();
        if (PQputCopyEnd(m_conn, nullptr) != 1)
            fail(QStringLiteral("PostgreSQL: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
        PGresult* r = PQgetResult(m_conn);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        while ((r = PQgetResult(m_conn)))
            PQclear(r);
        if (!ok)
            fail(QStringLiteral("PostgreSQL: COPY: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
    }

private:
    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        if (PQputCopyData(m_conn, m_buffer.constData(), int(m_buffer.size())) != 1)
            fail(QStringLiteral("PostgreSQL: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
        m_buffer.clear();
    }
    PGconn* m_conn;
    QByteArray m_buffer;
};

bool isSqlite(const QString& connection)
{
    return isSqliteConnectionString(connection);
}

// The schema's CREATE INDEX statements, by index name.
QList<std::pair<QString, QString>> secondaryIndexes(bool postgres)
{
    // An index statement holds no semicolon of its own.
    static const QRegularExpression create(QStringLiteral("^CREATE\\s+INDEX\\s+(\\w+)[^;]*"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::MultilineOption);
    QList<std::pair<QString, QString>> out;
    for (const QRegularExpressionMatch& m : create.globalMatch(qdlSchemaScript(postgres)))
        out.append({m.captured(1), m.captured(0).trimmed()});
    return out;
}
// The history's triggers on a PostgreSQL chain (one or three, by the
// schema's version), switched off while the generated buttons go in: the
// chain starts without a history.
QString postgresHistoryTriggers(const char* enableOrDisable)
{
    return QStringLiteral("DO $$ DECLARE t text; BEGIN FOR t IN SELECT tgname FROM pg_trigger WHERE tgrelid = "
                          "'itmenuconfte'::regclass AND tgname IN ('qdl_itmenuconfte_historico', "
                          "'qdl_itmenuconfte_inclusoes', 'qdl_itmenuconfte_exclusoes') LOOP "
                          "EXECUTE format('ALTER TABLE ITMENUCONFTE %1 TRIGGER %I', t); END LOOP; END $$")
        .arg(QLatin1String(enableOrDisable));
}


} // namespace

LoadReport generateChain(const QString& connection, qint64 targetButtons, std::uint32_t seed, bool analyze)
{
    QElapsedTimer clock;
    clock.start();
    createQdlDatabaseAt(connection, false);

    // Which branches: 9999 first, then 0000, 0001, ... until the target.
    LoadReport report;
    std::vector<int> chain;
    qint64 buttons = screenBranch().buttons.size();
    for (int i = 0; buttons < targetButtons; ++i) {
        if (i >= 9999)
            fail(QStringLiteral("Branch codes have four digits: %1 rows is more than 9999 branches hold.")
                     .arg(targetButtons));
        chain.push_back(i);
        buttons += chainBranch(i, seed).buttons.size();
    }
    const auto forEachBranch = [&](const std::function<void(const Branch&)>& f) {
        f(screenBranch());
        for (int i : chain)
            f(chainBranch(i, seed));
    };

    const bool sqlite = isSqlite(connection);
    std::unique_ptr<Sink> sink;
    if (sqlite) {
        sink = std::make_unique<SqliteSink>(connection.mid(7));
        sink->exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
        sink->exec(QStringLiteral("PRAGMA synchronous = OFF"));
        sink->exec(QStringLiteral("PRAGMA cache_size = -262144"));
    } else {
        sink = std::make_unique<PostgresSink>(connection);
        sink->exec(QStringLiteral("SET maintenance_work_mem = '256MB'"));
    }
    const auto indexes = secondaryIndexes(!sqlite);

    sink->exec(QStringLiteral("BEGIN"));
    for (const auto& [name, sql] : indexes)
        sink->exec(QStringLiteral("DROP INDEX %1").arg(name));

    sink->beginTable(QStringLiteral("LOJA"), {"CDFILIAL", "CDLOJA", "NRMESAPADRAO"});
    forEachBranch([&](const Branch& b) {
        sink->row({text(b.code), text(kStore), text(b.defaultTable)});
        sink->row({text(b.code), text(kStore2), text(b.defaultTable2)});
    });
    sink->endTable();

    sink->beginTable(QStringLiteral("CONFTELA"), {"CDFILIAL", "NRCONFTELA", "CDLOJA"});
    forEachBranch([&](const Branch& b) {
        sink->row({text(b.code), text(kConf), text(kStore)});
        sink->row({text(b.code), text(kConf2), text(kStore2)});
    });
    sink->endTable();

    sink->beginTable(QStringLiteral("SALA"), {"CDFILIAL", "CDSALA", "NMSALA", "IDSITSALA"});
    forEachBranch([&](const Branch& b) {
        ++report.branches;
        for (const AreaRow& a : b.areas) {
            sink->row({text(b.code), text(a.code), text(a.name), text(a.situation)});
            ++report.areas;
        }
    });
    sink->endTable();

    sink->beginTable(QStringLiteral("MESA"), {"CDFILIAL", "CDLOJA", "NRMESA", "CDSALA", "NMMESA", "IDSTMESA",
                                             "IDSTMESAAUX", "NRPESSOAMESA", "DSPOSICMESA"});
    forEachBranch([&](const Branch& b) {
        for (const TableRow& t : b.tables) {
            sink->row({text(b.code), text(t.store), text(t.nrmesa), text(t.area), text(t.name), text(t.status),
                       text(t.aux), number(t.people), t.position.isEmpty() ? null() : text(t.position)});
            ++report.tables;
        }
    });
    sink->endTable();

    // Insertion times spread over a few days of set-up work.
    QStringList stamps;
    for (int m = 0; m < 1000; ++m)
        stamps << QStringLiteral("2024-03-%1 %2:%3:00.000")
                      .arg(1 + m / 240, 2, 10, QLatin1Char('0'))
                      .arg(8 + (m / 60) % 4, 2, 10, QLatin1Char('0'))
                      .arg(m % 60, 2, 10, QLatin1Char('0'));
    // The chain stands for layouts made before their history began: the
    // history's triggers stay off while it is loaded.
    QList<std::pair<QString, QString>> historyTriggers;
    if (sqlite) {
        historyTriggers = static_cast<SqliteSink*>(sink.get())->pairs(
            QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'ITMENUCONFTE' "
                           "AND name LIKE 'QDL_ITMENUCONFTE_HIST%'"));
        for (const auto& [name, sql] : historyTriggers)
            sink->exec(QStringLiteral("DROP TRIGGER %1").arg(name));
    } else {
        sink->exec(postgresHistoryTriggers("DISABLE"));
    }
    sink->beginTable(QStringLiteral("ITMENUCONFTE"),
                     {"CDFILIAL", "NRCONFTELA", "IDTPBUTTON", "NRBUTTON", "CDIDENTBUTON", "DSBUTTON", "NRCOLORTEXT",
                      "NRCOLORBACK", "DSMESSAGEBUT", "IDTPBUTONAUX", "NRBUTTONAUX", "NRPGCONFTELA", "NRPGCONFTAUX",
                      "DTULTATUITCT"});
    forEachBranch([&](const Branch& b) {
        for (const ButtonRow& r : b.buttons) {
            sink->row({text(b.code), text(r.conf), text(r.type), text(r.number), text(r.ident), text(r.caption),
                       number(r.text), number(r.back), text(QString()), text(r.auxType), text(r.auxNumber),
                       text(r.page), text(r.auxPage), text(stamps[int(report.buttons % 1000)])});
            ++report.buttons;
        }
    });
    sink->endTable();
    if (sqlite) {
        for (const auto& [name, sql] : historyTriggers)
            sink->exec(sql);
    } else {
        sink->exec(postgresHistoryTriggers("ENABLE"));
    }

    for (const auto& [name, sql] : indexes)
        sink->exec(sql);
    sink->exec(QStringLiteral("COMMIT"));
    if (sqlite) {
        sink->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (analyze)
            sink->exec(QStringLiteral("ANALYZE"));
    } else {
        // The server's autovacuum would gather them soon; plans measured
        // before that would be those of an empty table.
        sink->exec(QStringLiteral("VACUUM ANALYZE"));
        // Write the load out now rather than in a background checkpoint that
        // would slow every commit of the first minutes of measuring.
        try {
            sink->exec(QStringLiteral("CHECKPOINT"));
        } catch (const EQdlError&) {
            // not allowed to this user: the server does it in its own time
        }
    }
    report.seconds = double(clock.nsecsElapsed()) / 1e9;
    return report;
}

QString withDatabase(const QString& postgresUrl, const QString& dbName)
{
    QUrl url(postgresUrl, QUrl::StrictMode);
    url.setPath(QLatin1Char('/') + dbName);
    return url.toString();
}

void resetDatabase(const QString& connection)
{
    if (isSqlite(connection)) {
        const QString path = connection.mid(7);
        for (const QString& p : {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")})
            if (QFile::exists(p) && !QFile::remove(p))
                fail(QStringLiteral("Cannot remove %1").arg(p));
        return;
    }
    const QUrl url(connection, QUrl::StrictMode);
    const QString name = url.path().mid(1);
    if (name.isEmpty() || name == u"postgres")
        fail(QStringLiteral("Refusing to drop the database \"%1\"").arg(name));
    PostgresSink admin(withDatabase(connection, QStringLiteral("postgres")));
    admin.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name));
    admin.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
}

bool postgresReachable(const QString& url)
{
    PGconn* c = PQconnectdb(url.toUtf8().constData());
    const bool ok = PQstatus(c) == CONNECTION_OK;
    PQfinish(c);
    return ok;
}

} // namespace qdlbench

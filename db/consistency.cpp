#include "consistency.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QUrl>
#include <atomic>

#include "connection.h"
#include "errors.h"

namespace {

struct Button {
    QString branch, configuration, type, number, page, parentType, parentNumber, parentPage, code;
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

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString describe(const Button& b)
{
    if (b.type == u"4")
        return QCoreApplication::translate("LayoutCheck", "botão de ambiente %1 (ambiente %2)").arg(quoted(b.number), quoted(b.code));
    if (b.type == u"3")
        return QCoreApplication::translate("LayoutCheck", "botão de mesa %1, página %2, sob o botão de ambiente %3 (mesa %4)")
            .arg(quoted(b.number), quoted(b.page), quoted(b.parentNumber), quoted(b.code));
    return QCoreApplication::translate("LayoutCheck", "botão %1 de tipo %2 (código %3)").arg(quoted(b.number), quoted(b.type), quoted(b.code));
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

// Runs a read of one table and hands each row to the callback; throws on an
// error, naming the table.
template <class OnRow>
void readAll(QSqlDatabase& db, const char* table, const QString& sql, OnRow&& onRow)
{
    const QString step = QCoreApplication::translate("LayoutCheck", "Erro ao ler a tabela %1").arg(QLatin1String(table));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw EDatabaseError(step, q.lastError());
    while (q.next())
        onRow(q);
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        throw EDatabaseError(step, error);
}

void control(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw EDatabaseError(QCoreApplication::translate("LayoutCheck", "Erro ao ler o leiaute (%1)").arg(sql), q.lastError());
    q.finish();
}

class Checker {
public:
    LayoutReport report;

    void run(QSqlDatabase& db)
    {
        readAll(db, "ITMENUCONFTE",
                QStringLiteral("SELECT CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
                               "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON FROM ITMENUCONFTE "
                               "ORDER BY CDFILIAL, NRCONFTELA, IDTPBUTTON DESC, NRBUTTONAUX, NRPGCONFTELA, NRBUTTON"),
                [this](QSqlQuery& q) {
                    Button b;
                    QString* const fields[] = {&b.branch,     &b.configuration, &b.type,       &b.number, &b.page,
                                               &b.parentType, &b.parentNumber,  &b.parentPage, &b.code};
                    for (int i = 0; i < 9; ++i)
                        *fields[i] = q.value(i).toString();
                    m_buttons << b;
                });
        readAll(db, "SALA", QStringLiteral("SELECT CDFILIAL, CDSALA FROM SALA"), [this](QSqlQuery& q) {
            m_areas.insert(keyOf({q.value(0).toString(), q.value(1).toString()}));
        });
        readAll(db, "MESA", QStringLiteral("SELECT CDFILIAL, NRMESA, CDSALA FROM MESA"), [this](QSqlQuery& q) {
            // A table number may stand in several stores of the branch.
            m_tableAreas[keyOf({q.value(0).toString(), q.value(1).toString()})].insert(q.value(2).toString());
        });

        QSet<QString> configurations;
        for (const Button& b : std::as_const(m_buttons)) {
            configurations.insert(keyOf({b.branch, b.configuration}));
            if (b.type == u"4")
                m_areaButtons.insert(keyOf({b.branch, b.configuration, b.number, b.page}), &b);
        }
        report.buttons = int(m_buttons.size());
        report.configurations = int(configurations.size());

        for (const Button& b : std::as_const(m_buttons)) {
            if (b.type == u"4")
                checkArea(b);
            else if (b.type == u"3")
                checkTable(b);
            else
                add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "tipo de botão desconhecido %1").arg(quoted(b.type)));
        }
        checkPlacedOnce();
    }

private:
    void add(LayoutFault fault, const Button& b, const QString& what)
    {
        report.problems << LayoutProblem{
            fault, b.branch, b.configuration,
            QCoreApplication::translate("LayoutCheck", "filial %1, configuração %2: %3: %4.").arg(b.branch, b.configuration, describe(b), what)};
    }

    void checkArea(const Button& b)
    {
        if (!isButtonNumber(b.number, 18))
            add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "o número do botão não é um dos botões de ambiente 01 a 18"));
        if (b.page != u"1")
            add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "página %1 em vez de \"1\"").arg(quoted(b.page)));
        if (b.parentType != u"0" || b.parentNumber != u"0" || b.parentPage != u"0")
            add(LayoutFault::CutKey, b,
                QCoreApplication::translate("LayoutCheck", "colunas do botão pai %1/%2/%3 em vez de \"0\"")
                    .arg(quoted(b.parentType), quoted(b.parentNumber), quoted(b.parentPage)));
        if (!m_areas.contains(keyOf({b.branch, b.code})))
            add(LayoutFault::UnknownCode, b, QCoreApplication::translate("LayoutCheck", "o ambiente %1 não existe na filial").arg(quoted(b.code)));
    }

    void checkTable(const Button& b)
    {
        if (!isButtonNumber(b.number, 48))
            add(LayoutFault::CutKey, b, QCoreApplication::translate("LayoutCheck", "o número do botão não é um dos botões de mesa 01 a 48"));
        if (!isPage(b.page))
            add(LayoutFault::CutKey, b,
                QCoreApplication::translate("LayoutCheck", "a página %1 não é um número decimal positivo sem zeros à esquerda").arg(quoted(b.page)));
        const bool parentWellFormed = b.parentType == u"4" && isButtonNumber(b.parentNumber, 18) && b.parentPage == u"1";
        if (!parentWellFormed)
            add(LayoutFault::CutKey, b,
                QCoreApplication::translate("LayoutCheck", "colunas do botão pai %1/%2/%3 não nomeiam um botão de ambiente")
                    .arg(quoted(b.parentType), quoted(b.parentNumber), quoted(b.parentPage)));

        const auto areas = m_tableAreas.constFind(keyOf({b.branch, b.code}));
        if (areas == m_tableAreas.constEnd())
            add(LayoutFault::UnknownCode, b, QCoreApplication::translate("LayoutCheck", "a mesa %1 não existe na filial").arg(quoted(b.code)));
        if (!parentWellFormed)
            return;

        const Button* parent = m_areaButtons.value(keyOf({b.branch, b.configuration, b.parentNumber, QStringLiteral("1")}));
        if (!parent) {
            add(LayoutFault::MissingParent, b,
                QCoreApplication::translate("LayoutCheck", "o botão de ambiente %1 não existe").arg(quoted(b.parentNumber)));
            return;
        }
        if (areas != m_tableAreas.constEnd() && !areas->contains(parent->code))
            add(LayoutFault::WrongArea, b,
                QCoreApplication::translate("LayoutCheck", "a mesa é do ambiente %1, e o botão %2 é do ambiente %3")
                    .arg(quoted(QStringList(areas->values()).join(QStringLiteral("\", \""))), quoted(parent->number),
                         quoted(parent->code)));
    }

    void checkPlacedOnce()
    {
        QMap<QString, QList<const Button*>> placements;
        for (const Button& b : std::as_const(m_buttons))
            if (b.type == u"3" || b.type == u"4")
                placements[keyOf({b.branch, b.configuration, b.type, b.code})] << &b;
        for (const QList<const Button*>& same : std::as_const(placements)) {
            if (same.size() < 2)
                continue;
            QStringList where;
            for (const Button* b : same)
                where << describe(*b);
            const Button& first = *same.first();
            report.problems << LayoutProblem{
                LayoutFault::PlacedTwice, first.branch, first.configuration,
                QCoreApplication::translate("LayoutCheck", "filial %1, configuração %2: %3 %4 está em %5 botões: %6.")
                    .arg(first.branch, first.configuration,
                         first.type == u"4" ? QCoreApplication::translate("LayoutCheck", "o ambiente") : QCoreApplication::translate("LayoutCheck", "a mesa"),
                         quoted(first.code))
                    .arg(same.size())
                    .arg(where.join(QStringLiteral("; ")))};
        }
    }

    QList<Button> m_buttons;
    QSet<QString> m_areas;
    QHash<QString, QSet<QString>> m_tableAreas;
    QHash<QString, const Button*> m_areaButtons;
};

} // namespace

int LayoutReport::count(LayoutFault fault) const
{
    int n = 0;
    for (const LayoutProblem& p : problems)
        n += p.fault == fault ? 1 : 0;
    return n;
}

LayoutReport checkLayout(QSqlDatabase& db)
{
    // One snapshot: a layout being changed by a terminal meanwhile must not
    // look broken halfway through the reads.
    const bool postgres = db.driverName() == QLatin1String("QPSQL");
    control(db, postgres ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY") : QStringLiteral("BEGIN"));
    Checker checker;
    try {
        checker.run(db);
    } catch (...) {
        QSqlQuery end(db);
        end.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    control(db, QStringLiteral("ROLLBACK"));
    return checker.report;
}

int runLayoutCheck(const QString& connectionString, QTextStream& out)
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("qdl-layout-check-%1").arg(++counter);
    int status = 2;
    {
        QSqlDatabase db;
        try {
            db = QSqlDatabase::addDatabase(driverOf(connectionString), name);
            applyConnectionString(db, connectionString);
            if (!db.open())
                throw EDatabaseError(QCoreApplication::translate("LayoutCheck", "Não foi possível abrir o banco de dados"), db.lastError());
            const LayoutReport report = checkLayout(db);
            out << QCoreApplication::translate("LayoutCheck", "Leiaute de %1: %2 botões em %3 configurações.")
                       .arg(withoutPassword(connectionString.trimmed())) // a report may be pasted anywhere
                       .arg(report.buttons)
                       .arg(report.configurations)
                << Qt::endl;
            for (const LayoutProblem& p : report.problems)
                out << p.text << Qt::endl;
            if (report.clean()) {
                out << QCoreApplication::translate("LayoutCheck", "Nenhum problema encontrado.") << Qt::endl;
                status = 0;
            } else {
                out << QCoreApplication::translate("LayoutCheck", "%n problema(s) encontrado(s).", nullptr,
                                                 int(report.problems.size())) << Qt::endl;
                status = 1;
            }
        } catch (const std::exception& e) {
            out << QCoreApplication::translate("LayoutCheck", "Não foi possível verificar o leiaute: %1")
                       .arg(ADOExceptionMessage(e, nullptr, QString()))
                << Qt::endl;
            status = 2;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return status;
}

#include "statement.h"

#include "errors.h"

namespace qdl {

Statement::Statement(TADOConnection& db, const QString& sql, QString step)
    : m_q(nullptr), m_step(std::move(step)), m_postgres(db.isPostgres())
{
    DbError error;
    m_owned = db.prepare(sql, error);
    if (!m_owned)
        throw EDatabaseError(m_step, error);
    m_q = m_owned.get();
}

Statement::Statement(std::unique_ptr<TADOQuery> prepared, QString step, bool postgres)
    : m_owned(std::move(prepared)), m_q(m_owned.get()), m_step(std::move(step)), m_postgres(postgres)
{
}

Statement::Statement(TADOQuery& prepared, QString step, bool postgres)
    : m_q(&prepared), m_step(std::move(step)), m_postgres(postgres)
{
}

Statement::Statement(TADOQuery& prepared, std::function<QString()> step, bool postgres)
    : m_q(&prepared), m_stepOf(std::move(step)), m_postgres(postgres)
{
}

Statement::~Statement() = default;

QString Statement::step() const
{
    return m_stepOf ? m_stepOf() : m_step;
}

Statement& Statement::setStep(QString step)
{
    m_step = std::move(step);
    m_stepOf = nullptr;
    return *this;
}
Statement::Statement(Statement&&) noexcept = default;

Statement& Statement::bindText(const char* name, const QString& value)
{
    // A null string goes as the empty text: both databases see one value.
    m_q->bindText(name, value.isNull() ? QStringLiteral("") : value);
    return *this;
}

Statement& Statement::bindNumber(const char* name, double value)
{
    m_q->bindNumber(name, value);
    return *this;
}

Statement& Statement::bindNull(const char* name)
{
    m_q->bindNull(name);
    return *this;
}

Statement& Statement::bindOptional(const char* name, const std::optional<QString>& value)
{
    return value ? bindText(name, *value) : bindNull(name);
}

Statement& Statement::bindOptional(const char* name, const std::optional<double>& value)
{
    return value ? bindNumber(name, *value) : bindNull(name);
}

Statement& Statement::bindTime(const char* name, const QDateTime& at)
{
    const QString utc = at.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    return bindText(name, m_postgres ? utc + QStringLiteral("+00") : utc);
}

void Statement::exec()
{
    if (!m_q->exec()) {
        const DbError error = m_q->lastError();
        m_q->finish();
        throw EDatabaseError(step(), error);
    }
}

int Statement::run()
{
    exec();
    const int changed = m_q->numRowsAffected();
    m_q->finish();
    return changed;
}

QVariant Statement::scalar()
{
    exec();
    const QVariant value = m_q->next() ? m_q->value(0) : QVariant();
    endRows();
    return value;
}

void Statement::endRows()
{
    const DbError error = m_q->lastError();
    m_q->finish();
    if (error.isValid())
        throw EDatabaseError(step(), error);
}

Transaction::Transaction(TADOConnection& db, TransactionMode mode) : m_db(db)
{
    m_db.BeginTrans(mode);
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_db.RollbackTrans();
    } catch (...) {
        // the error that led here is the one to report
    }
}

void Transaction::commit()
{
    m_open = false;
    m_db.CommitTrans();
}

void Transaction::rollback()
{
    m_open = false;
    m_db.RollbackTrans();
}

} // namespace qdl

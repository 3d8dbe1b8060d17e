#include "sqlquery.h"

bool SqlQuery::prepare(const QString& sql)
{
    m_query = m_connection.prepare(qdl::namedPlaceholders(sql), m_error);
    m_positional = 0;
    return m_query != nullptr;
}

bool SqlQuery::exec(const QString& sql)
{
    return prepare(sql) && exec();
}

void SqlQuery::bindValue(const QString& name, const QVariant& value)
{
    if (!m_query)
        return;
    const QByteArray key = name.toUtf8();
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong)
        m_query->bindNumber(key.constData(), value.toDouble());
    else
        m_query->bindText(key.constData(), value.toString());
}

void SqlQuery::addBindValue(const QVariant& value)
{
    bindValue(QStringLiteral(":P_Q%1").arg(++m_positional), value);
}

bool SqlQuery::exec()
{
    if (!m_query)
        return false;
    const bool ok = m_query->exec();
    m_error = ok ? DbError() : m_query->lastError();
    m_positional = 0;
    return ok;
}

bool SqlQuery::next()
{
    return m_query && m_query->next();
}

QVariant SqlQuery::value(int column) const
{
    return m_query ? m_query->value(column) : QVariant();
}

QVariant SqlQuery::value(const QString& column) const
{
    return m_query ? m_query->value(m_query->columnIndex(column)) : QVariant();
}

int SqlQuery::numRowsAffected() const
{
    return m_query ? m_query->numRowsAffected() : -1;
}

DbError SqlQuery::lastError() const
{
    if (m_query && m_query->lastError().isValid())
        return m_query->lastError();
    return m_error;
}

void SqlQuery::finish()
{
    if (m_query)
        m_query->finish();
}

std::string errorText(const DbError& error)
{
    return (error.message() + QStringLiteral(" (") + error.code() + QLatin1Char(')')).toStdString();
}

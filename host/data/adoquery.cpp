// The statement interface and what every statement on a session shares: the handle's list of live statements, parameter checks, the error
// of a statement run after its connection closed.

#include "adoquery.h"

#include <QCoreApplication>

#include "adoqueryimpl.h"
#include "textutil.h"

TADOQuery::~TADOQuery() = default;

int TADOQuery::columnIndex(const QString& name) const
{
    return indexOfName(columnCount(), [this](int i) { return columnName(i); }, name);
}

namespace qdl::detail {

// ---------------------------------------------------------------------------
// What both kinds share

HandleQuery::HandleQuery(LiveStatements& owner) : m_owner(&owner)
{
    m_owner->live.push_back(this);
}

HandleQuery::~HandleQuery()
{
    if (m_owner)
        std::erase(m_owner->live, this);
}

void HandleQuery::detach()
{
    release();
    m_owner = nullptr;
}

int HandleQuery::checkedParameter(int index, const char* name)
{
    if (index <= 0 && m_bindError.isEmpty())
        m_bindError = QString::fromLatin1(name);
    return index > 0 ? index : 0;
}

bool HandleQuery::closedError()
{
    m_error = DbError(DbError::Kind::ConnectionLost, QString(),
                      QCoreApplication::translate("TADOQuery", "a conexão com o banco de dados foi fechada"));
    return false;
}

bool HandleQuery::busyError()
{
    m_error = DbError(DbError::Kind::Busy, QString(),
                      QCoreApplication::translate("TADOQuery", "a conexão com o banco de dados está ocupada com outro comando"));
    return false;
}

bool HandleQuery::takeBindError()
{
    if (m_bindError.isEmpty())
        return false;
    m_error = DbError(DbError::Kind::Other, QString(),
                      QCoreApplication::translate("TADOQuery", "O comando não tem o parâmetro %1").arg(m_bindError));
    m_bindError.clear();
    return true;
}

LiveStatements::~LiveStatements()
{
    closeAll();
}

void LiveStatements::closeAll()
{
    for (HandleQuery* q : std::exchange(live, {})) {
        q->detach();
    }
}

} // namespace qdl::detail

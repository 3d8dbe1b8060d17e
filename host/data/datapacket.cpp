#include "datapacket.h"

#include "textutil.h"

int DataPacket::columnIndex(const QString& name) const
{
    return indexOfName(columns.size(), [this](int i) -> const QString& { return columns[i]; }, name);
}

QString ServiceResult::toText() const
{
    if (const auto* t = std::get_if<QString>(&m_value))
        return *t;
    if (const auto* e = std::get_if<DatabaseErrorText>(&m_value))
        return e->text;
    return {};
}

const DataPacket& ServiceResult::toPacket() const
{
    static const DataPacket empty;
    if (const auto* p = std::get_if<DataPacket>(&m_value))
        return *p;
    return empty;
}

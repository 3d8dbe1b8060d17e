#include "datapacket.h"

int DataPacket::columnIndex(const QString& name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
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

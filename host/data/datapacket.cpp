#include "datapacket.h"

#include "textutil.h"

int DataPacket::columnIndex(const QString& name) const
{
    return indexOfName(columns.size(), [this](int i) -> const QString& { return columns[i]; }, name);
}

QString packetText(const char* utf8, qsizetype bytes)
{
    if (bytes <= 0)
        return QString::fromUtf8(utf8, bytes);
    // Stored text is nearly always ASCII: widened as it is copied, without
    // the decoder's set-up; anything else goes to the decoder.
    QString text(bytes, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes; ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80)
            return QString::fromUtf8(utf8, bytes);
        out[i] = c;
    }
    return text;
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

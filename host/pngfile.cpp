#include "pngfile.h"

#include <QSaveFile>
#include <zlib.h>

namespace {

void appendBigEndian(QByteArray& out, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

// length, type, data, CRC-32 of type and data
void appendChunk(QByteArray& out, const char* type, QByteArrayView data)
{
    appendBigEndian(out, quint32(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* typeAndData = reinterpret_cast<const Bytef*>(out.constData() + start);
    appendBigEndian(out, quint32(crc32_z(crc32(0, nullptr, 0), typeAndData, size_t(out.size() - start))));
}

} // namespace

bool writeFastPng(const QImage& picture, const QString& file)
{
    if (picture.isNull())
        return false;
    const bool alpha = picture.hasAlphaChannel();
    const QImage pixels = picture.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int width = pixels.width(), height = pixels.height();
    const qsizetype rowBytes = qsizetype(width) * (alpha ? 4 : 3);

    // Each row: filter type 0 (none), then its bytes.
    QByteArray rows;
    rows.reserve((rowBytes + 1) * height);
    for (int y = 0; y < height; ++y) {
        rows.append('\0');
        rows.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), rowBytes);
    }

    // A zlib stream of stored blocks.
    QByteArray stream(qsizetype(compressBound(uLong(rows.size()))), Qt::Uninitialized);
    uLongf streamSize = uLongf(stream.size());
    if (compress2(reinterpret_cast<Bytef*>(stream.data()), &streamSize, reinterpret_cast<const Bytef*>(rows.constData()),
                  uLong(rows.size()), Z_NO_COMPRESSION)
        != Z_OK)
        return false;

    QByteArray header;
    appendBigEndian(header, quint32(width));
    appendBigEndian(header, quint32(height));
    header.append(char(8));             // bits per channel
    header.append(char(alpha ? 6 : 2)); // RGBA or RGB
    header.append("\0\0\0", 3);         // deflate, adaptive filtering, no interlace

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(qsizetype(streamSize) + 64);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", QByteArrayView(stream.constData(), qsizetype(streamSize)));
    appendChunk(png, "IEND", {});

    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(png) == png.size() && out.commit();
}

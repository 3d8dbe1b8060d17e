#include "pngfile.h"

#include <QSaveFile>
#include <algorithm>
#include <zlib.h>

namespace {

constexpr qsizetype kStoredBlock = 65535; // the most one stored deflate block holds
constexpr int kStripRows = 100; // rows asked for at a time: a sixth of a screen in memory

QByteArray bigEndian(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

// Writes one chunk's bytes and keeps the CRC-32 of its type and data.
class ChunkWriter {
public:
    ChunkWriter(QIODevice& out, const char* type, quint32 length) : m_out(out)
    {
        m_ok = m_out.write(bigEndian(length)) == 4;
        write(QByteArrayView(type, 4));
    }
    void write(QByteArrayView bytes)
    {
        m_crc = crc32_z(m_crc, reinterpret_cast<const Bytef*>(bytes.data()), size_t(bytes.size()));
        m_ok = m_ok && m_out.write(bytes.data(), bytes.size()) == bytes.size();
    }
    bool end() { return m_ok && m_out.write(bigEndian(quint32(m_crc))) == 4; }

private:
    QIODevice& m_out;
    uLong m_crc = crc32(0, nullptr, 0);
    bool m_ok = true;
};

// The zlib stream of the rows as stored deflate blocks, written as it comes.
class StoredDeflate {
public:
    explicit StoredDeflate(ChunkWriter& chunk, qsizetype total) : m_chunk(chunk), m_left(total)
    {
        m_chunk.write("\x78\x01"); // deflate, 32 KB window, no dictionary
        m_block.reserve(kStoredBlock);
    }
    // Lengths the stream of total bytes takes.
    static qsizetype size(qsizetype total)
    {
        const qsizetype blocks = std::max<qsizetype>(1, (total + kStoredBlock - 1) / kStoredBlock);
        return 2 + blocks * 5 + total + 4;
    }
    void write(QByteArrayView bytes)
    {
        m_adler = adler32_z(m_adler, reinterpret_cast<const Bytef*>(bytes.data()), size_t(bytes.size()));
        while (!bytes.isEmpty()) {
            const qsizetype take = std::min(bytes.size(), kStoredBlock - m_block.size());
            m_block.append(bytes.first(take));
            bytes = bytes.sliced(take);
            m_left -= take;
            if (m_block.size() == kStoredBlock || m_left == 0)
                flushBlock();
        }
    }
    void end()
    {
        if (!m_block.isEmpty() || !m_flushedAny)
            flushBlock();
        m_chunk.write(bigEndian(quint32(m_adler)));
    }

private:
    void flushBlock()
    {
        const auto length = quint16(m_block.size());
        const char head[5] = {char(m_left == 0 ? 1 : 0), char(length & 0xFF), char(length >> 8),
                              char(~length & 0xFF), char((~length >> 8) & 0xFF)};
        m_chunk.write(QByteArrayView(head, 5));
        m_chunk.write(m_block);
        m_block.clear();
        m_flushedAny = true;
    }

    ChunkWriter& m_chunk;
    qsizetype m_left;
    QByteArray m_block;
    uLong m_adler = adler32(0, nullptr, 0);
    bool m_flushedAny = false;
};

} // namespace

bool writeFastPng(QSize size, const std::function<QImage(int top, int rows)>& strip, const QString& file)
{
    const int width = size.width(), height = size.height();
    if (width <= 0 || height <= 0)
        return false;
    QImage first = strip(0, std::min(kStripRows, height));
    if (first.isNull())
        return false;
    const bool alpha = first.hasAlphaChannel();
    const QImage::Format format = alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    const qsizetype rowBytes = qsizetype(width) * (alpha ? 4 : 3);
    const qsizetype rawSize = (rowBytes + 1) * height;

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write("\x89PNG\r\n\x1a\n", 8) != 8)
        return false;

    ChunkWriter header(out, "IHDR", 13);
    header.write(bigEndian(quint32(width)));
    header.write(bigEndian(quint32(height)));
    const char rest[5] = {8, char(alpha ? 6 : 2), 0, 0, 0}; // 8 bits, RGB(A), deflate, filters, no interlace
    header.write(QByteArrayView(rest, 5));
    if (!header.end())
        return false;

    ChunkWriter data(out, "IDAT", quint32(StoredDeflate::size(rawSize)));
    StoredDeflate stream(data, rawSize);
    for (int top = 0; top < height; top += kStripRows) {
        const int rows = std::min(kStripRows, height - top);
        QImage pixels = top == 0 ? std::move(first) : strip(top, rows);
        if (pixels.width() != width || pixels.height() != rows || pixels.hasAlphaChannel() != alpha)
            return false;
        pixels.convertTo(format);
        for (int y = 0; y < rows; ++y) {
            stream.write(QByteArrayView("\0", 1)); // filter type 0: the row as it is
            stream.write(QByteArrayView(reinterpret_cast<const char*>(pixels.constScanLine(y)), rowBytes));
        }
    }
    stream.end();
    if (!data.end())
        return false;

    ChunkWriter end(out, "IEND", 0);
    return end.end() && out.commit();
}

bool writeFastPng(const QImage& picture, const QString& file)
{
    if (picture.isNull())
        return false;
    return writeFastPng(
        picture.size(), [&picture](int top, int rows) { return picture.copy(0, top, picture.width(), rows); }, file);
}

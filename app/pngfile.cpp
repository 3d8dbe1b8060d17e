#include "pngfile.h"

#include <QSaveFile>
#include <algorithm>
#include <zlib.h>

namespace {

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

// The rows through zlib at its fastest level, written out as IDAT chunks
// whenever the output buffer fills (a PNG may split its data over many).
class IdatWriter {
public:
    explicit IdatWriter(QIODevice& out) : m_out(out), m_buffer(kChunk, Qt::Uninitialized)
    {
        m_ok = deflateInit(&m_z, Z_BEST_SPEED) == Z_OK;
        resetOutput();
    }
    ~IdatWriter() { deflateEnd(&m_z); }
    IdatWriter(const IdatWriter&) = delete;
    IdatWriter& operator=(const IdatWriter&) = delete;

    void write(QByteArrayView bytes)
    {
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        m_z.avail_in = uInt(bytes.size());
        while (m_ok && m_z.avail_in > 0) {
            m_ok = deflate(&m_z, Z_NO_FLUSH) == Z_OK;
            if (m_z.avail_out == 0)
                flushChunk();
        }
    }
    bool finish()
    {
        int rc = Z_OK;
        while (m_ok && rc != Z_STREAM_END) {
            rc = deflate(&m_z, Z_FINISH);
            m_ok = rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR;
            if (m_z.avail_out == 0 || rc == Z_STREAM_END)
                flushChunk();
        }
        return m_ok;
    }

private:
    static constexpr qsizetype kChunk = 64 * 1024;

    void resetOutput()
    {
        m_z.next_out = reinterpret_cast<Bytef*>(m_buffer.data());
        m_z.avail_out = uInt(m_buffer.size());
    }
    void flushChunk()
    {
        const qsizetype used = m_buffer.size() - qsizetype(m_z.avail_out);
        if (used > 0) {
            ChunkWriter chunk(m_out, "IDAT", quint32(used));
            chunk.write(QByteArrayView(m_buffer.constData(), used));
            m_ok = m_ok && chunk.end();
        }
        resetOutput();
    }

    QIODevice& m_out;
    QByteArray m_buffer;
    z_stream m_z{};
    bool m_ok = false;
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

    IdatWriter stream(out);
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
    if (!stream.finish())
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

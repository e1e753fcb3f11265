#include "dictionary/DictZipFile.h"

#include <QFile>

#include <zlib.h>

namespace {

// gzip header flags.
constexpr uchar kFlagHeaderCRC = 0x02;
constexpr uchar kFlagExtra = 0x04;
constexpr uchar kFlagName = 0x08;
constexpr uchar kFlagComment = 0x10;
constexpr qint64 kFixedHeaderLength = 10;

quint16 littleEndian16(const uchar *bytes) { return static_cast<quint16>(bytes[0] | (bytes[1] << 8)); }

// Inflates `input`: a gzip member to its end (`gzip`), or a raw deflate chunk up to the
// flush point that ends it.
std::optional<QByteArray> inflated(const uchar *input, qint64 length, bool gzip, qint64 expectedSize)
{
    z_stream stream{};
    if (inflateInit2(&stream, gzip ? 16 + MAX_WBITS : -MAX_WBITS) != Z_OK)
        return std::nullopt;
    QByteArray output;
    output.reserve(static_cast<qsizetype>(expectedSize > 0 ? expectedSize : length * 4));
    stream.next_in = const_cast<Bytef *>(input);
    stream.avail_in = static_cast<uInt>(length);
    char buffer[16384];
    bool complete = false;
    while (true) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        const int status = inflate(&stream, Z_SYNC_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            // No progress for want of input: a raw chunk has given all it has.
            complete = status == Z_BUF_ERROR && stream.avail_in == 0 && !gzip;
            break;
        }
        output.append(buffer, static_cast<qsizetype>(sizeof buffer - stream.avail_out));
        if (status == Z_STREAM_END || (stream.avail_in == 0 && stream.avail_out != 0)) {
            complete = status == Z_STREAM_END || !gzip;
            break;
        }
    }
    inflateEnd(&stream);
    if (!complete)
        return std::nullopt;
    return output;
}

} // namespace

DictZipFile::~DictZipFile() = default;

std::unique_ptr<DictZipFile> DictZipFile::open(const QString &path)
{
    std::unique_ptr<DictZipFile> result(new DictZipFile);
    result->m_file = std::make_unique<QFile>(path);
    if (!result->m_file->open(QIODevice::ReadOnly) || result->m_file->size() < kFixedHeaderLength)
        return nullptr;
    const qint64 size = result->m_file->size();
    result->m_bytes = result->m_file->map(0, size);
    const uchar *bytes = result->m_bytes;
    if (bytes == nullptr || bytes[0] != 0x1f || bytes[1] != 0x8b || bytes[2] != 8 || !(bytes[3] & kFlagExtra))
        return nullptr;
    const uchar flags = bytes[3];
    qint64 position = kFixedHeaderLength;
    if (position + 2 > size)
        return nullptr;
    const qint64 extraLength = littleEndian16(bytes + position);
    position += 2;
    const qint64 extraEnd = position + extraLength;
    if (extraEnd > size)
        return nullptr;

    // Subfields: two id bytes, a length, the data. Only "RA" matters.
    std::vector<quint16> compressedLengths;
    while (position + 4 <= extraEnd) {
        const qint64 subfieldLength = littleEndian16(bytes + position + 2);
        const qint64 data = position + 4;
        if (data + subfieldLength > extraEnd)
            return nullptr;
        if (bytes[position] == 'R' && bytes[position + 1] == 'A' && subfieldLength >= 6) {
            const quint16 version = littleEndian16(bytes + data);
            result->m_chunkLength = littleEndian16(bytes + data + 2);
            const qint64 count = littleEndian16(bytes + data + 4);
            if (version != 1 || result->m_chunkLength == 0 || 6 + 2 * count > subfieldLength)
                return nullptr;
            for (qint64 i = 0; i < count; ++i)
                compressedLengths.push_back(littleEndian16(bytes + data + 6 + 2 * i));
        }
        position = data + subfieldLength;
    }
    if (compressedLengths.empty())
        return nullptr;
    position = extraEnd;
    for (uchar flag : {kFlagName, kFlagComment}) {
        if (!(flags & flag))
            continue;
        while (position < size && bytes[position] != 0)
            ++position;
        ++position;
    }
    if (flags & kFlagHeaderCRC)
        position += 2;

    for (quint16 length : compressedLengths) {
        result->m_chunkStarts.push_back(position);
        position += length;
    }
    result->m_chunkStarts.push_back(position);
    if (position > size)
        return nullptr;
    return result;
}

std::optional<QByteArray> DictZipFile::read(quint64 offset, quint32 size) const
{
    const quint64 chunkCount = m_chunkStarts.size() - 1;
    const quint64 first = offset / m_chunkLength;
    const quint64 last = (offset + (size == 0 ? 0 : size - 1)) / m_chunkLength;
    if (last >= chunkCount)
        return std::nullopt;
    QByteArray text;
    for (quint64 chunk = first; chunk <= last; ++chunk) {
        const qint64 start = m_chunkStarts[chunk];
        const auto piece = inflated(m_bytes + start, m_chunkStarts[chunk + 1] - start, false, m_chunkLength);
        if (!piece)
            return std::nullopt;
        text += *piece;
    }
    const quint64 skip = offset - first * m_chunkLength;
    if (skip + size > static_cast<quint64>(text.size()))
        return std::nullopt;
    return text.mid(static_cast<qsizetype>(skip), static_cast<qsizetype>(size));
}

std::optional<QByteArray> DictZipFile::gunzip(const QByteArray &compressed)
{
    return inflated(reinterpret_cast<const uchar *>(compressed.constData()), compressed.size(), true, 0);
}

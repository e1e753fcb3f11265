#include "export/CRC32.h"

// Byte-at-a-time lookups run at roughly 400 MB/s, too slow for large workbooks, so the
// checksum consumes 16 bytes per step ("slicing by 16"). kSlices[0] is the classic
// table; kSlices[k][b] is the CRC of byte b followed by k zero bytes, which lets 16
// independent lookups be XOR-ed together.
static constexpr int kSliceCount = 16;
using SliceTables = std::array<std::array<quint32, 256>, kSliceCount>;

static constexpr SliceTables makeSliceTables()
{
    SliceTables tables{};
    for (quint32 byte = 0; byte < 256; ++byte) {
        quint32 value = byte;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1U) ? (value >> 1) ^ 0xEDB88320U : value >> 1;
        tables[0][byte] = value;
    }
    for (int slice = 1; slice < kSliceCount; ++slice) {
        for (int byte = 0; byte < 256; ++byte) {
            const quint32 previous = tables[slice - 1][byte];
            tables[slice][byte] = (previous >> 8) ^ tables[0][previous & 0xFFU];
        }
    }
    return tables;
}

static constexpr SliceTables kSlices = makeSliceTables();

const std::array<quint32, 256> CRC32::table = kSlices[0];

static inline quint32 loadLittleEndian32(const uchar *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

quint32 CRC32::checksum(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    qsizetype remaining = bytes.size();
    quint32 crc = 0xFFFFFFFFU;

    while (remaining >= 16) {
        const quint32 a = loadLittleEndian32(p) ^ crc;
        const quint32 b = loadLittleEndian32(p + 4);
        const quint32 c = loadLittleEndian32(p + 8);
        const quint32 d = loadLittleEndian32(p + 12);
        crc = kSlices[15][a & 0xFF] ^ kSlices[14][(a >> 8) & 0xFF] ^ kSlices[13][(a >> 16) & 0xFF]
            ^ kSlices[12][a >> 24] ^ kSlices[11][b & 0xFF] ^ kSlices[10][(b >> 8) & 0xFF]
            ^ kSlices[9][(b >> 16) & 0xFF] ^ kSlices[8][b >> 24] ^ kSlices[7][c & 0xFF]
            ^ kSlices[6][(c >> 8) & 0xFF] ^ kSlices[5][(c >> 16) & 0xFF] ^ kSlices[4][c >> 24]
            ^ kSlices[3][d & 0xFF] ^ kSlices[2][(d >> 8) & 0xFF] ^ kSlices[1][(d >> 16) & 0xFF]
            ^ kSlices[0][d >> 24];
        p += 16;
        remaining -= 16;
    }
    while (remaining-- > 0)
        crc = (crc >> 8) ^ table[(crc ^ *p++) & 0xFFU];
    return ~crc;
}

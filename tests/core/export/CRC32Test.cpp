#include "export/CRC32.h"

#include <QByteArray>

#include <gtest/gtest.h>

// Plain byte-at-a-time CRC over the published table, as a reference for the fast path.
static quint32 referenceChecksum(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFU;
    for (char byte : bytes)
        crc = (crc >> 8) ^ CRC32::table[(crc ^ uchar(byte)) & 0xFFU];
    return ~crc;
}

TEST(CRC32, matchesTheStandardCheckValues)
{
    EXPECT_EQ(CRC32::checksum(QByteArray("123456789")), 0xCBF43926U);
    EXPECT_EQ(CRC32::checksum(QByteArray()), 0U);
    EXPECT_EQ(CRC32::checksum(QByteArray("The quick brown fox jumps over the lazy dog")), 0x414FA339U);
    EXPECT_EQ(CRC32::checksum(QByteArray(1 << 20, '\0')), 0xA738EA1CU);
}

// The wide loop and the byte tail meet at every length and alignment around 16 bytes.
TEST(CRC32, agreesWithByteAtATimeForEveryLengthAndAlignment)
{
    QByteArray data(300, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 131 + 7) ^ (i >> 3));
    for (int offset = 0; offset < 8; ++offset) {
        for (int length = 0; length <= 140; ++length) {
            const QByteArrayView slice(data.constData() + offset, length);
            ASSERT_EQ(CRC32::checksum(slice), referenceChecksum(slice)) << "offset " << offset << " length " << length;
        }
    }
}

#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <array>

// The CRC-32 of zlib and ZIP (ISO-HDLC): reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement.
class CRC32 {
public:
    // Checksum of the whole buffer; empty data gives 0.
    static quint32 checksum(QByteArrayView bytes);

    // The byte-at-a-time table: entry b is b shifted right eight times, XOR-ing the
    // polynomial whenever a one bit drops out. Built at compile time.
    static const std::array<quint32, 256> table;
};

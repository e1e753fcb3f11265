#pragma once

#include "export/CRC32.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

// A little-endian field of `bytes` bytes.
inline quint32 le(const QByteArray &zip, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | uchar(zip.at(at + i));
    return value;
}

struct ZipEntry {
    QString name;
    QByteArray data;
};

// Walks the archive from its end record as a ZIP reader does, failing the test on any field
// that disagrees with the stored, UTF-8-named layout.
inline QList<ZipEntry> readArchive(const QByteArray &zip)
{
    QList<ZipEntry> entries;
    const qsizetype end = zip.size() - 22;
    if (end < 0 || le(zip, end, 4) != 0x06054B50U) {
        ADD_FAILURE() << "no end record";
        return entries;
    }
    qsizetype at = le(zip, end + 16, 4);
    EXPECT_EQ(at + le(zip, end + 12, 4), end) << "directory offset and size";
    for (quint32 i = 0; i < le(zip, end + 10, 2) && at < end; ++i) {
        EXPECT_EQ(le(zip, at, 4), 0x02014B50U) << "directory entry " << i;
        EXPECT_EQ(le(zip, at + 8, 4), 0x0800U) << "UTF-8 names, stored";
        EXPECT_EQ(le(zip, at + 20, 4), le(zip, at + 24, 4)) << "sizes";
        EXPECT_EQ(le(zip, at + 30, 4), 0U) << "extra field and comment";
        const quint32 size = le(zip, at + 20, 4), nameLength = le(zip, at + 28, 2);
        const qsizetype local = le(zip, at + 42, 4);
        // The local header repeats flags, method, time, checksum, sizes and name.
        EXPECT_EQ(le(zip, local, 4), 0x04034B50U);
        EXPECT_EQ(zip.mid(local + 6, 22), zip.mid(at + 8, 22));
        EXPECT_EQ(le(zip, local + 28, 2), 0U);
        EXPECT_EQ(zip.mid(local + 30, nameLength), zip.mid(at + 46, nameLength));
        const QByteArray data = zip.mid(local + 30 + nameLength, size);
        EXPECT_EQ(le(zip, at + 16, 4), CRC32::checksum(data));
        entries.append({QString::fromUtf8(zip.mid(at + 46, nameLength)), data});
        at += 46 + nameLength;
    }
    EXPECT_EQ(at, end) << "entry count and directory size";
    return entries;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

inline quint16 u16(const QByteArray &bytes, qsizetype at)
{
    return quint16(uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8));
}

inline quint32 u32(const QByteArray &bytes, qsizetype at)
{
    return quint32(u16(bytes, at)) | (quint32(u16(bytes, at + 2)) << 16);
}

// What the central directory says about one entry, checked against its local header.
struct CentralEntry {
    QString name;
    quint32 checksum;
    quint32 size;
    quint32 localOffset;
};

// Walks the archive from the end record the way a ZIP reader does, failing the test on
// any field that disagrees with the stored, UTF-8, zero-date layout.
inline QList<CentralEntry> readArchive(const QByteArray &archive)
{
    QList<CentralEntry> entries;
    const qsizetype end = archive.size() - 22;
    EXPECT_GE(end, 0);
    if (end < 0)
        return entries;
    EXPECT_EQ(u32(archive, end), 0x06054B50U);
    EXPECT_EQ(u16(archive, end + 4), 0);
    EXPECT_EQ(u16(archive, end + 6), 0);
    const quint16 count = u16(archive, end + 8);
    EXPECT_EQ(u16(archive, end + 10), count);
    const quint32 directorySize = u32(archive, end + 12);
    const quint32 directoryOffset = u32(archive, end + 16);
    EXPECT_EQ(u16(archive, end + 20), 0);
    EXPECT_EQ(qsizetype(directoryOffset) + directorySize, end);

    qsizetype at = directoryOffset;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(u32(archive, at), 0x02014B50U) << "entry " << i;
        EXPECT_EQ(u16(archive, at + 4), 20);
        EXPECT_EQ(u16(archive, at + 6), 20);
        EXPECT_EQ(u16(archive, at + 8), 0x0800);
        EXPECT_EQ(u16(archive, at + 10), 0) << "compression method";
        EXPECT_EQ(u32(archive, at + 12), 0U) << "time and date";
        CentralEntry entry;
        entry.checksum = u32(archive, at + 16);
        entry.size = u32(archive, at + 20);
        EXPECT_EQ(u32(archive, at + 24), entry.size);
        const quint16 nameLength = u16(archive, at + 28);
        for (int field = 30; field < 42; field += 2)
            EXPECT_EQ(u16(archive, at + field), 0) << "field at " << field;
        entry.localOffset = u32(archive, at + 42);
        entry.name = QString::fromUtf8(archive.mid(at + 46, nameLength));
        at += 46 + nameLength;

        const qsizetype local = entry.localOffset;
        EXPECT_EQ(u32(archive, local), 0x04034B50U) << "local header of " << entry.name.toStdString();
        EXPECT_EQ(u16(archive, local + 4), 20);
        EXPECT_EQ(u16(archive, local + 6), 0x0800);
        EXPECT_EQ(u16(archive, local + 8), 0);
        EXPECT_EQ(u32(archive, local + 10), 0U);
        EXPECT_EQ(u32(archive, local + 14), entry.checksum);
        EXPECT_EQ(u32(archive, local + 18), entry.size);
        EXPECT_EQ(u32(archive, local + 22), entry.size);
        EXPECT_EQ(u16(archive, local + 26), nameLength);
        EXPECT_EQ(u16(archive, local + 28), 0);
        EXPECT_EQ(archive.mid(local + 30, nameLength), entry.name.toUtf8());
        entries.append(entry);
    }
    EXPECT_EQ(at, end) << "central directory size";
    return entries;
}

inline QByteArray storedData(const QByteArray &archive, const CentralEntry &entry)
{
    const qsizetype nameLength = u16(archive, entry.localOffset + 26);
    return archive.mid(entry.localOffset + 30 + nameLength, entry.size);
}

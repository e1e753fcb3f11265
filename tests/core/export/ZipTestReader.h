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

// What the central directory says about one entry.
struct CentralEntry {
    QString name;
    quint32 checksum;
    QByteArray data; // as found behind the entry's local header
};

// Walks the archive from the end record as a ZIP reader does, failing the test on any
// field that disagrees with the stored, UTF-8-named, zero-dated layout.
inline QList<CentralEntry> readArchive(const QByteArray &archive)
{
    // signature, versions 20 (and 20), flags 0x0800, method 0, zero time and date
    static const QByteArray localFixed = QByteArray::fromHex("504b03041400000800000000000000");
    static const QByteArray centralFixed = QByteArray::fromHex("504b0102140014000008000000000000");
    QList<CentralEntry> entries;
    const qsizetype end = archive.size() - 22;
    if (end < 0 || u32(archive, end) != 0x06054B50U) {
        ADD_FAILURE() << "no end record";
        return entries;
    }
    const quint16 count = u16(archive, end + 8);
    EXPECT_EQ(u32(archive, end + 4), 0U) << "disk numbers";
    EXPECT_EQ(u16(archive, end + 10), count);
    EXPECT_EQ(qsizetype(u32(archive, end + 16)) + u32(archive, end + 12), end) << "directory offset and size";
    EXPECT_EQ(u16(archive, end + 20), 0) << "comment";

    qsizetype at = u32(archive, end + 16);
    for (int i = 0; i < count && at < end; ++i) {
        EXPECT_EQ(archive.mid(at, 16), centralFixed) << "directory entry " << i;
        const quint16 nameLength = u16(archive, at + 28);
        EXPECT_EQ(archive.mid(at + 30, 12), QByteArray(12, '\0')) << "extra, comment, disk, attributes";
        const quint32 size = u32(archive, at + 20);
        const qsizetype local = u32(archive, at + 42);
        const QByteArray name = archive.mid(at + 46, nameLength);

        // The local header repeats checksum, sizes and name, at the offset the directory gives.
        EXPECT_EQ(archive.mid(local, 14), localFixed.left(14)) << "local header of " << name.toStdString();
        EXPECT_EQ(archive.mid(local + 14, 16), archive.mid(at + 16, 16)) << "checksum, sizes, name length";
        EXPECT_EQ(u16(archive, local + 28), 0) << "extra field";
        EXPECT_EQ(archive.mid(local + 30, nameLength), name);
        EXPECT_EQ(u32(archive, at + 24), size);
        entries.append({QString::fromUtf8(name), u32(archive, at + 16), archive.mid(local + 30 + nameLength, size)});
        at += 46 + nameLength;
    }
    EXPECT_EQ(at, end) << "central directory size";
    return entries;
}

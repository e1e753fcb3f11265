#include "services/CRC32.h"
#include "services/ZipArchiveWriter.h"

#include "support/TestSupport.h"
#include "ZipTestReader.h"

#include <gtest/gtest.h>

TEST(ZipArchiveWriter, storesEveryEntryWithConsistentHeadersAndDirectory)
{
    const QList<ZipFile> files{
        {QStringLiteral("a.txt"), QByteArray("hello")},
        {QStringLiteral("dir/收藏.xml"), QByteArray("<x/>")},
        {QStringLiteral("empty"), QByteArray()},
    };
    const QByteArray archive = ZipArchiveWriter::archive(files);
    const QList<CentralEntry> entries = readArchive(archive);
    ASSERT_EQ(entries.size(), files.size());
    EXPECT_EQ(entries[0].localOffset, 0U);
    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_EQ(entries[i].name, files[i].path);
        EXPECT_EQ(entries[i].checksum, CRC32::checksum(files[i].data));
        EXPECT_EQ(storedData(archive, entries[i]), files[i].data);
    }
    // Each entry directly follows the previous one: header, name, data, nothing else.
    EXPECT_EQ(entries[1].localOffset, 30U + 5 + 5);
    EXPECT_EQ(entries[2].localOffset, entries[1].localOffset + 30 + QByteArray("dir/收藏.xml").size() + 4);
    // The end record's offset points at the first directory entry.
    EXPECT_EQ(u32(archive, u32(archive, archive.size() - 6)), 0x02014B50U);
}

TEST(ZipArchiveWriter, emptyArchiveIsJustTheEndRecord)
{
    const QByteArray archive = ZipArchiveWriter::archive({});
    EXPECT_EQ(archive, QByteArray::fromHex("504b0506000000000000000000000000000000000000"));
}

TEST(ZipArchiveWriter, equalInputGivesEqualBytes)
{
    const QList<ZipFile> files{{QStringLiteral("x"), QByteArray(1000, 'x')}};
    EXPECT_EQ(ZipArchiveWriter::archive(files), ZipArchiveWriter::archive(files));
}

// Past the 16-bit fields the headers would wrap around and describe another archive.
TEST(ZipArchiveWriter, refusesWhatTheClassicFormatCannotDescribe)
{
    EXPECT_THROW(ZipArchiveWriter::archive({{QString(65536, u'n'), QByteArray()}}), ZipArchiveError);
    EXPECT_NO_THROW(ZipArchiveWriter::archive({{QString(65535, u'n'), QByteArray()}}));

    QList<ZipFile> many(65535, ZipFile{QStringLiteral("e"), QByteArray()});
    EXPECT_THROW(ZipArchiveWriter::archive(many), ZipArchiveError);
    many.removeLast();
    const QByteArray archive = ZipArchiveWriter::archive(many);
    EXPECT_EQ(u16(archive, archive.size() - 12), 65534);
}

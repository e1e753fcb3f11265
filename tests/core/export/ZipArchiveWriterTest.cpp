#include "export/CRC32.h"
#include "export/ZipArchiveWriter.h"

#include "support/TestSupport.h"
#include "core/export/ZipTestReader.h"

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
    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_EQ(entries[i].name, files[i].path);
        EXPECT_EQ(entries[i].checksum, CRC32::checksum(files[i].data));
        EXPECT_EQ(entries[i].data, files[i].data);
    }
    // Entries are packed back to back: header, name, data, nothing else.
    const qsizetype directoryOffset = u32(archive, archive.size() - 6);
    EXPECT_EQ(directoryOffset, 3 * 30 + QByteArray("a.txtdir/收藏.xmlempty").size() + 5 + 4);
    EXPECT_EQ(u32(archive, directoryOffset), 0x02014B50U);
}

TEST(ZipArchiveWriter, emptyArchiveIsJustTheEndRecord)
{
    const QByteArray archive = ZipArchiveWriter::archive({});
    EXPECT_EQ(archive, QByteArray::fromHex("504b0506000000000000000000000000000000000000"));
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

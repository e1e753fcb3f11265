#include "export/ZipArchiveWriter.h"

#include "core/export/ZipTestReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(CRC32, MatchesTheStandardCheckValuesOnBothPaths)
{
    // Short inputs take the byte loop only; longer ones the 16-byte steps and then the tail.
    const std::pair<QByteArray, quint32> vectors[] = {
        {QByteArray(), 0U},
        {"123456789", 0xCBF43926U},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339U},
        {QByteArray(1 << 20, '\0'), 0xA738EA1CU},
    };
    for (const auto &[bytes, checksum] : vectors)
        EXPECT_EQ(CRC32::checksum(bytes), checksum) << bytes.size();
}

TEST(ZipArchiveWriter, StoresEveryEntryBackToBackWithAConsistentDirectory)
{
    const QList<ZipFile> files{{QStringLiteral("a.txt"), "hello"}, {QStringLiteral("dir/收藏.xml"), "<x/>"},
                               {QStringLiteral("empty"), QByteArray()}};
    const QByteArray archive = ZipArchiveWriter::archive(files);
    const QList<ZipEntry> entries = readArchive(archive);
    ASSERT_EQ(entries.size(), files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_EQ(entries[i].name, files[i].path);
        EXPECT_EQ(entries[i].data, files[i].data);
    }
    EXPECT_EQ(le(archive, archive.size() - 6, 4), 3 * 30 + QByteArray("a.txtdir/收藏.xmlempty").size() + 5 + 4);
    EXPECT_EQ(ZipArchiveWriter::archive({}), QByteArray::fromHex("504b0506000000000000000000000000000000000000"));
}

// Past the 16-bit fields the headers would wrap around and describe another archive.
TEST(ZipArchiveWriter, RefusesWhatTheClassicFormatCannotDescribe)
{
    EXPECT_THROW(ZipArchiveWriter::archive({{QString(65536, u'n'), QByteArray()}}), ZipArchiveError);
    EXPECT_NO_THROW(ZipArchiveWriter::archive({{QString(65535, u'n'), QByteArray()}}));
    QList<ZipFile> many(65535, ZipFile{QStringLiteral("e"), QByteArray()});
    EXPECT_THROW(ZipArchiveWriter::archive(many), ZipArchiveError);
    many.removeLast();
    const QByteArray archive = ZipArchiveWriter::archive(many);
    EXPECT_EQ(le(archive, archive.size() - 12, 2), 65534U);
}

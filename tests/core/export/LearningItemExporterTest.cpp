#include "export/LearningItemExporter.h"

#include "collection/LearningItem.h"
#include "export/CRC32.h"
#include "export/ZipArchiveWriter.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QDateTime utcDate(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

// A reviewed word with every optional field set.
std::shared_ptr<LearningItem> reviewedWord()
{
    auto item = std::make_shared<LearningItem>(
        QUuid::fromString(QStringLiteral("{6f1c2a3b-4d5e-4f60-8a9b-0c1d2e3f4a5b}")), QStringLiteral("serendipity"),
        LearningItemType::word, QStringLiteral("Reader"), QStringLiteral("Chapter 1"), QStringLiteral("It was pure"),
        QStringLiteral("that we met."), QStringLiteral("### 释义\n\n意外发现珍宝的运气"),
        QStringList{QStringLiteral("A happy serendipity."), QStringLiteral("Pure serendipity.")},
        QStringList{QStringLiteral("GRE"), QStringLiteral("美好")}, Familiarity::learning, utcDate(2025, 3, 1, 12, 30, 0),
        utcDate(2025, 3, 2, 8, 0, 5), utcDate(2025, 3, 2, 8, 0, 5), utcDate(2025, 3, 4, 8, 0, 5), 2.36, 0);
    item->reviewCount = 3;
    item->errorCount = 1;
    return item;
}

// A phrase saved from the lookup panel and never reviewed: no optional fields at all.
std::shared_ptr<LearningItem> newPhrase()
{
    return std::make_shared<LearningItem>(
        QUuid::fromString(QStringLiteral("{00000000-0000-4000-8000-00000000000a}")), QStringLiteral("give up"),
        LearningItemType::phrase, std::nullopt, std::nullopt, std::nullopt, std::nullopt, QStringLiteral("放弃"),
        QStringList{}, QStringList{}, Familiarity::new_, utcDate(2025, 3, 1, 9, 0, 0), utcDate(2025, 3, 1, 9, 0, 0),
        std::nullopt, utcDate(2025, 3, 1, 10, 0, 0), 2.5, 0);
}

// A little-endian field of `bytes` bytes.
quint32 le(const QByteArray &zip, qsizetype at, int bytes)
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
QList<ZipEntry> readArchive(const QByteArray &zip)
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
    const QList<ZipEntry> entries = readArchive(ZipArchiveWriter::archive(files));
    ASSERT_EQ(entries.size(), files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_EQ(entries[i].name, files[i].path);
        EXPECT_EQ(entries[i].data, files[i].data);
    }
    EXPECT_TRUE(readArchive(ZipArchiveWriter::archive({})).isEmpty());
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

QJsonObject exported(const QList<std::shared_ptr<LearningItem>> &items)
{
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(LearningItemExporter::jsonData(items, utcDate(2025, 3, 5, 21, 0, 0)), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
    return document.object();
}

TEST(LearningItemExporterJson, WritesEveryUserFieldInUTCAndLeavesAbsentOptionalsOut)
{
    auto phrase = newPhrase();
    phrase->sourceTitle = QString(); // present but empty is still written
    const QJsonObject document = exported({reviewedWord(), nullptr, phrase});
    EXPECT_EQ(document.value("version"), QJsonValue(1));
    EXPECT_EQ(document.value("exportedAt"), QJsonValue("2025-03-05T21:00:00Z"));
    const QJsonArray items = document.value("items").toArray();
    ASSERT_EQ(items.size(), 2) << "null entries are skipped";
    // No scheduling internals (ease, streak) in the export.
    EXPECT_EQ(items[0].toObject(), (QJsonObject{
        {"id", "6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B"}, {"type", "word"}, {"text", "serendipity"},
        {"explanation", "### 释义\n\n意外发现珍宝的运气"},
        {"examples", QJsonArray{"A happy serendipity.", "Pure serendipity."}}, {"tags", QJsonArray{"GRE", "美好"}},
        {"sourceApp", "Reader"}, {"sourceTitle", "Chapter 1"}, {"contextBefore", "It was pure"},
        {"contextAfter", "that we met."}, {"familiarity", "learning"}, {"createdAt", "2025-03-01T12:30:00Z"},
        {"updatedAt", "2025-03-02T08:00:05Z"}, {"lastReviewedAt", "2025-03-02T08:00:05Z"},
        {"nextReviewAt", "2025-03-04T08:00:05Z"}, {"reviewCount", 3}, {"errorCount", 1}}));
    EXPECT_EQ(items[1].toObject(), (QJsonObject{
        {"id", "00000000-0000-4000-8000-00000000000A"}, {"type", "phrase"}, {"text", "give up"},
        {"explanation", "放弃"}, {"examples", QJsonArray()}, {"tags", QJsonArray()}, {"sourceTitle", ""},
        {"familiarity", "new"}, {"createdAt", "2025-03-01T09:00:00Z"}, {"updatedAt", "2025-03-01T09:00:00Z"},
        {"nextReviewAt", "2025-03-01T10:00:00Z"}, {"reviewCount", 0}, {"errorCount", 0}}));
    EXPECT_EQ(exported({}).value("items"), QJsonValue(QJsonArray()));
}

TEST(LearningItemExporterWorkbook, OneRowPerItemWithEveryColumnFilled)
{
    auto phrase = newPhrase();
    phrase->createdAt = QDateTime(QDate(2025, 3, 1), QTime(17, 0, 15, 999), QTimeZone(8 * 3600));
    const std::pair<std::shared_ptr<LearningItem>, QStringList> rows[] = {
        {reviewedWord(),
         {"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B", "word", "serendipity", "### 释义\n\n意外发现珍宝的运气",
          "A happy serendipity.\nPure serendipity.", "GRE, 美好", "Reader", "Chapter 1", "It was pure", "that we met.",
          "learning", "2025-03-01T12:30:00Z", "2025-03-02T08:00:05Z", "2025-03-02T08:00:05Z", "2025-03-04T08:00:05Z", "3", "1"}},
        // Dates in UTC with whole seconds; absent values are empty cells.
        {phrase,
         {"00000000-0000-4000-8000-00000000000A", "phrase", "give up", "放弃", "", "", "", "", "", "", "new",
          "2025-03-01T09:00:15Z", "2025-03-01T09:00:00Z", "", "2025-03-01T10:00:00Z", "0", "0"}},
    };
    for (const auto &[item, expected] : rows)
        EXPECT_EQ(LearningItemExporter::xlsxRow(*item), expected);
    EXPECT_EQ(LearningItemExporter::xlsxHeaderRow().size(), rows[0].second.size()) << "a header per column";
}

TEST(LearningItemExporterWorkbook, EscapesTheFiveEntitiesOnceAndLeavesOutWhatXMLCannotCarry)
{
    const QString kept = QStringLiteral("line\nline\ttab中文 😀 \x7F\u0085\uFFFD");
    const std::pair<QString, QByteArray> rows[] = {
        {QStringLiteral("Tom & Jerry <b> \"quoted\" it's"), "Tom &amp; Jerry &lt;b&gt; &quot;quoted&quot; it&apos;s"},
        {QStringLiteral("&amp;"), "&amp;amp;"},
        {kept, kept.toUtf8()},
        // What readers would decode or normalise stays as written.
        {QStringLiteral("a\r\nb\r"), "a&#13;\nb&#13;"},
        {QStringLiteral("_x0041_ _x00e9__x12_ _X0041_ snake_case _x004G_ _x0041"),
         "_x005F_x0041_ _x005F_x00e9__x12_ _X0041_ snake_case _x004G_ _x0041"},
        // Control characters, non-characters and lone surrogates, also at the end.
        {QStringLiteral("a\x01\x08\x0B\x0C\x1F\uFFFE\uFFFF") + QChar(0xD83D) + 'b' + QChar(0xDE00) + 'c' + QChar(0xD83D),
         "abc"},
    };
    for (const auto &[text, escaped] : rows)
        EXPECT_EQ(LearningItemExporter::xmlEscaped(text), escaped) << escaped.toStdString();
}

TEST(LearningItemExporterWorkbook, CutsCellsSpreadsheetProgramsWouldRefuseWithAnEllipsis)
{
    // Whole up to 32,767 units; beyond, cut with an ellipsis, never inside a surrogate pair.
    const QString a(32765, 'a'), emoji = QStringLiteral("😀");
    for (const auto &[text, kept] : {std::pair{a + "aa", a + "aa"}, {a + "aaa", a + "a…"}, {a + emoji + emoji, a + "…"}})
        EXPECT_TRUE(LearningItemExporter::worksheetXML({{text}}).contains("<t>" + kept.toUtf8() + "</t>")) << text.size();
}

TEST(LearningItemExporterWorkbook, ColumnNamesAreBijectiveBase26)
{
    const std::pair<int, const char *> cases[] = {{0, "A"}, {25, "Z"}, {26, "AA"}, {701, "ZZ"}, {702, "AAA"}, {-1, ""}};
    for (const auto &[index, name] : cases)
        EXPECT_EQ(LearningItemExporter::columnName(index), QLatin1String(name)) << index;
}

// A save file whose disk fills up after `limit` bytes.
struct FailingSaveFile : QSaveFile {
    FailingSaveFile(const QString &path, qint64 limit) : QSaveFile(path), m_left(limit) {}
    qint64 writeData(const char *data, qint64 length) override
    {
        const qint64 allowed = std::min(length, m_left);
        m_left -= allowed;
        return allowed > 0 ? QSaveFile::writeData(data, allowed) : -1;
    }
    qint64 m_left;
};

TEST(LearningItemExportFile, ReplacesTheFileOnlyOnSuccessAndNeverLeavesAPartialOne)
{
    QTemporaryDir directory;
    const auto entries = [&] { return QDir(directory.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot); };
    const QByteArray data(1 << 20, 'x');
    for (qint64 limit : {qint64(0), qint64(data.size() - 1)}) {
        FailingSaveFile file(directory.filePath(QStringLiteral("fresh.xlsx")), limit);
        EXPECT_THROW(LearningItemExporter::writeAtomically(data, file), LearningItemExportError) << limit;
        EXPECT_TRUE(entries().isEmpty()) << limit << ": " << entries().join(' ').toStdString();
    }

    const QString existing = directory.filePath(QStringLiteral("收藏.xlsx"));
    LearningItemExporter::writeAtomically("an older and longer export", existing);
    LearningItemExporter::writeAtomically("keep me", existing);
    FailingSaveFile file(existing, 4096);
    EXPECT_THROW(LearningItemExporter::writeAtomically(data, file), LearningItemExportError);
    QFile kept(existing);
    EXPECT_TRUE(kept.open(QIODevice::ReadOnly) && kept.readAll() == "keep me");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("收藏.xlsx")});

    // Unwritable locations fail without writing elsewhere.
    EXPECT_THROW(LearningItemExporter::writeAtomically("x", directory.filePath("missing/out.json")), LearningItemExportError);
    EXPECT_THROW(LearningItemExporter::writeAtomically("x", directory.path()), LearningItemExportError);
    EXPECT_EQ(entries().size(), 1);
}

} // namespace

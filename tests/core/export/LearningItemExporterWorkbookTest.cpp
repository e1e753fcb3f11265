#include "export/LearningItemExporter.h"

#include "core/export/ExportTestItems.h"
#include "core/export/ZipTestReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(LearningItemExporterWorkbook, OneRowPerItemWithEveryColumnFilled)
{
    auto phrase = newPhrase();
    phrase->createdAt = QDateTime(QDate(2025, 3, 1), QTime(17, 0, 15, 999), QTimeZone(8 * 3600));
    const std::pair<std::shared_ptr<LearningItem>, QStringList> rows[] = {
        {reviewedWord(),
         {"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B", "word", "serendipity", "### 释义\n\n意外发现珍宝的运气",
          "A happy serendipity.\nPure serendipity.", "GRE, 美好", "Reader", "Chapter 1", "It was pure",
          "that we met.", "learning", "2025-03-01T12:30:00Z", "2025-03-02T08:00:05Z", "2025-03-02T08:00:05Z",
          "2025-03-04T08:00:05Z", "3", "1"}},
        // Dates in UTC with whole seconds; absent values are empty cells.
        {phrase,
         {"00000000-0000-4000-8000-00000000000A", "phrase", "give up", "放弃", "", "", "", "", "", "", "new",
          "2025-03-01T09:00:15Z", "2025-03-01T09:00:00Z", "", "2025-03-01T10:00:00Z", "0", "0"}},
    };
    for (const auto &[item, expected] : rows)
        EXPECT_EQ(LearningItemExporter::xlsxRow(*item), expected);
    EXPECT_EQ(LearningItemExporter::xlsxHeaderRow().size(), rows[0].second.size());
}

TEST(LearningItemExporterWorkbook, WritesNumberedRowsOfEscapedInlineStrings)
{
    const QByteArray worksheet = LearningItemExporter::worksheetXML({{"a", "<b>"}, {"&"}});
    EXPECT_TRUE(worksheet.endsWith(
        R"(<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>a</t></is></c><c r="B1" t="inlineStr"><is>)"
        R"(<t>&lt;b&gt;</t></is></c></row><row r="2"><c r="A2" t="inlineStr"><is><t>&amp;</t></is></c></row>)"
        "</sheetData>\n</worksheet>"))
        << worksheet.toStdString();

    const QList<std::shared_ptr<LearningItem>> items{reviewedWord(), nullptr, newPhrase()};
    const QList<ZipEntry> parts = readArchive(LearningItemExporter::xlsxData(items));
    ASSERT_EQ(parts.size(), 5);
    EXPECT_EQ(parts.last().data, LearningItemExporter::worksheetXML({LearningItemExporter::xlsxHeaderRow(),
                                                                     LearningItemExporter::xlsxRow(*items[0]),
                                                                     LearningItemExporter::xlsxRow(*items[2])}));
}

TEST(LearningItemExporterWorkbook, EscapesTheFiveEntitiesOnceAndLeavesOutWhatXMLCannotCarry)
{
    const QString kept = QStringLiteral("line\nline\ttab\r中文 😀 \x7F\u0085\uFFFD");
    const std::pair<QString, QByteArray> rows[] = {
        {QStringLiteral("Tom & Jerry <b> \"quoted\" it's"), "Tom &amp; Jerry &lt;b&gt; &quot;quoted&quot; it&apos;s"},
        {QStringLiteral("&amp;"), "&amp;amp;"},
        {kept, kept.toUtf8()},
        // Control characters, non-characters and lone surrogates, also at the end.
        {QStringLiteral("a\x01\x08\x0B\x0C\x1F\uFFFE\uFFFF") + QChar(0xD83D) + 'b' + QChar(0xDE00) + 'c' + QChar(0xD83D),
         "abc"},
    };
    for (const auto &[text, escaped] : rows)
        EXPECT_EQ(LearningItemExporter::xmlEscaped(text), escaped) << escaped.toStdString();
}

TEST(LearningItemExporterWorkbook, ColumnNamesAreBijectiveBase26)
{
    const std::pair<int, const char *> cases[] = {{0, "A"}, {25, "Z"}, {26, "AA"}, {51, "AZ"}, {52, "BA"},
                                                  {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}, {-1, ""}};
    for (const auto &[index, name] : cases)
        EXPECT_EQ(LearningItemExporter::columnName(index), QLatin1String(name)) << index;
}

TEST(LearningItemExporterWorkbook, ProposedFileNamesCarryTheLocalTimeAndTheFormatsExtension)
{
    const QDateTime now(QDate(2025, 3, 1), QTime(20, 30, 5), QTimeZone(8 * 3600));
    EXPECT_TRUE(LearningItemExporter::proposedFileName(LearningItemExportFormat::xlsx, now).endsWith("-20250301-203005.xlsx"));
    EXPECT_TRUE(LearningItemExporter::proposedFileName(LearningItemExportFormat::json, now).endsWith("-20250301-203005.json"));
}

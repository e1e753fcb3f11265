#include "export/LearningItemExporter.h"

#include "export/CRC32.h"
#include "support/TestSupport.h"
#include "core/export/ExportTestItems.h"
#include "core/export/ZipTestReader.h"

#include <gtest/gtest.h>

static const QByteArray kDeclaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n";
static const QByteArray kWorksheetHead = kDeclaration
    + R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" "\n  <sheetData>";
static const QByteArray kWorksheetTail = "</sheetData>\n</worksheet>";
static const QByteArray kHeaderRow = R"(<row r="1">)"
    R"(<c r="A1" t="inlineStr"><is><t>ID</t></is></c>)"
    R"(<c r="B1" t="inlineStr"><is><t>类型</t></is></c>)"
    R"(<c r="C1" t="inlineStr"><is><t>原文</t></is></c>)"
    R"(<c r="D1" t="inlineStr"><is><t>解释</t></is></c>)"
    R"(<c r="E1" t="inlineStr"><is><t>例句</t></is></c>)"
    R"(<c r="F1" t="inlineStr"><is><t>标签</t></is></c>)"
    R"(<c r="G1" t="inlineStr"><is><t>来源应用</t></is></c>)"
    R"(<c r="H1" t="inlineStr"><is><t>来源标题</t></is></c>)"
    R"(<c r="I1" t="inlineStr"><is><t>前文</t></is></c>)"
    R"(<c r="J1" t="inlineStr"><is><t>后文</t></is></c>)"
    R"(<c r="K1" t="inlineStr"><is><t>熟悉度</t></is></c>)"
    R"(<c r="L1" t="inlineStr"><is><t>创建时间</t></is></c>)"
    R"(<c r="M1" t="inlineStr"><is><t>更新时间</t></is></c>)"
    R"(<c r="N1" t="inlineStr"><is><t>最后复习时间</t></is></c>)"
    R"(<c r="O1" t="inlineStr"><is><t>下次复习时间</t></is></c>)"
    R"(<c r="P1" t="inlineStr"><is><t>复习次数</t></is></c>)"
    R"(<c r="Q1" t="inlineStr"><is><t>错误次数</t></is></c>)"
    "</row>";

static QByteArray cell(const char *reference, const QByteArray &escapedText)
{
    return QByteArray(R"(<c r=")") + reference + R"(" t="inlineStr"><is><t>)" + escapedText + "</t></is></c>";
}

TEST(LearningItemExporterWorkbook, fixedPartsAreExactlyTheOfficeOpenXMLBoilerplate)
{
    const QByteArray contentTypes = kDeclaration
        + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
  <Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
  <Default Extension="xml" ContentType="application/xml"/>
  <Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
  <Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
</Types>)";
    const QByteArray packageRelationships = kDeclaration
        + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
  <Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)";
    const QByteArray workbook = kDeclaration
        + R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
  <sheets>
    <sheet name="收藏" sheetId="1" r:id="rId1"/>
  </sheets>
</workbook>)";
    const QByteArray workbookRelationships = kDeclaration
        + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
  <Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>)";

    EXPECT_EQ(LearningItemExporter::contentTypesXML(), contentTypes);
    EXPECT_EQ(LearningItemExporter::packageRelationshipsXML(), packageRelationships);
    EXPECT_EQ(LearningItemExporter::workbookXML(), workbook);
    EXPECT_EQ(LearningItemExporter::workbookRelationshipsXML(), workbookRelationships);
}

TEST(LearningItemExporterWorkbook, itemRowsFollowTheHeaderInTheOrderGiven)
{
    const QByteArray worksheet = LearningItemExporter::worksheetXML(
        {LearningItemExporter::xlsxHeaderRow(), LearningItemExporter::xlsxRow(*reviewedWord()),
         LearningItemExporter::xlsxRow(*newPhrase())});

    const QByteArray reviewedRow = QByteArray(R"(<row r="2">)")
        + cell("A2", "6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B") + cell("B2", "word") + cell("C2", "serendipity")
        + cell("D2", "### 释义\n\n意外发现珍宝的运气") + cell("E2", "A happy serendipity.\nPure serendipity.")
        + cell("F2", "GRE, 美好") + cell("G2", "Reader") + cell("H2", "Chapter 1") + cell("I2", "It was pure")
        + cell("J2", "that we met.") + cell("K2", "learning") + cell("L2", "2025-03-01T12:30:00Z")
        + cell("M2", "2025-03-02T08:00:05Z") + cell("N2", "2025-03-02T08:00:05Z") + cell("O2", "2025-03-04T08:00:05Z")
        + cell("P2", "3") + cell("Q2", "1") + "</row>";
    const QByteArray neverReviewedRow = QByteArray(R"(<row r="3">)")
        + cell("A3", "00000000-0000-4000-8000-00000000000A") + cell("B3", "phrase") + cell("C3", "give up")
        + cell("D3", "放弃") + cell("E3", "") + cell("F3", "") + cell("G3", "") + cell("H3", "") + cell("I3", "")
        + cell("J3", "") + cell("K3", "new") + cell("L3", "2025-03-01T09:00:00Z") + cell("M3", "2025-03-01T09:00:00Z")
        + cell("N3", "") + cell("O3", "2025-03-01T10:00:00Z") + cell("P3", "0") + cell("Q3", "0") + "</row>";
    EXPECT_EQ(worksheet, kWorksheetHead + kHeaderRow + reviewedRow + neverReviewedRow + kWorksheetTail);
}

TEST(LearningItemExporterWorkbook, datesAreWrittenInUTCWithWholeSeconds)
{
    auto item = newPhrase();
    item->createdAt = QDateTime(QDate(2025, 3, 1), QTime(20, 30, 15, 999), QTimeZone(8 * 3600));
    EXPECT_EQ(LearningItemExporter::xlsxRow(*item)[11], QStringLiteral("2025-03-01T12:30:15Z"));
}

TEST(LearningItemExporterWorkbook, escapesTheFiveEntitiesOnce)
{
    EXPECT_EQ(LearningItemExporter::xmlEscaped(u"Tom & Jerry <b> \"quoted\" it's"),
              QByteArray("Tom &amp; Jerry &lt;b&gt; &quot;quoted&quot; it&apos;s"));
    // Entities produced by an earlier replacement are not escaped again; ones in the text are.
    EXPECT_EQ(LearningItemExporter::xmlEscaped(u"&amp;"), QByteArray("&amp;amp;"));
    EXPECT_EQ(LearningItemExporter::xmlEscaped(u"line\nline\ttab\r中文 😀"),
              QStringLiteral("line\nline\ttab\r中文 😀").toUtf8());
}

TEST(LearningItemExporterWorkbook, leavesOutCharactersThatXMLCannotCarry)
{
    QString text = QStringLiteral("a");
    for (char16_t unit : {u'\x01', u'\x08', u'\x0B', u'\x0C', u'\x1F', char16_t(0xFFFE), char16_t(0xFFFF)})
        text += QChar(unit);
    text += QChar(0xD83D) + QStringLiteral("b"); // high surrogate without its partner
    text += QChar(0xDE00) + QStringLiteral("c"); // low surrogate on its own
    text += QStringLiteral("\x7F\u0085\uFFFD") + QChar(0xD83D); // allowed, then a dangling surrogate at the end
    EXPECT_EQ(LearningItemExporter::xmlEscaped(text), QStringLiteral("abc\x7F\u0085\uFFFD").toUtf8());
}

TEST(LearningItemExporterWorkbook, columnNamesAreBijectiveBase26)
{
    const std::pair<int, const char *> cases[] = {
        {0, "A"}, {1, "B"}, {16, "Q"}, {25, "Z"}, {26, "AA"}, {27, "AB"}, {51, "AZ"}, {52, "BA"},
        {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}, {-1, ""},
    };
    for (const auto &[index, name] : cases)
        EXPECT_EQ(LearningItemExporter::columnName(index), QLatin1String(name)) << "index " << index;
}

TEST(LearningItemExporterWorkbook, workbookPackagesTheFiveStoredPartsInOrder)
{
    const QList<std::shared_ptr<LearningItem>> items{reviewedWord(), newPhrase()};
    const QByteArray archive = LearningItemExporter::xlsxData(items);
    const QList<CentralEntry> entries = readArchive(archive);
    ASSERT_EQ(entries.size(), 5);
    const QStringList names{QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
                            QStringLiteral("xl/workbook.xml"), QStringLiteral("xl/_rels/workbook.xml.rels"),
                            QStringLiteral("xl/worksheets/sheet1.xml")};
    const QList<QByteArray> parts{
        LearningItemExporter::contentTypesXML(), LearningItemExporter::packageRelationshipsXML(),
        LearningItemExporter::workbookXML(), LearningItemExporter::workbookRelationshipsXML(),
        LearningItemExporter::worksheetXML({LearningItemExporter::xlsxHeaderRow(),
                                            LearningItemExporter::xlsxRow(*items[0]),
                                            LearningItemExporter::xlsxRow(*items[1])})};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i].name, names[i]);
        EXPECT_EQ(entries[i].data, parts[i]) << names[i].toStdString();
        EXPECT_EQ(entries[i].checksum, CRC32::checksum(parts[i]));
    }
}

TEST(LearningItemExporterWorkbook, proposedFileNameCarriesTheLocalTimestampAndExtension)
{
    const QDateTime now(QDate(2025, 3, 1), QTime(20, 30, 5), QTimeZone(8 * 3600));
    EXPECT_EQ(LearningItemExporter::proposedFileName(LearningItemExportFormat::xlsx, now),
              QStringLiteral("Rarozezev-收藏-20250301-203005.xlsx"));
    EXPECT_EQ(LearningItemExporter::proposedFileName(LearningItemExportFormat::json, now),
              QStringLiteral("Rarozezev-收藏-20250301-203005.json"));
}

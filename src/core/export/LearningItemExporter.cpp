#include "export/LearningItemExporter.h"

#include "collection/LearningItem.h"
#include "export/LearningItemExportSnapshot.h"
#include "export/ZipArchiveWriter.h"

#include <QJsonDocument>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cstring>

QByteArray LearningItemExporter::jsonData(const QList<std::shared_ptr<LearningItem>> &items,
                                          const QDateTime &exportedAt)
{
    LearningItemExportSnapshot snapshot;
    snapshot.exportedAt = exportedAt;
    snapshot.items.reserve(items.size());
    for (const auto &item : items) {
        if (item)
            snapshot.items.append(LearningItemExportItem::from(*item));
    }
    return QJsonDocument(snapshot.toJSON()).toJson(QJsonDocument::Indented);
}

QByteArray LearningItemExporter::xlsxData(const QList<std::shared_ptr<LearningItem>> &items)
{
    QList<QStringList> rows;
    rows.reserve(items.size() + 1);
    rows.append(xlsxHeaderRow());
    for (const auto &item : items) {
        if (item)
            rows.append(xlsxRow(*item));
    }
    const QList<ZipFile> files{
        {QStringLiteral("[Content_Types].xml"), contentTypesXML()},
        {QStringLiteral("_rels/.rels"), packageRelationshipsXML()},
        {QStringLiteral("xl/workbook.xml"), workbookXML()},
        {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelationshipsXML()},
        {QStringLiteral("xl/worksheets/sheet1.xml"), worksheetXML(rows)},
    };
    return ZipArchiveWriter::archive(files);
}

void LearningItemExporter::writeAtomically(const QByteArray &data, const QString &path)
{
    QSaveFile file(path);
    writeAtomically(data, file);
}

void LearningItemExporter::writeAtomically(const QByteArray &data, QSaveFile &file)
{
    // QSaveFile writes to a temporary file beside the target and renames it over the
    // target on commit; direct writing (its fallback for unwritable folders) stays off.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw LearningItemExportError("cannot open " + file.fileName().toStdString() + ": "
                                      + file.errorString().toStdString());
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 count = file.write(data.constData() + written, data.size() - written);
        if (count <= 0) {
            const std::string reason = file.errorString().toStdString();
            // Committing a cancelled save file removes the temporary file at once.
            file.cancelWriting();
            file.commit();
            throw LearningItemExportError("cannot write " + file.fileName().toStdString() + ": " + reason);
        }
        written += count;
    }
    if (!file.commit())
        throw LearningItemExportError("cannot save " + file.fileName().toStdString() + ": "
                                      + file.errorString().toStdString());
}

QString LearningItemExporter::proposedFileName(LearningItemExportFormat format, const QDateTime &now)
{
    return QStringLiteral("Rarozezev-收藏-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + QLatin1Char('.') + fileExtension(format);
}

QStringList LearningItemExporter::xlsxHeaderRow()
{
    return {
        QStringLiteral("ID"),       QStringLiteral("类型"),     QStringLiteral("原文"),
        QStringLiteral("解释"),     QStringLiteral("例句"),     QStringLiteral("标签"),
        QStringLiteral("来源应用"), QStringLiteral("来源标题"), QStringLiteral("前文"),
        QStringLiteral("后文"),     QStringLiteral("熟悉度"),   QStringLiteral("创建时间"),
        QStringLiteral("更新时间"), QStringLiteral("最后复习时间"), QStringLiteral("下次复习时间"),
        QStringLiteral("复习次数"), QStringLiteral("错误次数"),
    };
}

QStringList LearningItemExporter::xlsxRow(const LearningItem &item)
{
    return {
        exportUuidString(item.id),
        rawValue(item.type()),
        item.text,
        item.explanation,
        item.examples().join(QLatin1Char('\n')),
        item.tags().join(QStringLiteral(", ")),
        item.sourceApp.value_or(QString()),
        item.sourceTitle.value_or(QString()),
        item.contextBefore.value_or(QString()),
        item.contextAfter.value_or(QString()),
        rawValue(item.familiarity()),
        exportDateString(item.createdAt),
        exportDateString(item.updatedAt),
        item.lastReviewedAt ? exportDateString(*item.lastReviewedAt) : QString(),
        exportDateString(item.nextReviewAt),
        QString::number(item.reviewCount),
        QString::number(item.errorCount),
    };
}

QString LearningItemExporter::columnName(int index)
{
    QString name;
    for (qint64 value = qint64(index) + 1; value > 0; value = (value - 1) / 26)
        name.prepend(QChar(char16_t(u'A' + (value - 1) % 26)));
    return name;
}

static char *appendLiteral(char *p, const char *literal, size_t length)
{
    std::memcpy(p, literal, length);
    return p + length;
}

// Whether `s` starts with "_xHHHH_", which spreadsheet readers decode as one character.
static bool isEscapeLike(const char16_t *s, qsizetype length)
{
    if (length < 7 || s[1] != u'x' || s[6] != u'_')
        return false;
    return std::all_of(s + 2, s + 6, [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

// Appends `text` to `out` as escaped UTF-8 (see xmlEscaped). Works on a raw pointer into
// space reserved for the worst case, because the worksheet of a large collection is
// hundreds of megabytes of this.
static void appendEscapedText(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() * 7); // "_x005F_" is the longest expansion of one unit
    char *p = out.data() + start;
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            switch (c) {
            case u'&': p = appendLiteral(p, "&amp;", 5); break;
            case u'<': p = appendLiteral(p, "&lt;", 4); break;
            case u'>': p = appendLiteral(p, "&gt;", 4); break;
            case u'"': p = appendLiteral(p, "&quot;", 6); break;
            case u'\'': p = appendLiteral(p, "&apos;", 6); break;
            // Readers turn a literal CR into a line feed; a character reference keeps it.
            case u'\r': p = appendLiteral(p, "&#13;", 5); break;
            // Readers decode "_xHHHH_" as an escaped character; escaping its underscore
            // keeps the text as written.
            case u'_':
                p = isEscapeLike(s + i, n - i) ? appendLiteral(p, "_x005F_", 7) : appendLiteral(p, "_", 1);
                break;
            case u'\t':
            case u'\n': *p++ = char(c); break;
            default:
                if (c >= 0x20)
                    *p++ = char(c);
            }
        } else if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
                const char32_t u = QChar::surrogateToUcs4(c, s[i + 1]);
                *p++ = char(0xF0 | (u >> 18));
                *p++ = char(0x80 | ((u >> 12) & 0x3F));
                *p++ = char(0x80 | ((u >> 6) & 0x3F));
                *p++ = char(0x80 | (u & 0x3F));
                ++i;
            }
        } else if (!QChar::isLowSurrogate(c) && c != 0xFFFE && c != 0xFFFF) {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(p - out.data());
}

QByteArray LearningItemExporter::xmlEscaped(QStringView text)
{
    QByteArray out;
    appendEscapedText(out, text);
    return out;
}

static void appendDecimal(QByteArray &out, qint64 value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

// Spreadsheet programs refuse a workbook with a longer cell; the JSON export keeps the whole
// text.
static void appendCellText(QByteArray &out, const QString &text)
{
    constexpr qsizetype maximumCellLength = 32767;
    if (text.size() <= maximumCellLength)
        return appendEscapedText(out, text);
    qsizetype cut = maximumCellLength - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    appendEscapedText(out, QStringView(text).left(cut));
    out.append("\u2026");
}

static const char kXMLDeclaration[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" "\n";

QByteArray LearningItemExporter::worksheetXML(const QList<QStringList> &rows)
{
    // Cells are inline strings rather than a shared-strings part: one part less, and every
    // value (dates and counts too) is shown exactly as written.
    static const QByteArray head = QByteArray(kXMLDeclaration)
        + R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" "\n  <sheetData>";
    static const QByteArray tail = "</sheetData>\n</worksheet>";

    qsizetype estimate = head.size() + tail.size();
    qsizetype widest = 0;
    for (const QStringList &row : rows) {
        widest = std::max(widest, row.size());
        estimate += 24;
        for (const QString &value : row)
            estimate += 48 + value.size() * 3;
    }
    QList<QByteArray> columns;
    for (qsizetype k = 0; k < widest; ++k)
        columns.append(columnName(int(k)).toLatin1());

    QByteArray xml;
    xml.reserve(estimate);
    xml.append(head);
    qint64 rowNumber = 0;
    for (const QStringList &row : rows) {
        ++rowNumber;
        xml.append("<row r=\"");
        appendDecimal(xml, rowNumber);
        xml.append("\">");
        for (qsizetype k = 0; k < row.size(); ++k) {
            xml.append("<c r=\"");
            xml.append(columns[k]);
            appendDecimal(xml, rowNumber);
            xml.append("\" t=\"inlineStr\"><is><t>");
            appendCellText(xml, row[k]);
            xml.append("</t></is></c>");
        }
        xml.append("</row>");
    }
    xml.append(tail);
    return xml;
}

QByteArray LearningItemExporter::contentTypesXML()
{
    return QByteArray(kXMLDeclaration)
        + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
  <Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
  <Default Extension="xml" ContentType="application/xml"/>
  <Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
  <Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
</Types>)";
}

QByteArray LearningItemExporter::packageRelationshipsXML()
{
    return QByteArray(kXMLDeclaration)
        + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
  <Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)";
}

QByteArray LearningItemExporter::workbookXML()
{
    return QByteArray(kXMLDeclaration)
        + R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
  <sheets>
    <sheet name="收藏" sheetId="1" r:id="rId1"/>
  </sheets>
</workbook>)";
}

QByteArray LearningItemExporter::workbookRelationshipsXML()
{
    return QByteArray(kXMLDeclaration)
        + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
  <Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>)";
}

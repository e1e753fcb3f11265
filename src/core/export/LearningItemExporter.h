#pragma once

#include "export/LearningItemExportFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <stdexcept>

class LearningItem;
class QSaveFile;

// Raised when an export file could not be written; the message is technical English.
class LearningItemExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Turns the saved collection into the bytes of an export file: a JSON document or a
// minimal XLSX workbook (one sheet of inline strings), and writes such bytes safely.
class LearningItemExporter {
public:
    // Pretty-printed JSON with sorted keys: version 1, the export date and one object per
    // item in the order given. Null entries of `items` are skipped.
    static QByteArray jsonData(const QList<std::shared_ptr<LearningItem>> &items, const QDateTime &exportedAt);
    // A workbook whose only sheet holds a header row and one row per item in the order
    // given. Throws ZipArchiveError only for collections far beyond any real one.
    static QByteArray xlsxData(const QList<std::shared_ptr<LearningItem>> &items);

    // Replaces the file at `path` with `data` only once every byte is on disk; on failure
    // no partial file is left and an existing file stays as it was. Throws
    // LearningItemExportError.
    static void writeAtomically(const QByteArray &data, const QString &path);
    // The same through a save file the caller made (it must not be open yet).
    static void writeAtomically(const QByteArray &data, QSaveFile &file);

    // "Rarozezev-收藏-20250301-203000.xlsx" for `now` in its own time zone.
    static QString proposedFileName(LearningItemExportFormat format, const QDateTime &now);

    // The pieces of the workbook, public so that their exact bytes can be checked.
    static QStringList xlsxHeaderRow();
    static QStringList xlsxRow(const LearningItem &item);
    // Cells longer than 32,767 UTF-16 units are cut to that length, ending in "…".
    static QByteArray worksheetXML(const QList<QStringList> &rows);
    // Bijective base 26: 0 → "A", 25 → "Z", 26 → "AA"; empty for a negative index.
    static QString columnName(int index);
    // UTF-8 with &, <, >, " and ' as entities, CR as "&#13;" and the underscore of an
    // "_xHHHH_" as "_x005F_", so that readers get the text back as written. Characters XML
    // 1.0 cannot carry (control characters other than tab, line feed and carriage return,
    // unpaired surrogates, U+FFFE and U+FFFF) are left out, since a single one makes the
    // workbook unreadable.
    static QByteArray xmlEscaped(QStringView text);
    static QByteArray contentTypesXML();
    static QByteArray packageRelationshipsXML();
    static QByteArray workbookXML();
    static QByteArray workbookRelationshipsXML();
};

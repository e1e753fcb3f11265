#include "export/LearningItemExporter.h"

#include "support/TestSupport.h"
#include "core/export/ExportTestItems.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A save file whose disk fills up after `limit` bytes.
class FailingSaveFile : public QSaveFile {
public:
    FailingSaveFile(const QString &path, qint64 limit) : QSaveFile(path), m_limit(limit) {}

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        const qint64 allowed = std::min(length, m_limit - m_written);
        if (allowed <= 0)
            return -1;
        m_written += allowed;
        return QSaveFile::writeData(data, allowed);
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

static QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static QStringList entriesOf(const QTemporaryDir &directory)
{
    return QDir(directory.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(LearningItemExportFile, writeReplacesOnlyOnSuccessAndNeverLeavesAPartialFile)
{
    QTemporaryDir directory;
    const QByteArray data(1 << 20, 'x');
    const QString fresh = directory.filePath(QStringLiteral("fresh.xlsx"));
    for (qint64 limit : {qint64(0), qint64(1000), qint64(data.size() - 1)}) {
        FailingSaveFile file(fresh, limit);
        EXPECT_THROW(LearningItemExporter::writeAtomically(data, file), LearningItemExportError) << limit;
        EXPECT_TRUE(entriesOf(directory).isEmpty()) << "after failing at " << limit << ": "
                                                    << entriesOf(directory).join(' ').toStdString();
    }

    const QString existing = directory.filePath(QStringLiteral("收藏.xlsx"));
    LearningItemExporter::writeAtomically(QByteArray("an older and longer export"), existing);
    LearningItemExporter::writeAtomically(QByteArray("keep me"), existing);
    EXPECT_EQ(readFile(existing), QByteArray("keep me"));
    FailingSaveFile file(existing, 4096);
    EXPECT_THROW(LearningItemExporter::writeAtomically(data, file), LearningItemExportError);
    EXPECT_EQ(readFile(existing), QByteArray("keep me"));
    EXPECT_EQ(entriesOf(directory), QStringList{QStringLiteral("收藏.xlsx")});
}

TEST(LearningItemExportFile, unwritableLocationFailsWithoutWritingElsewhere)
{
    QTemporaryDir directory;
    EXPECT_THROW(LearningItemExporter::writeAtomically(QByteArray("x"),
                                                       directory.filePath(QStringLiteral("missing/out.json"))),
                 LearningItemExportError);
    EXPECT_THROW(LearningItemExporter::writeAtomically(QByteArray("x"), directory.path()), LearningItemExportError);
    EXPECT_TRUE(entriesOf(directory).isEmpty());
}

// Runs a tool with a time limit; the output, or no value when it could not run or failed.
static std::optional<QByteArray> run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// Debian's openpyxl lives with the system interpreter, which need not be first on PATH.
static QString pythonWithOpenpyxl()
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        if (run(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")}))
            return candidate;
    }
    return {};
}

static QString writtenWorkbook(const QTemporaryDir &directory, const QList<std::shared_ptr<LearningItem>> &items)
{
    const QString path = directory.filePath(QStringLiteral("Rarozezev-收藏-20250301-203000.xlsx"));
    LearningItemExporter::writeAtomically(LearningItemExporter::xlsxData(items), path);
    return path;
}

TEST(LearningItemExportFile, workbookReadsBackInASpreadsheetLibrary)
{
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with openpyxl is not installed";

    auto awkward = newPhrase();
    awkward->text = QStringLiteral("Tom & Jerry <b> \"q\" it's &amp;");
    awkward->explanation = QStringLiteral("bell\x07 vertical\x0B tab\tnew\nline ") + QChar(0xD800)
        + QStringLiteral("end\uFFFF 😀");
    QTemporaryDir directory;
    const QString path = writtenWorkbook(directory, {reviewedWord(), awkward});

    const auto output = run(python, {QStringLiteral("-c"), QStringLiteral(R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
rows = [["" if v is None else v for v in row] for row in sheet.iter_rows(values_only=True)]
print(json.dumps({"sheets": book.sheetnames, "rows": rows}))
)"),
                                     path});
    ASSERT_TRUE(output.has_value()) << "openpyxl could not read the workbook";
    const QJsonObject read = QJsonDocument::fromJson(*output).object();
    EXPECT_EQ(read.value("sheets").toArray(), QJsonArray({QStringLiteral("收藏")}));

    QJsonArray expected;
    for (const QStringList &row : {LearningItemExporter::xlsxHeaderRow(), LearningItemExporter::xlsxRow(*reviewedWord()),
                                   LearningItemExporter::xlsxRow(*awkward)})
        expected.append(QJsonArray::fromStringList(row));
    QJsonArray awkwardRow = expected[2].toArray();
    awkwardRow[3] = QStringLiteral("bell vertical tab\tnew\nline end 😀");
    expected[2] = awkwardRow;
    EXPECT_EQ(read.value("rows").toArray(), expected);
}

TEST(LearningItemExportFile, workbookPassesTheZipIntegrityCheckWithStoredEntries)
{
    if (!run(QStringLiteral("unzip"), {QStringLiteral("-v")}))
        GTEST_SKIP() << "unzip is not installed";
    QTemporaryDir directory;
    const QString path = writtenWorkbook(directory, {reviewedWord(), newPhrase()});

    const auto test = run(QStringLiteral("unzip"), {QStringLiteral("-t"), path});
    ASSERT_TRUE(test.has_value());
    EXPECT_TRUE(test->contains("No errors detected")) << test->toStdString();

    const auto listing = run(QStringLiteral("unzip"), {QStringLiteral("-v"), path});
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(listing->count(" Stored "), 5) << listing->toStdString();
    EXPECT_TRUE(listing->contains("5 files")) << listing->toStdString();
}

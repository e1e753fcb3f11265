#include "export/LearningItemExporter.h"

#include "core/export/ExportTestItems.h"
#include "support/TestSupport.h"

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
    FailingSaveFile(const QString &path, qint64 limit) : QSaveFile(path), m_left(limit) {}

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        const qint64 allowed = std::min(length, m_left);
        m_left -= allowed;
        return allowed > 0 ? QSaveFile::writeData(data, allowed) : -1;
    }

private:
    qint64 m_left;
};

static QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(LearningItemExportFile, ReplacesTheFileOnlyOnSuccessAndNeverLeavesAPartialOne)
{
    QTemporaryDir directory;
    const auto entries = [&] { return QDir(directory.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot); };
    const QByteArray data(1 << 20, 'x');
    for (qint64 limit : {qint64(0), qint64(1000), qint64(data.size() - 1)}) {
        FailingSaveFile file(directory.filePath(QStringLiteral("fresh.xlsx")), limit);
        EXPECT_THROW(LearningItemExporter::writeAtomically(data, file), LearningItemExportError) << limit;
        EXPECT_TRUE(entries().isEmpty()) << limit << ": " << entries().join(' ').toStdString();
    }

    const QString existing = directory.filePath(QStringLiteral("收藏.xlsx"));
    LearningItemExporter::writeAtomically("an older and longer export", existing);
    LearningItemExporter::writeAtomically("keep me", existing);
    FailingSaveFile file(existing, 4096);
    EXPECT_THROW(LearningItemExporter::writeAtomically(data, file), LearningItemExportError);
    EXPECT_EQ(readFile(existing), QByteArray("keep me"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("收藏.xlsx")});

    // Unwritable locations fail without writing elsewhere.
    EXPECT_THROW(LearningItemExporter::writeAtomically("x", directory.filePath("missing/out.json")), LearningItemExportError);
    EXPECT_THROW(LearningItemExporter::writeAtomically("x", directory.path()), LearningItemExportError);
    EXPECT_EQ(entries().size(), 1);
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

// The workbook as a spreadsheet library reads it: sheet names and every cell.
TEST(LearningItemExportFile, WorkbookReadsBackInASpreadsheetLibrary)
{
    // Debian's openpyxl lives with the system interpreter, which need not be first on PATH.
    QString python;
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        if (python.isEmpty() && run(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")}))
            python = candidate;
    }
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with openpyxl is not installed";

    auto awkward = newPhrase();
    awkward->text = QStringLiteral("Tom & Jerry <b> \"q\" it's &amp;");
    awkward->explanation = QStringLiteral("bell\x07 vertical\x0B tab\tnew\nline ") + QChar(0xD800) + QStringLiteral("end\uFFFF 😀");
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("收藏.xlsx"));
    LearningItemExporter::writeAtomically(LearningItemExporter::xlsxData({reviewedWord(), awkward}), path);

    const auto output = run(python, {QStringLiteral("-c"), QStringLiteral(R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
rows = [["" if v is None else v for v in row] for row in book.worksheets[0].iter_rows(values_only=True)]
print(json.dumps({"sheets": book.sheetnames, "rows": rows}))
)"), path});
    ASSERT_TRUE(output.has_value()) << "openpyxl could not read the workbook";
    const QJsonObject read = QJsonDocument::fromJson(*output).object();
    EXPECT_EQ(read.value("sheets").toArray().size(), 1);
    QStringList awkwardRow = LearningItemExporter::xlsxRow(*awkward);
    awkwardRow[3] = QStringLiteral("bell vertical tab\tnew\nline end 😀");
    EXPECT_EQ(read.value("rows").toArray(),
              QJsonArray({QJsonArray::fromStringList(LearningItemExporter::xlsxHeaderRow()),
                          QJsonArray::fromStringList(LearningItemExporter::xlsxRow(*reviewedWord())),
                          QJsonArray::fromStringList(awkwardRow)}));
}

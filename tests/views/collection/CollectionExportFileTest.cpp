#include "views/collection/CollectionWindow.h"

#include "export/LearningItemExporter.h"
#include "collection/LearningItemStore.h"
#include "storage/ModelContainer.h"
#include "support/TestSupport.h"
#include "views/collection/CollectionListModel.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Reads a workbook's first sheet back with a spreadsheet library of its own, so the file is
// checked as another program sees it: every row as a list of cell texts, in one JSON array.
const char *const kSheetReader = "import json, sys, openpyxl\n"
                                 "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                                 "rows = [['' if c is None else str(c) for c in row]"
                                 " for row in sheet.iter_rows(values_only=True)]\n"
                                 "print(json.dumps(rows, ensure_ascii=False))\n";

QString python() { return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3"); }

bool hasSheetReader()
{
    QProcess probe;
    probe.start(python(), {"-c", "import openpyxl"});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

QJsonArray readSheet(const QString &path)
{
    QProcess reader;
    reader.start(python(), {"-c", QString::fromLatin1(kSheetReader), path});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0) {
        ADD_FAILURE() << reader.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
}

// The collection window over a real in-memory collection holding two saved items; the save
// dialog answers at once with the path the test gives it.
class CollectionExportFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        LearningItemStore saver(container.mainContext(), {}, {}, notifications);
        LookupResult phrase;
        phrase.selectedText = QStringLiteral("rock & roll <live>");
        phrase.itemType = LearningItemType::phrase;
        phrase.contextualMeaning = QStringLiteral("摇滚乐");
        phrase.examples = {QStringLiteral("They played rock & roll."), QStringLiteral("\"Loud\" music, 'live'.")};
        saver.save(phrase, QStringLiteral("Terminal"), QStringLiteral("notes.txt"));
        LookupResult word;
        word.selectedText = QStringLiteral("serendipity");
        word.contextualMeaning = QStringLiteral("意外发现珍宝的运气");
        saver.save(word);

        CollectionExportAction exportAction(
            [this](QWidget *, const CollectionExportAction::SaveRequest &, std::function<void(const QString &)> chosen) {
                chosen(chosenPath);
            },
            [this](QWidget *, const QString &title, const QString &message) { alerts.append(title + '|' + message); });
        window = std::make_unique<CollectionWindow>(CollectionWindow::storeFactory(container.mainContext(), notifications),
                                                    exportAction, notifications);
        window->show();
        ASSERT_EQ(window->listModel()->rowCount(), 2);
    }

    QTemporaryDir directory;
    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    AppNotificationCenter notifications;
    std::unique_ptr<CollectionWindow> window;
    QString chosenPath;
    QStringList alerts;
};

} // namespace

TEST_F(CollectionExportFileTest, JSONAndWorkbookExportsHoldTheSameItemsReadableByOtherPrograms)
{
    chosenPath = directory.filePath(QStringLiteral("收藏.json"));
    window->exportJSONAction()->trigger();
    QFile json(chosenPath);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly)) << alerts.join('\n').toStdString();
    QJsonParseError parseError;
    const QJsonObject document = QJsonDocument::fromJson(json.readAll(), &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();
    const QJsonArray items = document.value("items").toArray();
    ASSERT_EQ(items.size(), 2);
    QStringList texts;
    for (const QJsonValue &item : items)
        texts.append(item.toObject().value("text").toString());
    EXPECT_TRUE(texts.contains(QStringLiteral("rock & roll <live>")));
    EXPECT_TRUE(texts.contains(QStringLiteral("serendipity")));

    if (!hasSheetReader())
        GTEST_SKIP() << "python3 with openpyxl is not installed";
    chosenPath = directory.filePath(QStringLiteral("收藏.xlsx"));
    window->exportXLSXAction()->trigger();
    ASSERT_TRUE(QFile::exists(chosenPath)) << alerts.join('\n').toStdString();
    const QJsonArray rows = readSheet(chosenPath);
    ASSERT_EQ(rows.size(), 3) << QJsonDocument(rows).toJson().toStdString();
    QStringList header;
    for (const QJsonValue &cell : rows.at(0).toArray())
        header.append(cell.toString());
    EXPECT_EQ(header, LearningItemExporter::xlsxHeaderRow());

    // Row for row, the workbook says what the JSON file says, special characters included.
    const auto column = [&](const QString &name) { return header.indexOf(name); };
    for (qsizetype index = 0; index < items.size(); ++index) {
        const QJsonObject item = items.at(index).toObject();
        const QJsonArray row = rows.at(index + 1).toArray();
        SCOPED_TRACE(item.value("text").toString().toStdString());
        EXPECT_EQ(row.at(column("ID")).toString(), item.value("id").toString());
        EXPECT_EQ(row.at(column("类型")).toString(), item.value("type").toString());
        EXPECT_EQ(row.at(column("原文")).toString(), item.value("text").toString());
        EXPECT_EQ(row.at(column("解释")).toString(), item.value("explanation").toString());
        QStringList examples;
        for (const QJsonValue &example : item.value("examples").toArray())
            examples.append(example.toString());
        EXPECT_EQ(row.at(column("例句")).toString(), examples.join('\n'));
        EXPECT_EQ(row.at(column("来源应用")).toString(), item.value("sourceApp").toString());
        EXPECT_EQ(row.at(column("熟悉度")).toString(), item.value("familiarity").toString());
        EXPECT_EQ(row.at(column("复习次数")).toString(), QString::number(item.value("reviewCount").toInt()));
    }
    const QJsonObject phrase = items.at(texts.indexOf(QStringLiteral("rock & roll <live>"))).toObject();
    EXPECT_EQ(phrase.value("type").toString(), QStringLiteral("phrase"));
    EXPECT_EQ(phrase.value("sourceApp").toString(), QStringLiteral("Terminal"));
    EXPECT_EQ(phrase.value("examples").toArray().size(), 2);
    EXPECT_TRUE(phrase.value("explanation").toString().contains(QStringLiteral("摇滚乐")));
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join('\n').toStdString();
}

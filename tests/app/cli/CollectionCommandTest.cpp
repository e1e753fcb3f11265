#include "app/cli/CollectionCommand.h"
#include "export/LearningItemExportItem.h"
#include "export/LearningItemExporter.h"
#include "collection/LearningItemStore.h"

#include "app/cli/CommandTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CollectionCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QDateTime saved(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
        apple = s.addItem("apple", LearningItemType::word, saved, saved.addSecs(3600));
        takeOff = s.addItem("take off", LearningItemType::phrase, saved.addSecs(60), saved.addDays(2));
        rain = s.addItem("It's raining\ncats & <dogs>.", LearningItemType::sentence, saved.addSecs(120), saved.addDays(1));
    }

    CommandRun collection(const QStringList &arguments)
    {
        CapturedStreams streams;
        CollectionCommand command(streams.io(), s.openCollection(),
                                  [] { return QDateTime(QDate(2025, 3, 5), QTime(20, 30), Qt::UTC); });
        return streams.finish(command.run(arguments));
    }

    static QStringList ids(const QJsonArray &items)
    {
        QStringList result;
        for (const auto &item : items)
            result.append(item.toObject().value("id").toString());
        return result;
    }

    InMemoryCommandServices s;
    std::shared_ptr<LearningItem> apple, takeOff, rain;
};

TEST_F(CollectionCommandTest, ListsNewestFirstAsATableOrAsExportItems)
{
    const CommandRun table = collection({"list"});
    ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
    const QStringList lines = table.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith(exportUuidString(rain->id) + "  sentence  "));
    EXPECT_TRUE(lines[3].startsWith(exportUuidString(apple->id) + "  word  "));
    // Every text starts below the header's last title, whose Chinese neighbours a terminal
    // draws two columns wide; a line break in a text does not break its line.
    qsizetype textColumn = 0;
    for (const QChar c : lines[0].left(lines[0].indexOf(QStringLiteral("原文"))))
        textColumn += c.unicode() >= 0x1100 ? 2 : 1;
    EXPECT_EQ(lines[1].mid(textColumn), QStringLiteral("It's raining cats & <dogs>."));
    EXPECT_EQ(lines[2].mid(textColumn), QStringLiteral("take off"));

    const QJsonArray items = QJsonDocument::fromJson(collection({"list", "--format", "json"}).out.toUtf8()).array();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].toObject(), LearningItemExportItem::from(*rain).toJSON());
    EXPECT_EQ(items[1].toObject(), LearningItemExportItem::from(*takeOff).toJSON());
    EXPECT_EQ(items[2].toObject(), LearningItemExportItem::from(*apple).toJSON());
}

TEST_F(CollectionCommandTest, RemoveDeletesOneItemAndNamesIDsItCannotUse)
{
    const QString id = exportUuidString(takeOff->id);
    EXPECT_EQ(collection({"remove", id.toLower()}).exitCode, 0);
    const QJsonArray left = QJsonDocument::fromJson(collection({"list", "--format=json"}).out.toUtf8()).array();
    EXPECT_EQ(ids(left), QStringList({exportUuidString(rain->id), exportUuidString(apple->id)}));

    const CommandRun again = collection({"remove", id});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, QStringLiteral("收藏中没有 ID 为 %1 的条目。\n").arg(id));
    for (const QStringList &arguments :
         QList<QStringList>{{"remove", "apple"}, {"remove", "00000000-0000-0000-0000-000000000000"}, {"remove"}})
        EXPECT_EQ(collection(arguments).exitCode, 2) << arguments.join(' ').toStdString();

    s.refuseWrites("DELETE ON LearningItem");
    const CommandRun failed = collection({"remove", exportUuidString(apple->id)});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, QStringLiteral("取消收藏失败。\n"));
}

TEST_F(CollectionCommandTest, ExportWritesEitherFormatInCollectionOrder)
{
    QTemporaryDir directory;
    const QString jsonPath = directory.filePath("collection.json");
    const CommandRun json = collection({"export", "--format", "json", jsonPath});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_EQ(json.out, jsonPath + QLatin1Char('\n'));
    QFile jsonFile(jsonPath);
    ASSERT_TRUE(jsonFile.open(QIODevice::ReadOnly));
    const QJsonObject snapshot = QJsonDocument::fromJson(jsonFile.readAll()).object();
    EXPECT_EQ(snapshot.value("exportedAt").toString(), QStringLiteral("2025-03-05T20:30:00Z"));
    EXPECT_EQ(ids(snapshot.value("items").toArray()),
              QStringList({exportUuidString(rain->id), exportUuidString(takeOff->id), exportUuidString(apple->id)}));

    const QString xlsxPath = directory.filePath("collection.xlsx");
    ASSERT_EQ(collection({"export", "--format=xlsx", xlsxPath}).exitCode, 0);
    QFile xlsxFile(xlsxPath);
    ASSERT_TRUE(xlsxFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(xlsxFile.readAll(), LearningItemExporter::xlsxData(LearningItemStore(s.container.mainContext()).allItems()));

    // No file can be written where a directory stands; nothing is left behind.
    QDir(directory.path()).mkdir("taken");
    const CommandRun failed = collection({"export", "--format", "xlsx", directory.filePath("taken")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, QStringLiteral("收藏导出失败，请换一个保存位置后重试。\n"));
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_EQ(collection({"export", directory.filePath("x.json")}).exitCode, 2) << "the format is required";
}

TEST_F(CollectionCommandTest, DatabaseIsOpenedOnlyForRealWork)
{
    s.collectionFailure = QStringLiteral("unable to open database file");
    EXPECT_EQ(collection({"--help"}).exitCode, 0);
    EXPECT_EQ(collection({"list", "--format", "yaml"}).exitCode, 2);
    const CommandRun failed = collection({"list"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, QStringLiteral("无法创建本地数据容器: unable to open database file\n"));
}

} // namespace

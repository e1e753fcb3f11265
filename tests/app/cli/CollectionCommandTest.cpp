#include "app/cli/CommandTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

// Saving, listing as JSON and exporting are covered end to end.
namespace {

class CollectionCommandTest : public CommandTest {
protected:
    void SetUp() override
    {
        const QDateTime saved(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
        apple = addItem("apple", LearningItemType::word, saved, saved);
        addItem("take off", LearningItemType::phrase, saved.addSecs(60), saved);
        rain = addItem("It's raining\ncats & <dogs>.", LearningItemType::sentence, saved.addSecs(120), saved);
    }

    std::shared_ptr<LearningItem> apple, rain;
};

TEST_F(CollectionCommandTest, TheTableListsNewestFirstWithEveryTextInOneColumnAndOnOneLine)
{
    const QStringList lines = run({"collection", "list"}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith(exportUuidString(rain->id) + "  sentence  "));
    EXPECT_TRUE(lines[3].startsWith(exportUuidString(apple->id) + "  word  "));
    // The header's Chinese titles are two columns wide in a terminal.
    qsizetype textColumn = 0;
    for (const QChar c : lines[0].left(lines[0].lastIndexOf(QLatin1Char(' ')) + 1))
        textColumn += c.unicode() >= 0x1100 ? 2 : 1;
    EXPECT_EQ(lines[1].mid(textColumn), QStringLiteral("It's raining cats & <dogs>."));
    EXPECT_EQ(lines[2].mid(textColumn), QStringLiteral("take off"));
}

TEST_F(CollectionCommandTest, FailedRemovalsAndExportsChangeNothing)
{
    EXPECT_EQ(run({"collection", "remove", exportUuidString(QUuid::createUuid())}).exitCode, 1);
    refuseWrites("DELETE ON LearningItem");
    EXPECT_EQ(run({"collection", "remove", exportUuidString(apple->id)}).exitCode, 1);
    EXPECT_EQ(container.database().scalarText(QStringLiteral("SELECT COUNT(*) FROM LearningItem")), "3");

    // No file can be written where a directory stands; nothing is left behind.
    QTemporaryDir directory;
    QDir(directory.path()).mkdir("taken");
    EXPECT_EQ(run({"collection", "export", "--format", "xlsx", directory.filePath("taken")}).exitCode, 1);
    EXPECT_TRUE(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    collectionFailure = QStringLiteral("unable to open database file");
    const CommandRun unopened = run({"collection", "list"});
    EXPECT_EQ(unopened.exitCode, 1);
    EXPECT_TRUE(unopened.err.contains(*collectionFailure));
}

} // namespace

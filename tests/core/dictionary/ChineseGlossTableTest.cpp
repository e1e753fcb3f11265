#include "dictionary/ChineseGlossTable.h"
#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList tokens(const char *name)
{
    QFile file(QStringLiteral(RAROZEZEV_SOURCE_DIR "/tests/core/dictionary/data/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// The glosses of the glance, without the entry's other parts.
QStringList glosses(const SystemDictionaryClient &client, const QString &word)
{
    const std::optional<QString> glance = client.lookupChineseGlance(word);
    return glance ? glance->section(QStringLiteral("中文："), 1).split(QStringLiteral("；")) : QStringList();
}

} // namespace

TEST(ChineseGlossTable, FindsExactlyTheWordInTheSortedFile)
{
    QTemporaryDir directory;
    QFile file(directory.filePath("glosses.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# licence\n# more\nant\t蚂蚁\napple\t苹果 苹 林檎\napple pie\t苹果派\nice cream\t冰淇淋\nzebra\t斑马\n");
    file.close();
    const ChineseGlossTable table(file.fileName());
    EXPECT_EQ(table.glosses(" Apple ", 5), (QStringList{"苹果", "苹", "林檎"}));
    EXPECT_EQ(table.glosses("apple", 1), QStringList{"苹果"});
    EXPECT_EQ(table.glosses("ICE \n cream", 5), QStringList{"冰淇淋"});
    for (const char *word : {"ant", "zebra"})
        EXPECT_EQ(table.glosses(word, 5).size(), 1) << word;
    for (const char *missing : {"", "# licence", "app", "apples", "zz", "aardvark"})
        EXPECT_TRUE(table.glosses(missing, 5).isEmpty()) << missing;
    EXPECT_FALSE(ChineseGlossTable(directory.filePath("none.txt")).isAvailable());
}

// Over the table the program ships: common words have glosses, inflected ones their base
// form's, and the first gloss is a sensible translation.
TEST(ChineseGlossTable, CoversCommonWordsWithSensibleFirstGlosses)
{
    const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(), nullptr,
                                        std::make_shared<const ChineseGlossTable>());
    const QStringList lemmas = tokens("common-lemmas.txt");
    ASSERT_EQ(lemmas.size(), 1000);
    QStringList uncovered;
    for (const QString &lemma : lemmas) {
        if (glosses(client, lemma).isEmpty())
            uncovered.append(lemma);
    }
    EXPECT_LE(uncovered.size(), 50) << uncovered.join(' ').toStdString();

    // word=字…: the first gloss holds one of the characters.
    const QStringList reviewed = tokens("reviewed-glosses.txt");
    ASSERT_EQ(reviewed.size(), 200);
    QStringList wrong;
    for (const QString &token : reviewed) {
        const QString first = glosses(client, token.section('=', 0, 0)).value(0);
        const QString expected = token.section('=', 1);
        if (std::none_of(expected.begin(), expected.end(), [&](QChar c) { return first.contains(c); }))
            wrong.append(token + QStringLiteral("→") + first);
    }
    EXPECT_LE(wrong.size(), 20) << wrong.join(' ').toStdString();

    const std::pair<const char *, const char *> inflected[] = {{"went", "去"}, {"taking", "取"}, {"geese", "鹅"},
                                                               {"mice", "鼠"}, {"ran", "跑"}};
    for (const auto &[word, character] : inflected)
        EXPECT_TRUE(glosses(client, word).value(0).contains(QString::fromUtf8(character))) << word;
}

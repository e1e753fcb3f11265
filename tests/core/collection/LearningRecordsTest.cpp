#include "collection/LearningItem.h"
#include "foundation/StringList.h"

#include "support/TestSupport.h"

#include <QJsonArray>

#include <gtest/gtest.h>

static LearningItem makeItem(QStringList examples = {}, QStringList tags = {})
{
    const QDateTime now = QDateTime::fromString(QStringLiteral("2026-03-01T12:00:00Z"), Qt::ISODate);
    return LearningItem(QUuid::createUuid(), QStringLiteral("bank"), LearningItemType::phrase, std::nullopt,
                        std::nullopt, std::nullopt, std::nullopt, QStringLiteral("### 释义\n\n河岸"),
                        std::move(examples), std::move(tags), Familiarity::learning, now, now, std::nullopt,
                        now.addSecs(3600), 2.5, 0);
}

TEST(LearningItemTest, AccessorsFallBackOnUnknownStoredText)
{
    LearningItem item = makeItem();
    // The match is exact: a capitalised raw value is unknown and reads as the first case.
    item.typeRawValue = QStringLiteral("Phrase");
    EXPECT_EQ(item.type(), LearningItemType::word);
    item.typeRawValue = QStringLiteral("sentence");
    EXPECT_EQ(item.type(), LearningItemType::sentence);

    item.familiarityRawValue = QStringLiteral("expert");
    EXPECT_EQ(item.familiarity(), Familiarity::new_);
    item.setFamiliarity(Familiarity::mastered);
    EXPECT_EQ(item.familiarityRawValue, QStringLiteral("mastered"));
    EXPECT_EQ(item.familiarity(), Familiarity::mastered);
}

TEST(LearningItemTest, ListsAreStoredEvenWhenEmptyAndReadEmptyWhenMissing)
{
    ASSERT_TRUE(makeItem().examplesStorage.has_value());
    ASSERT_TRUE(makeItem().tagsStorage.has_value());
    LearningItem item = makeItem({QStringLiteral("We sat on the bank."), QStringLiteral("A river bank.")},
                                 {QStringLiteral("tag")});
    EXPECT_EQ(item.examples(), (QStringList{QStringLiteral("We sat on the bank."), QStringLiteral("A river bank.")}));
    EXPECT_EQ(item.tags(), QStringList{QStringLiteral("tag")});

    item.examplesStorage.reset();
    item.tagsStorage.reset();
    EXPECT_TRUE(item.examples().isEmpty());
    EXPECT_TRUE(item.tags().isEmpty());
}

TEST(StringListTest, EncodesAsValuesMemberAndRoundTrips)
{
    const StringList list{{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("例句"), QString()}};
    EXPECT_EQ(list.toJSONData(), QByteArray(R"({"values":["b","a","例句",""]})"));
    EXPECT_EQ(StringList::fromJSONData(list.toJSONData()), list);
    EXPECT_EQ(StringList::fromJSON(StringList{}.toJSON()), StringList{});
}

TEST(StringListTest, RejectsMalformedEncodings)
{
    for (const char *data : {"", "[]", "{}", R"({"values":"a"})", R"({"values":["a",1]})", R"({"values":[null]})"}) {
        SCOPED_TRACE(data);
        EXPECT_FALSE(StringList::fromJSONData(QByteArray(data)).has_value());
    }
}

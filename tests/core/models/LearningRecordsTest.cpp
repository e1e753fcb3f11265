#include "models/LearningItem.h"
#include "models/StringList.h"
#include "models/UserSettings.h"

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

TEST(LearningItemTest, InitializerStoresRawValuesAndEmptyListsAsLists)
{
    const LearningItem item = makeItem();
    EXPECT_EQ(item.typeRawValue, QStringLiteral("phrase"));
    EXPECT_EQ(item.familiarityRawValue, QStringLiteral("learning"));
    ASSERT_TRUE(item.examplesStorage.has_value());
    EXPECT_TRUE(item.examplesStorage->values.isEmpty());
    ASSERT_TRUE(item.tagsStorage.has_value());
    EXPECT_EQ(item.reviewCount, 0);
    EXPECT_EQ(item.errorCount, 0);
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

TEST(LearningItemTest, ListsReadEmptyWhenEmptyOrMissing)
{
    LearningItem item = makeItem({QStringLiteral("We sat on the bank."), QStringLiteral("A river bank.")},
                                 {QStringLiteral("tag")});
    EXPECT_EQ(item.examples(), (QStringList{QStringLiteral("We sat on the bank."), QStringLiteral("A river bank.")}));
    EXPECT_EQ(item.tags(), QStringList{QStringLiteral("tag")});

    item.examplesStorage.reset();
    item.tagsStorage.reset();
    EXPECT_TRUE(item.examples().isEmpty());
    EXPECT_TRUE(item.tags().isEmpty());
    EXPECT_TRUE(makeItem().examples().isEmpty());
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

TEST(UserSettingsTest, DefaultsMatchThePreferenceDefaults)
{
    const UserSettings settings;
    EXPECT_FALSE(settings.id.isNull());
    EXPECT_NE(settings.id, UserSettings().id);
    EXPECT_FALSE(settings.selectionBadgeEnabled);
    EXPECT_TRUE(settings.optionDHotkeyEnabled);
    EXPECT_EQ(settings.ttsProvider, QStringLiteral("openai"));
    EXPECT_EQ(settings.ttsBaseURL, QStringLiteral("https://api.openai.com/v1/audio/speech"));
    EXPECT_EQ(settings.ttsModel, QStringLiteral("gpt-4o-mini-tts"));
    EXPECT_EQ(settings.ttsVoice, QStringLiteral("alloy"));
    EXPECT_EQ(settings.ttsResponseFormat, QStringLiteral("mp3"));
    EXPECT_TRUE(settings.ttsAPIKey.isEmpty());
    EXPECT_EQ(settings.systemPronunciationAccent, QStringLiteral("american"));
    EXPECT_FALSE(settings.reminderEnabled);
    EXPECT_EQ(settings.reminderTimeHour, 20);
    EXPECT_EQ(settings.reminderTimeMinute, 30);
}

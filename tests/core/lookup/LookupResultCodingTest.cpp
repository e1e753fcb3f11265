#include "foundation/JSONDecodingError.h"
#include "lookup/FastLookupResult.h"
#include "lookup/LookupResult.h"

#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QJsonObject object(const char *json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.object();
}

LookupResult meaningOnly(const QString &meaning, const QStringList &examples = {})
{
    LookupResult result;
    result.contextualMeaning = meaning;
    result.examples = examples;
    return result;
}

} // namespace

TEST(LookupResultCoding, DecodingForgivesMistypedAndBlankFields)
{
    const LookupResult full{"run", LearningItemType::phrase, LookupResultSource::systemDictionary, " /rʌn/ ", "跑",
                            {"经营"}, "verb", {"run a business"}, {"I run."}, "奔跑", {"note"}, {"jog"}};
    const LookupResult x = meaningOnly("x");
    LookupResult viaCommon = meaningOnly("a");
    viaCommon.commonMeanings = {"a"};
    LookupResult viaTranslation = meaningOnly("译文");
    viaTranslation.translation = "译文";
    viaTranslation.commonMeanings = {"c"};

    const std::tuple<const char *, const char *, LookupResult> cases[] = {
        {"every field well formed", R"({"selectedText":"run","itemType":"phrase","source":"systemDictionary",
             "phonetic":" /rʌn/ ","contextualMeaning":"跑","commonMeanings":["经营"],"partOfSpeech":"verb",
             "collocations":["run a business"],"examples":["I run."],"translation":"奔跑",
             "usageNotes":["note"],"suggestedExpressions":["jog"]})", full},
        {"unknown item type, mistyped optionals, blank selection",
         R"({"selectedText":" ","itemType":"idiom","phonetic":42,"translation":{},"contextualMeaning":"x"})", x},
        {"list given as a bare string", R"({"contextualMeaning":"x","examples":"Only one."})",
         meaningOnly("x", {"Only one."})},
        {"list with a null element is dropped whole", R"({"contextualMeaning":"x","examples":["x",null]})", x},
        {"list given as a blank string or a number", R"({"contextualMeaning":"x","examples":"  ","usageNotes":3})", x},
        {"blank meaning falls back to the first non-blank common meaning",
         R"({"contextualMeaning":" ","commonMeanings":["a"," "]})", viaCommon},
        {"translation comes before common meanings",
         R"({"contextualMeaning":"\n","translation":"译文","commonMeanings":["c"]})", viaTranslation},
        {"texts kept as sent, blank list elements dropped", R"({"contextualMeaning":"  含义 ","examples":[" a ","","b"]})",
         meaningOnly("  含义 ", {" a ", "b"})},
    };
    for (const auto &[name, json, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LookupResult::fromJSON(object(json)), expected);
    }
}

TEST(LookupResultCoding, DecodingFailsOnlyWithoutAnyUsableMeaning)
{
    const std::pair<const char *, bool> unusable[] = {
        {R"({})", false},
        {R"({"contextualMeaning":"   ","translation":" \n"})", false},
        {R"({"contextualMeaning":["a"],"commonMeanings":["a",1]})", false},
        {R"({"primaryMeaning":5,"example":"Go!"})", true},
    };
    for (const auto &[json, fast] : unusable) {
        SCOPED_TRACE(json);
        try {
            fast ? (void)FastLookupResult::fromJSON(object(json)) : (void)LookupResult::fromJSON(object(json));
            ADD_FAILURE() << "decoded without a meaning";
        } catch (const JSONDecodingError &error) {
            EXPECT_EQ(error.kind(), JSONDecodingError::Kind::keyNotFound);
            EXPECT_EQ(error.key(), fast ? "primaryMeaning" : "contextualMeaning");
            EXPECT_TRUE(error.codingPath().isEmpty());
        }
    }

    const FastLookupResult viaTranslation = FastLookupResult::fromJSON(
        object(R"({"selectedText":"go","itemType":"clause","primaryMeaning":"","translation":"走","example":"Go!",
                   "briefUsageNote":" "})"));
    EXPECT_EQ(viaTranslation, (FastLookupResult{"go", LearningItemType::word, "走", "走", "Go!", std::nullopt}));
}

TEST(LookupResultCoding, EncodingKeepsFieldOrderOmitsAbsentOptionalsAndKeepsEmptyLists)
{
    LookupResult result = meaningOnly("含义 \"引号\"", {"Say it."});
    result.selectedText = "say";
    result.itemType = LearningItemType::sentence;
    result.partOfSpeech = QString();
    EXPECT_EQ(result.toJSONData(),
              QByteArray(R"({"selectedText":"say","itemType":"sentence","source":"ai",)"
                         R"("contextualMeaning":"含义 \"引号\"","commonMeanings":[],"partOfSpeech":"",)"
                         R"("collocations":[],"examples":["Say it."],"usageNotes":[],"suggestedExpressions":[]})"));
    EXPECT_EQ(QJsonDocument::fromJson(result.toJSONData()).object(), result.toJSON());

    const FastLookupResult fast{"go", LearningItemType::phrase, "去", "走", "Go!", std::nullopt};
    EXPECT_EQ(fast.toJSONData(), QByteArray(R"({"selectedText":"go","itemType":"phrase","primaryMeaning":"去",)"
                                            R"("translation":"走","example":"Go!"})"));
    EXPECT_EQ(FastLookupResult::fromJSON(fast.toJSON()), fast);
}

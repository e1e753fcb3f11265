#include "lookup/FastLookupResult.h"
#include "foundation/JSONDecodingError.h"
#include "lookup/LookupResult.h"

#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <optional>

namespace {

QJsonObject object(const char *json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.object();
}

LookupResult meaningOnly(const QString &meaning)
{
    LookupResult result;
    result.contextualMeaning = meaning;
    return result;
}

struct DecodingCase {
    const char *name;
    const char *json;
    LookupResult expected;
};

} // namespace

TEST(LookupResultDecoding, ForgivesMistypedAndBlankFields)
{
    LookupResult full{QStringLiteral("run"), LearningItemType::phrase, LookupResultSource::systemDictionary,
                      QStringLiteral(" /rʌn/ "), QStringLiteral("跑"), {QStringLiteral("经营")},
                      QStringLiteral("verb"), {QStringLiteral("run a business")}, {QStringLiteral("I run.")},
                      QStringLiteral("奔跑"), {QStringLiteral("note")}, {QStringLiteral("jog")}};

    LookupResult idiom = meaningOnly(QStringLiteral("x"));
    LookupResult bareExample = meaningOnly(QStringLiteral("x"));
    bareExample.examples = {QStringLiteral("Only one.")};
    LookupResult blankCommon = meaningOnly(QStringLiteral("a"));
    blankCommon.commonMeanings = {QStringLiteral("a")};
    LookupResult viaTranslation = meaningOnly(QStringLiteral("译文"));
    viaTranslation.translation = QStringLiteral("译文");
    viaTranslation.commonMeanings = {QStringLiteral("c")};
    LookupResult keepsUntrimmed = meaningOnly(QStringLiteral("  含义 "));
    keepsUntrimmed.examples = {QStringLiteral(" a "), QStringLiteral("b")};
    LookupResult blankSelection = meaningOnly(QStringLiteral("x"));

    const DecodingCase cases[] = {
        {"every field well formed",
         R"({"selectedText":"run","itemType":"phrase","source":"systemDictionary","phonetic":" /rʌn/ ",
             "contextualMeaning":"跑","commonMeanings":["经营"],"partOfSpeech":"verb",
             "collocations":["run a business"],"examples":["I run."],"translation":"奔跑",
             "usageNotes":["note"],"suggestedExpressions":["jog"]})",
         full},
        {"unknown item type, missing source, mistyped optionals",
         R"({"itemType":"idiom","phonetic":42,"translation":{},"partOfSpeech":null,"contextualMeaning":"x"})", idiom},
        {"mistyped item type and source", R"({"itemType":null,"source":7,"contextualMeaning":"x"})", idiom},
        {"list given as a bare string", R"({"contextualMeaning":"x","examples":"Only one."})", bareExample},
        {"list with a null element is dropped whole", R"({"contextualMeaning":"x","examples":["x",null]})",
         meaningOnly(QStringLiteral("x"))},
        {"list given as a blank string or a number",
         R"({"contextualMeaning":"x","examples":"  ","usageNotes":3,"collocations":null})",
         meaningOnly(QStringLiteral("x"))},
        {"blank meaning falls back to the first non-blank common meaning",
         R"({"contextualMeaning":" ","commonMeanings":["a"," "]})", blankCommon},
        {"translation comes before common meanings",
         R"({"contextualMeaning":"\n","translation":"译文","commonMeanings":["c"]})", viaTranslation},
        {"texts are kept as sent, blank list elements dropped",
         R"({"contextualMeaning":"  含义 ","examples":[" a ","","b","\t"]})", keepsUntrimmed},
        {"blank selected text reads as empty", R"({"selectedText":" ","contextualMeaning":"x"})",
         blankSelection},
    };
    for (const DecodingCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LookupResult::fromJSON(object(c.json)), c.expected);
    }
}

TEST(LookupResultDecoding, FailsOnlyWithoutAnyUsableMeaning)
{
    const char *unusable[] = {
        R"({})",
        R"({"contextualMeaning":"   ","translation":" \n"})",
        R"({"contextualMeaning":null,"commonMeanings":[" ",""]})",
        R"({"contextualMeaning":["a"],"commonMeanings":["a",1]})",
    };
    for (const char *json : unusable) {
        SCOPED_TRACE(json);
        try {
            LookupResult::fromJSON(object(json));
            ADD_FAILURE() << "decoded without a meaning";
        } catch (const JSONDecodingError &error) {
            EXPECT_EQ(error.kind(), JSONDecodingError::Kind::keyNotFound);
            EXPECT_EQ(error.key(), QStringLiteral("contextualMeaning"));
            EXPECT_TRUE(error.codingPath().isEmpty());
            EXPECT_EQ(error.debugDescription(), QStringLiteral("No usable meaning was returned."));
        }
    }
}

TEST(FastLookupResultDecoding, FallsBackToTranslationThenFails)
{
    const FastLookupResult decoded = FastLookupResult::fromJSON(
        object(R"({"selectedText":"go","itemType":"word","primaryMeaning":"去","translation":"走",
                   "example":"Go!","briefUsageNote":" "})"));
    EXPECT_EQ(decoded, (FastLookupResult{QStringLiteral("go"), LearningItemType::word, QStringLiteral("去"),
                                         QStringLiteral("走"), QStringLiteral("Go!"), std::nullopt}));

    const FastLookupResult viaTranslation =
        FastLookupResult::fromJSON(object(R"({"itemType":"clause","primaryMeaning":"","translation":"走"})"));
    EXPECT_EQ(viaTranslation.primaryMeaning, QStringLiteral("走"));
    EXPECT_EQ(viaTranslation.itemType, LearningItemType::word);

    try {
        FastLookupResult::fromJSON(object(R"({"primaryMeaning":5,"example":"Go!"})"));
        ADD_FAILURE() << "decoded without a meaning";
    } catch (const JSONDecodingError &error) {
        EXPECT_EQ(error.key(), QStringLiteral("primaryMeaning"));
        EXPECT_EQ(error.debugDescription(), QStringLiteral("No usable primary meaning was returned."));
    }
}

TEST(LookupResultEncoding, WritesFieldOrderOmitsAbsentOptionalsAndKeepsEmptyLists)
{
    LookupResult result = meaningOnly(QStringLiteral("含义 \"引号\""));
    result.selectedText = QStringLiteral("say");
    result.itemType = LearningItemType::sentence;
    result.partOfSpeech = QString();
    result.examples = {QStringLiteral("Say it.")};

    EXPECT_EQ(result.toJSONData(),
              QByteArray(R"({"selectedText":"say","itemType":"sentence","source":"ai",)"
                         R"("contextualMeaning":"含义 \"引号\"","commonMeanings":[],"partOfSpeech":"",)"
                         R"("collocations":[],"examples":["Say it."],"usageNotes":[],"suggestedExpressions":[]})"));
    EXPECT_EQ(QJsonDocument::fromJson(result.toJSONData()).object(), result.toJSON());

    FastLookupResult fast{QStringLiteral("go"), LearningItemType::phrase, QStringLiteral("去"), std::nullopt,
                          QStringLiteral("Go!"), std::nullopt};
    EXPECT_EQ(fast.toJSONData(),
              QByteArray(R"({"selectedText":"go","itemType":"phrase","primaryMeaning":"去","example":"Go!"})"));
}

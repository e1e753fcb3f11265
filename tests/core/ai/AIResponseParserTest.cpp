#include "ai/AIResponseParser.h"

#include "foundation/AppError.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// The failure the client would log, or "ok: " and the returned value.
QString outcome(const std::function<QString()> &stage)
{
    try {
        return "ok: " + stage();
    } catch (const ParsingFailure &failure) {
        return failure.description();
    }
}

struct Case {
    const char *name;
    QString input, expected;
};

} // namespace

TEST(AIResponseParser, FindsTheFirstChoicesMessageTextOrFails)
{
    const QString missing = "envelope missing choices[0].message.content";
    const Case cases[] = {
        {"not JSON", "<html>502</html>", "envelope invalid top-level JSON"},
        {"array body", R"([{"message":{"content":"x"}}])", missing},
        {"no choices", R"({"error":{"message":"quota"}})", missing},
        {"a choice that is not an object", R"({"choices":[{"message":{"content":"x"}},5]})", missing},
        {"null content", R"({"choices":[{"message":{"content":null}}]})", missing},
        {"blank content is returned as is", R"({"choices":[{"message":{"content":" \n"}}]})", "ok:  \n"},
        {"later choices are ignored", R"({"choices":[{"message":{"content":"第一"}},{"message":{"content":"2"}}]})",
         "ok: 第一"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(outcome([&] { return AIResponseParser::extractContent(c.input.toUtf8()); }), c.expected) << c.name;
}

TEST(AIResponseParser, FindsTheFirstCompleteObjectInTheContent)
{
    const QString ok = "ok: {\"a\":1}";
    const Case cases[] = {
        {"blank", "  \n\t ", "content empty message content"},
        {"bare object, trimmed", "\n {\"a\": 1} \n", "ok: {\"a\": 1}"},
        {"prose and a fence", "Here: ```json\n{\"a\":1}\n```\nEnjoy!", ok},
        {"quotes and a stray brace before the object", "He said \"}\" and: {\"a\":1}", ok},
        {"escaped quote and brace inside a string", "x {\"a\": \"\\\"}\"} y", "ok: {\"a\": \"\\\"}\"}"},
        {"two objects give the first", "{\"a\":1}\n{\"b\":2}", ok},
        {"array searched for an object", "[{\"a\":1}, 2]", ok},
        {"incomplete object, length in UTF-8 bytes", "{\"释\": 1", "content no complete JSON object bytes=9"},
        {"balanced but not JSON", "note: {a: 1}", "content no complete JSON object bytes=12"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(outcome([&] { return QString::fromUtf8(AIResponseParser::normalizedJSONData(c.input)); }), c.expected)
            << c.name;
    }
}

TEST(AIResponseParser, DecodesRecordsAndReportsWhereDecodingBroke)
{
    const LookupResult result = AIResponseParser::decodeLookupResultFromContent(
        "好的：\n```json\n{\"selectedText\":\"run\",\"contextualMeaning\":\"跑\",\"examples\":\"I run.\"}\n```");
    EXPECT_EQ(result.contextualMeaning, "跑");
    EXPECT_EQ(result.examples, QStringList{"I run."});
    EXPECT_EQ(AIResponseParser::decodeFastLookupResultFromContent("{\"translation\":\"跑步\"}").primaryMeaning, "跑步");

    const Case cases[] = {
        {"no usable meaning", R"({"contextualMeaning":"  ","examples":["x"]})",
         "decoding keyNotFound path=contextualMeaning"},
        {"not JSON", "{", "decoding dataCorrupted path=$"},
        {"an array", "[{}]", "decoding typeMismatch expected=QJsonObject path=$"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(outcome([&] { return AIResponseParser::decodeLookupResultFromJSON(c.input.toUtf8()).selectedText; }),
                  c.expected)
            << c.name;
    }
    EXPECT_EQ(outcome([] {
                  return AIResponseParser::decodeFastLookupResultFromContent("```\n{\"example\":\"Go.\"}\n```").primaryMeaning;
              }),
              "decoding keyNotFound path=primaryMeaning");

    EXPECT_EQ(AIResponseParser::diagnosticDescription(ParsingFailure::envelope("x")), "envelope x");
    EXPECT_EQ(AIResponseParser::diagnosticDescription(std::runtime_error("boom")),
              "unexpected parser error type=std::runtime_error");
    EXPECT_EQ(AIResponseParser::diagnosticDescription(AppError::invalidAIResponse()),
              "unexpected parser error type=AppError");
}

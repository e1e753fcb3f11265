#include "ai/AIResponseParser.h"

#include "foundation/AppError.h"

#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <variant>

namespace {

// A chat-completions body whose first choice carries `content`.
QByteArray chatBody(const QString &content)
{
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}};
    return QJsonDocument(QJsonObject{{QStringLiteral("choices"), QJsonArray{choice}}}).toJson();
}

// The failure text the client would log, or "ok: " and the returned value.
QString outcome(const std::function<QString()> &stage)
{
    try {
        return QStringLiteral("ok: ") + stage();
    } catch (const ParsingFailure &failure) {
        return failure.description();
    }
}

QString normalized(const QString &content)
{
    return outcome([&] { return QString::fromUtf8(AIResponseParser::normalizedJSONData(content)); });
}

struct Case {
    const char *name;
    QString input;
    QString expected;
};

} // namespace

TEST(AIResponseParserEnvelope, FindsTheFirstChoicesMessageTextOrFails)
{
    const QString missing = QStringLiteral("envelope missing choices[0].message.content");
    const QString invalid = QStringLiteral("envelope invalid top-level JSON");
    const Case cases[] = {
        {"not JSON", QStringLiteral("<html>502</html>"), invalid},
        {"empty body", QString(), invalid},
        {"bare scalar", QStringLiteral("42"), invalid},
        {"array body", QStringLiteral(R"([{"message":{"content":"x"}}])"), missing},
        {"no choices", QStringLiteral(R"({"error":{"message":"quota"}})"), missing},
        {"empty choices", QStringLiteral(R"({"choices": []})"), missing},
        {"choices not an array", QStringLiteral(R"({"choices":{"message":{"content":"x"}}})"), missing},
        {"a choice that is not an object", QStringLiteral(R"({"choices":[{"message":{"content":"x"}},5]})"), missing},
        {"null content", QStringLiteral(R"({"choices":[{"message":{"content":null}}]})"), missing},
        {"blank content is returned as is", QStringLiteral(R"({"choices":[{"message":{"content":" \n"}}]})"),
         QStringLiteral("ok:  \n")},
        {"later choices are ignored",
         QStringLiteral(R"({"id":"c1","choices":[{"message":{"content":"第一"}},{"message":{"content":"2"}}]})"),
         QStringLiteral("ok: 第一")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(outcome([&] { return AIResponseParser::extractContent(c.input.toUtf8()); }), c.expected);
    }
}

TEST(AIResponseParserContent, FindsTheFirstCompleteObject)
{
    const QString object = QStringLiteral(R"({"a":1})");
    const Case cases[] = {
        {"blank", QStringLiteral("  \n\t "), QStringLiteral("content empty message content")},
        {"bare object, trimmed", QStringLiteral("\n {\"a\": 1} \n"), QStringLiteral("ok: {\"a\": 1}")},
        {"fence with a language tag", QStringLiteral("```json\n{\"a\":1}\n```"), QStringLiteral("ok: ") + object},
        {"prose and a fence", QStringLiteral("Here you go: ```json\n{\"a\":1}\n```\nEnjoy!"),
         QStringLiteral("ok: ") + object},
        {"quotes and a stray brace before the object", QStringLiteral("He said \"}\" and: {\"a\":1}"),
         QStringLiteral("ok: ") + object},
        {"brace inside a string", QStringLiteral("x {\"a\": \"}\"} y"), QStringLiteral("ok: {\"a\": \"}\"}")},
        {"escaped quote inside a string", QStringLiteral("x {\"a\": \"\\\"}\"} y"),
         QStringLiteral("ok: {\"a\": \"\\\"}\"}")},
        {"two objects give the first", QStringLiteral("{\"a\":1}\n{\"b\":2}"), QStringLiteral("ok: ") + object},
        {"array searched for an object", QStringLiteral("[{\"a\":1}, 2]"), QStringLiteral("ok: ") + object},
        {"incomplete object", QStringLiteral("{\"a\": 1"), QStringLiteral("content no complete JSON object bytes=7")},
        {"length counted in UTF-8 bytes", QStringLiteral("{\"释\": 1"),
         QStringLiteral("content no complete JSON object bytes=9")},
        {"balanced but not JSON", QStringLiteral("note: {a: 1}"),
         QStringLiteral("content no complete JSON object bytes=12")},
        {"no object at all", QStringLiteral("Sorry, I can't help."),
         QStringLiteral("content no complete JSON object bytes=20")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(normalized(c.input), c.expected);
    }
}

TEST(AIResponseParserContent, DeepNestingFailsCleanly)
{
    const int depth = 200000;
    EXPECT_EQ(normalized(QString(depth, u'{')),
              QStringLiteral("content no complete JSON object bytes=") + QString::number(depth));

    // Too deep for the JSON reader as a whole, yet an object is found inside.
    const QString arrays = QString(5000, u'[') + QStringLiteral("{\"a\":1}") + QString(5000, u']');
    EXPECT_EQ(normalized(arrays), QStringLiteral("ok: {\"a\":1}"));

    QString objects;
    for (int i = 0; i < 5000; ++i)
        objects += QStringLiteral("{\"a\":");
    objects += QStringLiteral("1") + QString(5000, u'}');
    EXPECT_TRUE(normalized(objects).startsWith(QStringLiteral("content no complete JSON object bytes=")));
}

TEST(AIResponseParserDecoding, DecodesRecordsFromWrappedContent)
{
    const QString content = QStringLiteral(
        "好的：\n```json\n{\"selectedText\":\"run\",\"itemType\":\"word\",\"phonetic\":\"/rʌn/\","
        "\"contextualMeaning\":\"跑\",\"commonMeanings\":[\"经营\"],\"examples\":\"I run.\"}\n```");
    const LookupResult result = AIResponseParser::decodeLookupResultFromContent(
        AIResponseParser::extractContent(chatBody(content)));
    EXPECT_EQ(result.contextualMeaning, QStringLiteral("跑"));
    EXPECT_EQ(result.examples, QStringList{QStringLiteral("I run.")});
    EXPECT_EQ(result.source, LookupResultSource::ai);

    const FastLookupResult fast = AIResponseParser::decodeFastLookupResultFromContent(
        QStringLiteral("{\"primaryMeaning\":null,\"translation\":\"跑步\"}"));
    EXPECT_EQ(fast.primaryMeaning, QStringLiteral("跑步"));
}

TEST(AIResponseParserDecoding, ReportsWhereDecodingBroke)
{
    const Case cases[] = {
        {"full pass without a meaning", QStringLiteral(R"({"contextualMeaning":"  ","examples":["x"]})"),
         QStringLiteral("decoding keyNotFound path=contextualMeaning")},
        {"not JSON", QStringLiteral("{"), QStringLiteral("decoding dataCorrupted path=$")},
        {"an array", QStringLiteral("[{}]"), QStringLiteral("decoding typeMismatch expected=QJsonObject path=$")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(outcome([&] {
                      return AIResponseParser::decodeLookupResultFromJSON(c.input.toUtf8()).contextualMeaning;
                  }),
                  c.expected);
    }
    EXPECT_EQ(outcome([] {
                  return AIResponseParser::decodeFastLookupResultFromContent(
                             QStringLiteral("```\n{\"example\":\"Go.\"}\n```"))
                      .primaryMeaning;
              }),
              QStringLiteral("decoding keyNotFound path=primaryMeaning"));
    EXPECT_EQ(outcome([] { return AIResponseParser::decodeLookupResultFromContent(QString()).selectedText; }),
              QStringLiteral("content empty message content"));
}

TEST(AIResponseParserDiagnostics, DescribesParsingFailuresAndNamesOtherErrors)
{
    EXPECT_EQ(AIResponseParser::diagnosticDescription(ParsingFailure::envelope(QStringLiteral("x"))),
              QStringLiteral("envelope x"));
    EXPECT_EQ(AIResponseParser::diagnosticDescription(ParsingFailure::decoding(QStringLiteral("y"))),
              QStringLiteral("decoding y"));
    EXPECT_EQ(AIResponseParser::diagnosticDescription(std::runtime_error("boom")),
              QStringLiteral("unexpected parser error type=std::runtime_error"));
    EXPECT_EQ(AIResponseParser::diagnosticDescription(AppError::invalidAIResponse()),
              QStringLiteral("unexpected parser error type=AppError"));
}

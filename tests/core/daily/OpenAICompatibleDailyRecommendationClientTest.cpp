#include "daily/OpenAICompatibleDailyRecommendationClient.h"

#include "foundation/AppError.h"
#include "platform/network/QNetworkAccessManagerHTTPTransport.h"
#include "network/NetworkErrorDescription.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <variant>

using namespace std::chrono_literals;
using Response = LoopbackHTTPServer::Response;

namespace {

const QString article = R"({"title": "Tides", "article": "The sea rises.\nIt falls.", "chineseSummary": "潮汐",
  "keyWords": [%1], "keyPhrases": [], "grammarPoints": [{"term": "it", "explanation": "代词", "example": "It falls."}],
  "extra": true})";
const QString word = R"({"term": "tide", "explanation": "潮", "example": "The tide turns."})";

QByteArray chatAnswer(const QString &content)
{
    const QJsonObject choice{{"message", QJsonObject{{"role", "assistant"}, {"content", content}}}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

TEST(OpenAICompatibleDailyRecommendationClientTest, OneRequestPerArticleAndEveryFailureLoggedOnce)
{
    LoopbackHTTPServer server;
    ASSERT_TRUE(server.isListening());
    QStringList lines;
    OpenAICompatibleDailyRecommendationClient client(std::make_shared<QNetworkAccessManagerHTTPTransport>(),
                                                     [&](const QString &line) { lines.append(line); }, 300ms);
    const QString endpoint = server.url(QStringLiteral("/v1/chat/completions")).toString();

    struct Case {
        const char *name;
        std::optional<Response> response; // none: nothing may be sent
        std::variant<int, AppError> outcome; // the number of key words, or the failure
        QString logged;                      // part of the one log line
        QString model = QStringLiteral("m"), baseURL = {}, apiKey = QStringLiteral("sk-daily-0123456789");
    };
    const Case cases[] = {
        {"fenced", Response::withBody(200, chatAnswer("```json\n" + article.arg(word) + "\n```")), 1, {}},
        {"four key words", Response::withBody(200, chatAnswer(article.arg(QStringList(4, word).join(',')))), 4, {}},
        {"fence then text", Response::withBody(200, chatAnswer("```json\n" + article.arg(word) + "\n```\nEnjoy!")),
         AppError::invalidAIResponse(), " stage=responseParsing endpoint=" + endpoint + " model=m status=200 "},
        {"no grammar points", Response::withBody(200, chatAnswer(QString(article.arg(word)).replace("grammarPoints", "grammar"))),
         AppError::invalidAIResponse(), "grammarPoints"},
        {"no content", Response::withBody(200, R"({"choices": []})"), AppError::invalidAIResponse(), " stage=responseParsing "},
        {"401", Response::withBody(401, R"({"error": {"message": "Invalid API key"}})"),
         AppError::aiRequestFailedDetail("HTTP 401：Invalid API key"), " stage=http endpoint=" + endpoint + " model=m status=401 "},
        {"time-out", [] { Response slow = Response::withBody(200, chatAnswer("{}")); slow.delay = 2s; return slow; }(),
         AppError::aiRequestFailedDetail("网络请求失败：" + readableDescription(TransportError::Code::timedOut, {})), " stage=network "},
        {"no model", std::nullopt, AppError::invalidAISettings(), "detail=invalidAISettings hasApiKey=true hasModel=false", ""},
        {"no host", std::nullopt, AppError::invalidAISettings(), "detail=invalidBaseURL", "m", "http:///v1/chat/completions"},
        {"header in the key", std::nullopt, AppError::invalidAISettings(), "detail=invalidAPIKey", "m", "", "sk-1\r\nX-Admin: 1"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        const qsizetype sent = server.requests().size();
        if (test.response)
            server.enqueue(*test.response);
        UserSettings settings;
        settings.apiKey = test.apiKey;
        settings.aiModel = test.model;
        settings.baseURL = test.baseURL.isEmpty() ? endpoint : test.baseURL;
        lines.clear();
        try {
            const DailyRecommendation result =
                waitForTask(client.generate(RecommendationDifficulty::advanced, settings));
            ASSERT_EQ(result.keyWords.size(), std::get<int>(test.outcome));
            EXPECT_EQ(result.article, "The sea rises.\nIt falls.");
            EXPECT_TRUE(lines.isEmpty());
        } catch (const AppError &error) {
            EXPECT_EQ(error, std::get<AppError>(test.outcome));
            ASSERT_EQ(lines.size(), 1);
            EXPECT_TRUE(lines[0].startsWith("AI request failed operation=dailyRecommendation stage="));
            EXPECT_TRUE(lines[0].contains(test.logged)) << lines[0].toStdString();
        }
        EXPECT_EQ(server.requests().size(), sent + (test.response ? 1 : 0)) << "no second attempt";
    }

    const LoopbackHTTPServer::Request &request = server.requests().first();
    EXPECT_EQ(request.header("Authorization"), "Bearer sk-daily-0123456789");
    const QString prompt = OpenAICompatibleDailyRecommendationClient::prompt(RecommendationDifficulty::advanced);
    EXPECT_EQ(QJsonDocument::fromJson(request.body).object(),
              (QJsonObject{{"model", "m"},
                           {"messages", QJsonArray{QJsonObject{{"role", "system"},
                                                               {"content", OpenAICompatibleDailyRecommendationClient::systemMessage}},
                                                   QJsonObject{{"role", "user"}, {"content", prompt}}}},
                           {"temperature", 0.7}}));
    EXPECT_TRUE(prompt.contains("\n难度要求：CEFR C1-C2，约 500-700 词，词汇和论述有挑战性。\n主题应有"));
    EXPECT_TRUE(prompt.endsWith("  ]\n}"));
}

} // namespace

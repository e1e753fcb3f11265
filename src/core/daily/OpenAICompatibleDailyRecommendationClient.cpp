#include "daily/OpenAICompatibleDailyRecommendationClient.h"

#include "ai/AIResponseParser.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "network/NetworkErrorDescription.h"
#include "network/TransportError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <new>
#include <utility>

namespace {

const QString operation = QStringLiteral("dailyRecommendation");

QString flag(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

const char16_t promptTail[] =
    u"。\n"
    u"主题应有知识性或现实意义，避免重复常见鸡汤主题。\n"
    u"从文章中选择 5 个关键词、3 个实用词组、2 个值得学习的语法结构，并用中文解释。\n"
    u"\n"
    u"只返回以下 JSON 结构：\n"
    u"{\n"
    u"  \"title\": \"英文标题\",\n"
    u"  \"article\": \"完整英文文章，段落之间使用换行\",\n"
    u"  \"chineseSummary\": \"中文摘要\",\n"
    u"  \"keyWords\": [\n"
    u"    {\"term\": \"word\", \"explanation\": \"中文释义和语境用法\", \"example\": \"英文例句\"}\n"
    u"  ],\n"
    u"  \"keyPhrases\": [\n"
    u"    {\"term\": \"phrase\", \"explanation\": \"中文释义和用法\", \"example\": \"英文例句\"}\n"
    u"  ],\n"
    u"  \"grammarPoints\": [\n"
    u"    {\"term\": \"语法结构名称\", \"explanation\": \"中文讲解\", \"example\": \"文章中的英文例句\"}\n"
    u"  ]\n"
    u"}";

QString parsingDetail(const std::exception &error)
{
    if (dynamic_cast<const ParsingFailure *>(&error))
        return AIResponseParser::diagnosticDescription(error);
    return QString::fromUtf8(error.what());
}

} // namespace

OpenAICompatibleDailyRecommendationClient::OpenAICompatibleDailyRecommendationClient(
    std::shared_ptr<HTTPTransport> transport, FailureLogger failureLogger, std::chrono::milliseconds requestTimeout)
    : m_context{std::move(transport), std::move(failureLogger), requestTimeout}
{
}

QString OpenAICompatibleDailyRecommendationClient::prompt(RecommendationDifficulty difficulty)
{
    return QStringLiteral("请创作一篇适合中国英语学习者的原创英文文章。\n难度要求：") + promptDescription(difficulty)
           + QString::fromUtf16(promptTail);
}

QString OpenAICompatibleDailyRecommendationClient::removingMarkdownFence(const QString &content)
{
    const QString text = content.trimmed();
    const QString fence = QStringLiteral("```");
    if (!text.startsWith(fence) || !text.endsWith(fence))
        return text;
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeFirst();
    if (!lines.isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

QCoro::Task<DailyRecommendation> OpenAICompatibleDailyRecommendationClient::generate(RecommendationDifficulty difficulty,
                                                                                     UserSettings settings,
                                                                                     CancellationToken cancellation)
{
    // The context is copied into the request, so that it never reaches back into the client
    // after suspending.
    co_return co_await perform(m_context, difficulty, std::move(settings), std::move(cancellation));
}

QCoro::Task<DailyRecommendation> OpenAICompatibleDailyRecommendationClient::perform(Context context,
                                                                                    RecommendationDifficulty difficulty,
                                                                                    UserSettings settings,
                                                                                    CancellationToken cancellation)
{
    const auto startedAt = std::chrono::steady_clock::now();
    const QString model = settings.aiModel;
    const auto fail = [&](const QString &stage, const std::optional<QUrl> &url, std::optional<int> status,
                          const QString &detail) {
        OpenAICompatibleAIClient::logFailure(operation, stage, url, model, startedAt, status, detail,
                                             context.failureLogger);
    };

    if (settings.apiKey.isEmpty() || model.isEmpty()) {
        fail(QStringLiteral("configuration"), std::nullopt, std::nullopt,
             QStringLiteral("invalidAISettings hasApiKey=") + flag(!settings.apiKey.isEmpty())
                 + QStringLiteral(" hasModel=") + flag(!model.isEmpty()));
        throw AppError::invalidAISettings();
    }
    // A line break in the key would smuggle header lines into the request, as in the lookup.
    if (OpenAICompatibleAIClient::containsControlCharacters(settings.apiKey)) {
        fail(QStringLiteral("configuration"), std::nullopt, std::nullopt, QStringLiteral("invalidAPIKey"));
        throw AppError::invalidAISettings();
    }
    const std::optional<QUrl> url = OpenAICompatibleAIClient::validatedURL(settings.baseURL);
    if (!url) {
        fail(QStringLiteral("configuration"), std::nullopt, std::nullopt, QStringLiteral("invalidBaseURL"));
        throw AppError::invalidAISettings();
    }

    const QJsonObject body{
        {QStringLiteral("model"), model},
        {QStringLiteral("messages"),
         QJsonArray{
             QJsonObject{{QStringLiteral("role"), QStringLiteral("system")}, {QStringLiteral("content"), systemMessage}},
             QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), prompt(difficulty)}},
         }},
        {QStringLiteral("temperature"), 0.7},
    };
    HTTPRequest request;
    request.url = *url;
    request.method = "POST";
    request.headers = {{"Authorization", "Bearer " + settings.apiKey.toUtf8()}, {"Content-Type", "application/json"}};
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    request.timeout = context.requestTimeout;

    HTTPResponse response;
    std::optional<QString> networkFailure;
    try {
        response = co_await context.transport->data(std::move(request), cancellation);
    } catch (const CancellationError &) {
        throw;
    } catch (const TransportError &error) {
        if (error.code() == TransportError::Code::operationCanceled)
            throw CancellationError();
        // Qt's own texts are English: the learner reads the same Chinese description as a lookup's.
        networkFailure = readableDescription(error.code(), error.errorString());
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        networkFailure = QString::fromUtf8(error.what());
    }
    if (networkFailure) {
        const QString detail = QStringLiteral("网络请求失败：") + *networkFailure;
        fail(QStringLiteral("network"), url, std::nullopt, detail);
        throw AppError::aiRequestFailedDetail(detail);
    }

    if (!response.statusCode) {
        fail(QStringLiteral("response"), url, std::nullopt, QStringLiteral("服务没有返回有效 HTTP 响应"));
        throw AppError::aiRequestFailedDetail(QStringLiteral("服务没有返回有效 HTTP 响应。"));
    }
    const int status = *response.statusCode;
    if (status < 200 || status > 299) {
        const QString detail = OpenAICompatibleAIClient::failureDetail(status, response.body);
        fail(QStringLiteral("http"), url, status, detail);
        throw AppError::aiRequestFailedDetail(detail);
    }
    try {
        const QString text = removingMarkdownFence(AIResponseParser::extractContent(response.body));
        co_return DailyRecommendation::fromJSONData(text.toUtf8());
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        fail(QStringLiteral("responseParsing"), url, status, parsingDetail(error));
        throw AppError::invalidAIResponse();
    }
}

#include "ai/OpenAICompatibleAIClient.h"

#include "ai/AIResponseParser.h"
#include "ai/LookupPromptBuilder.h"
#include "foundation/AppError.h"
#include "logging/AppLogger.h"
#include "foundation/CancellationError.h"
#include "network/NetworkErrorDescription.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <new>
#include <utility>

namespace {

const QString lookupOperation = QStringLiteral("lookup");
constexpr qsizetype maximumMessageLength = 500;

QString flag(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

} // namespace

OpenAICompatibleAIClient::OpenAICompatibleAIClient(std::shared_ptr<HTTPTransport> transport,
                                                   FailureLogger failureLogger,
                                                   std::chrono::milliseconds requestTimeout)
    : m_context{std::move(transport), std::move(failureLogger), requestTimeout}
{
}

QCoro::Task<LookupResult> OpenAICompatibleAIClient::lookup(QString selectedText, std::optional<QString> contextBefore,
                                                           std::optional<QString> contextAfter,
                                                           LearningItemType itemType, UserSettings settings,
                                                           CancellationToken cancellation)
{
    QString prompt = LookupPromptBuilder::prompt(selectedText, contextBefore, contextAfter, itemType,
                                                 settings.systemPronunciationAccent);
    co_return co_await performLookupRequest<LookupResult>(m_context, std::move(prompt), std::move(settings),
                                                          &AIResponseParser::decodeLookupResultFromContent,
                                                          std::move(cancellation));
}

QCoro::Task<FastLookupResult> OpenAICompatibleAIClient::fastLookup(QString selectedText,
                                                                   std::optional<QString> contextBefore,
                                                                   std::optional<QString> contextAfter,
                                                                   LearningItemType itemType, UserSettings settings,
                                                                   CancellationToken cancellation)
{
    QString prompt = LookupPromptBuilder::fastPrompt(selectedText, contextBefore, contextAfter, itemType);
    co_return co_await performLookupRequest<FastLookupResult>(m_context, std::move(prompt), std::move(settings),
                                                              &AIResponseParser::decodeFastLookupResultFromContent,
                                                              std::move(cancellation));
}

template <typename Result>
QCoro::Task<Result> OpenAICompatibleAIClient::performLookupRequest(Context context, QString prompt,
                                                                   UserSettings settings,
                                                                   Result (*decode)(const QString &content),
                                                                   CancellationToken cancellation)
{
    const auto startedAt = std::chrono::steady_clock::now();
    const QString &model = settings.aiModel;
    const auto fail = [&](const QString &stage, const std::optional<QUrl> &url, std::optional<int> status,
                          const QString &detail) {
        logFailure(lookupOperation, stage, url, model, startedAt, status, detail, context.failureLogger);
    };

    // A key of only spaces passes: the service, not we, decides whether it is valid.
    if (settings.apiKey.isEmpty() || model.isEmpty()) {
        fail(QStringLiteral("configuration"), std::nullopt, std::nullopt,
             QStringLiteral("invalidAISettings hasApiKey=") + flag(!settings.apiKey.isEmpty())
                 + QStringLiteral(" hasModel=") + flag(!model.isEmpty()));
        throw AppError::invalidAISettings();
    }
    // Qt writes header values out verbatim, so a line break in the key would smuggle its own
    // header lines into the request.
    if (containsControlCharacters(settings.apiKey)) {
        fail(QStringLiteral("configuration"), std::nullopt, std::nullopt, QStringLiteral("invalidAPIKey"));
        throw AppError::invalidAISettings();
    }
    const std::optional<QUrl> url = validatedURL(settings.baseURL);
    if (!url) {
        fail(QStringLiteral("configuration"), std::nullopt, std::nullopt, QStringLiteral("invalidBaseURL"));
        throw AppError::invalidAISettings();
    }

    const HTTPRequest request = makeRequest(*url, settings, prompt, context.requestTimeout);
    // Models now and then wrap or break their JSON; one more try usually gets a clean answer.
    // Network and HTTP failures are final.
    for (int attempt = 1;; ++attempt) {
        const HTTPResponse response = co_await send(context, request, model, startedAt, cancellation);
        if (!response.statusCode) {
            fail(QStringLiteral("response"), url, std::nullopt, QStringLiteral("服务没有返回有效 HTTP 响应"));
            throw AppError::aiRequestFailedDetail(QStringLiteral("服务没有返回有效 HTTP 响应。"));
        }
        const int status = *response.statusCode;
        if (status < 200 || status > 299) {
            const QString detail = failureDetail(status, response.body);
            fail(QStringLiteral("http"), url, status, detail);
            throw AppError::aiRequestFailedDetail(detail);
        }
        try {
            co_return decode(AIResponseParser::extractContent(response.body));
        } catch (const std::bad_alloc &) {
            throw;
        } catch (const std::exception &error) {
            if (attempt >= 2) {
                fail(QStringLiteral("responseParsing"), url, status,
                     QStringLiteral("attempt=2 ") + AIResponseParser::diagnosticDescription(error));
                throw AppError::invalidAIResponse();
            }
        }
    }
}

QCoro::Task<HTTPResponse> OpenAICompatibleAIClient::send(Context context, HTTPRequest request, QString model,
                                                         std::chrono::steady_clock::time_point startedAt,
                                                         CancellationToken cancellation)
{
    const QUrl url = request.url;
    const auto networkFailure = [&](const QString &description) {
        const QString detail = QStringLiteral("网络请求失败：") + description;
        logFailure(lookupOperation, QStringLiteral("network"), url, model, startedAt, std::nullopt, detail,
                   context.failureLogger);
        return AppError::aiRequestFailedDetail(detail);
    };
    std::exception_ptr failure;
    try {
        co_return co_await context.transport->data(std::move(request), cancellation);
    } catch (...) {
        failure = std::current_exception();
    }
    const std::optional<QString> description = sendFailureDescription(failure);
    if (!description)
        throw CancellationError();
    throw networkFailure(*description);
}

HTTPRequest OpenAICompatibleAIClient::makeRequest(const QUrl &url, const UserSettings &settings,
                                                  const QString &prompt, std::chrono::milliseconds timeout)
{
    const QJsonObject body{
        {QStringLiteral("model"), settings.aiModel},
        {QStringLiteral("messages"),
         QJsonArray{
             QJsonObject{{QStringLiteral("role"), QStringLiteral("system")},
                         {QStringLiteral("content"), systemMessage}},
             QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), prompt}},
         }},
        {QStringLiteral("temperature"), 0.2},
        {QStringLiteral("response_format"), QJsonObject{{QStringLiteral("type"), QStringLiteral("json_object")}}},
    };

    HTTPRequest request;
    request.url = url;
    request.method = "POST";
    request.headers = {
        {"Authorization", "Bearer " + settings.apiKey.toUtf8()},
        {"Content-Type", "application/json"},
    };
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    request.timeout = timeout;
    return request;
}

bool OpenAICompatibleAIClient::containsControlCharacters(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

std::optional<QUrl> OpenAICompatibleAIClient::validatedURL(const QString &text)
{
    // Strict parsing refuses what a tolerant parser would quietly repair, such as spaces.
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

QString OpenAICompatibleAIClient::failureDetail(int statusCode, const QByteArray &body)
{
    const QString message = errorMessage(body);
    const QString status = QStringLiteral("HTTP ") + QString::number(statusCode);
    return message.isEmpty() ? status : status + QStringLiteral("：") + message;
}

QString OpenAICompatibleAIClient::errorMessage(const QByteArray &body)
{
    if (body.isEmpty())
        return {};

    // The places where chat-completions services put their message, in order of preference.
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error == QJsonParseError::NoError && document.isObject()) {
        const QJsonObject object = document.object();
        const QJsonValue error = object.value(QLatin1String("error"));
        const QJsonValue nestedMessage = error.toObject().value(QLatin1String("message"));
        const QJsonValue message = object.value(QLatin1String("message"));
        for (const QJsonValue &candidate : {nestedMessage, message, error}) {
            if (candidate.isString())
                return shortened(candidate.toString());
        }
    }

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(body);
    return decoder.hasError() ? QString() : shortened(text);
}

QString OpenAICompatibleAIClient::shortened(const QString &text)
{
    const QString whole = text.trimmed();
    if (whole.size() <= maximumMessageLength)
        return whole;
    // Count what a reader sees as characters, so that no surrogate pair or accent is cut.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, whole);
    qsizetype end = 0;
    for (qsizetype count = 0; count < maximumMessageLength; ++count) {
        end = finder.toNextBoundary();
        if (end < 0 || end >= whole.size())
            return whole;
    }
    return whole.left(end) + QStringLiteral("...");
}

QString OpenAICompatibleAIClient::safeEndpoint(const std::optional<QUrl> &url)
{
    if (!url || !url->isValid() || url->isEmpty())
        return QStringLiteral("-");
    const QUrl safe = url->adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment);
    if (!safe.isValid() || safe.isEmpty())
        return QStringLiteral("-");
    return safe.toString(QUrl::FullyEncoded);
}

void OpenAICompatibleAIClient::logFailure(const QString &operation, const QString &stage,
                                          const std::optional<QUrl> &url, const QString &model,
                                          std::chrono::steady_clock::time_point startedAt,
                                          std::optional<int> statusCode, const QString &detail,
                                          const FailureLogger &logger)
{
    const auto line = [&] {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt);
        return QStringLiteral("AI request failed operation=") + operation + QStringLiteral(" stage=") + stage
               + QStringLiteral(" endpoint=") + safeEndpoint(url) + QStringLiteral(" model=")
               + (model.isEmpty() ? QStringLiteral("-") : model) + QStringLiteral(" status=")
               + (statusCode ? QString::number(*statusCode) : QStringLiteral("-")) + QStringLiteral(" elapsedMs=")
               + QString::number(elapsed.count()) + QStringLiteral(" detail=") + detail;
    };
    if (logger)
        logger(line());
    else
        AppLogger::error(line);
}

#include "speech/TextToSpeechRequests.h"

#include "ai/OpenAICompatibleAIClient.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "network/NetworkErrorDescription.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <chrono>

namespace {

const QString speechOperation = QStringLiteral("speech");
constexpr std::chrono::milliseconds requestTimeout{60000};

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

std::optional<QUrl> httpURL(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

TextToSpeechRequests::Prepared TextToSpeechRequests::prepare(const QString &text, const UserSettings &settings,
                                                             URLForm form)
{
    Prepared prepared;
    prepared.input = text.trimmed();
    if (prepared.input.isEmpty() || settings.ttsAPIKey.isEmpty() || settings.ttsModel.isEmpty()
        || settings.ttsVoice.isEmpty())
        throw AppError::invalidTextToSpeechSettings();
    // Qt writes header values out verbatim, so a line break in the key would add header lines.
    if (hasControlCharacter(settings.ttsAPIKey))
        throw AppError::invalidTextToSpeechSettings();

    QString replaced = settings.ttsBaseURL;
    replaced.replace(workspacePlaceholder, QStringLiteral("placeholder-workspace-id"));
    if (!httpURL(replaced))
        throw AppError::invalidTextToSpeechSettings();
    const std::optional<QUrl> url =
        httpURL(form == URLForm::workspacePlaceholderReplaced ? replaced : settings.ttsBaseURL);
    if (!url)
        throw AppError::invalidTextToSpeechSettings();
    if (settings.ttsBaseURL.contains(workspacePlaceholder))
        throw AppError::textToSpeechFailed(QStringLiteral("百炼 Base URL 里的 {WorkspaceId} 需要替换成你的业务空间 ID。"));
    prepared.url = *url;
    return prepared;
}

HTTPRequest TextToSpeechRequests::authenticatedJSONRequest(const QUrl &url, const QString &apiKey,
                                                           const QJsonObject &body)
{
    HTTPRequest request;
    request.url = url;
    request.method = "POST";
    request.headers = {
        {"Authorization", "Bearer " + apiKey.toUtf8()},
        {"Content-Type", "application/json"},
    };
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    request.timeout = requestTimeout;
    return request;
}

HTTPRequest TextToSpeechRequests::downloadRequest(const QUrl &url)
{
    HTTPRequest request;
    request.url = url;
    request.timeout = requestTimeout;
    return request;
}

QCoro::Task<QByteArray> TextToSpeechRequests::data(Context context, HTTPRequest request, FailureDetail failureDetail,
                                                   QString model, CancellationToken cancellation)
{
    const QUrl url = request.url;
    const auto networkFailure = [&](const QString &description) {
        const QString detail = QStringLiteral("网络请求失败：") + description;
        logFailure(context, QStringLiteral("network"), url, model, std::nullopt, detail);
        return AppError::textToSpeechFailed(detail);
    };
    HTTPResponse response;
    std::exception_ptr failure;
    try {
        response = co_await context.transport->data(std::move(request), cancellation);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        const std::optional<QString> description = sendFailureDescription(failure);
        if (!description)
            throw CancellationError();
        throw networkFailure(*description);
    }

    if (!response.statusCode) {
        logFailure(context, QStringLiteral("response"), url, model, std::nullopt, invalidHTTPResponseMessage);
        throw AppError::textToSpeechFailed(invalidHTTPResponseMessage);
    }
    const int status = *response.statusCode;
    if (status >= 200 && status <= 299)
        co_return std::move(response.body);
    const QString detail = failureDetail(status, response.body);
    logFailure(context, QStringLiteral("http"), url, model, status, detail);
    throw AppError::textToSpeechFailed(detail);
}

void TextToSpeechRequests::logFailure(const Context &context, const QString &stage, const QUrl &url,
                                      const QString &model, std::optional<int> statusCode, const QString &detail)
{
    OpenAICompatibleAIClient::logFailure(speechOperation, stage, url.isEmpty() ? std::nullopt : std::optional(url),
                                         model, context.startedAt, statusCode, detail, context.failureLogger);
}

QString TextToSpeechRequests::redactedAPIKeys(const QString &text)
{
    static const QRegularExpression key(QStringLiteral("sk-[A-Za-z0-9_\\-]{6,}"));
    QString masked = text;
    return masked.replace(key, QStringLiteral("sk-..."));
}

QString TextToSpeechRequests::serverText(const QString &text)
{
    return OpenAICompatibleAIClient::shortened(redactedAPIKeys(text));
}

std::optional<QString> TextToSpeechRequests::utf8Text(const QByteArray &body)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(body);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString TextToSpeechRequests::statusText(int statusCode)
{
    return QStringLiteral("HTTP ") + QString::number(statusCode);
}

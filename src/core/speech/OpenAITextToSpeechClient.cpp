#include "speech/OpenAITextToSpeechClient.h"

#include <QJsonDocument>
#include <QJsonObject>

OpenAITextToSpeechClient::OpenAITextToSpeechClient(std::shared_ptr<HTTPTransport> transport,
                                                   TextToSpeechRequests::FailureLogger failureLogger)
    : m_transport(std::move(transport)), m_failureLogger(std::move(failureLogger))
{
}

QCoro::Task<QByteArray> OpenAITextToSpeechClient::speechAudio(QString text, UserSettings settings,
                                                              CancellationToken cancellation)
{
    // Copied before the first suspension: the client may be gone when the answer arrives.
    const TextToSpeechRequests::Context context{m_transport, m_failureLogger};
    const TextToSpeechRequests::Prepared prepared =
        TextToSpeechRequests::prepare(text, settings, TextToSpeechRequests::URLForm::asWritten);
    const QJsonObject body{
        {QStringLiteral("model"), settings.ttsModel},
        {QStringLiteral("input"), prepared.input},
        {QStringLiteral("voice"), settings.ttsVoice},
        {QStringLiteral("response_format"), settings.ttsResponseFormat},
    };
    co_return co_await TextToSpeechRequests::data(
        context, TextToSpeechRequests::authenticatedJSONRequest(prepared.url, settings.ttsAPIKey, body),
        &failureDetail, settings.ttsModel, std::move(cancellation));
}

QString OpenAITextToSpeechClient::failureDetail(int statusCode, const QByteArray &body)
{
    const QString status = TextToSpeechRequests::statusText(statusCode);
    if (body.isEmpty())
        return status;
    QString message;
    const QJsonDocument document = QJsonDocument::fromJson(body);
    const QJsonValue nested = document.object().value(QLatin1String("error")).toObject().value(QLatin1String("message"));
    if (document.isObject() && nested.isString())
        message = nested.toString();
    else if (const std::optional<QString> text = TextToSpeechRequests::utf8Text(body))
        message = *text;
    message = TextToSpeechRequests::serverText(message);
    return message.isEmpty() ? status : status + QStringLiteral("：") + message;
}

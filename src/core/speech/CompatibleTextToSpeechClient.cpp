#include "speech/CompatibleTextToSpeechClient.h"

#include "foundation/AppError.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace {

using ResponseMode = CompatibleTextToSpeechClient::ResponseMode;
using RequestPlan = CompatibleTextToSpeechClient::RequestPlan;

const QString speechSynthesizerPath = QStringLiteral("/api/v1/services/audio/tts/SpeechSynthesizer");
const QString generationPath = QStringLiteral("/api/v1/services/aigc/multimodal-generation/generation");
constexpr int cosyVoiceSampleRate = 24000;

bool pathEndsWithAny(const QUrl &url, std::initializer_list<QLatin1String> endings)
{
    const QString path = url.path();
    return std::any_of(endings.begin(), endings.end(), [&](QLatin1String ending) { return path.endsWith(ending); });
}

// DashScope's native endpoints live at fixed paths of the same host, whatever path the
// console's compatible-mode address has.
QUrl withPath(const QUrl &url, const QString &path)
{
    if (url.path().endsWith(path))
        return url;
    QUrl rebuilt = url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    rebuilt.setPath(path);
    return rebuilt.isValid() ? rebuilt : url;
}

QUrl speechURL(const QUrl &url)
{
    if (pathEndsWithAny(url, {QLatin1String("/audio/speech"), QLatin1String("/audio/speech/")}))
        return url;
    QUrl appended = url;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    appended.setPath(path + QStringLiteral("audio/speech"));
    return appended;
}

QString languageType(const QString &input)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return input.contains(han) ? QStringLiteral("Chinese") : QStringLiteral("English");
}

QJsonObject generationBody(const QString &input, const UserSettings &settings)
{
    return {
        {QStringLiteral("model"), settings.ttsModel},
        {QStringLiteral("input"),
         QJsonObject{{QStringLiteral("text"), input},
                     {QStringLiteral("voice"), settings.ttsVoice},
                     {QStringLiteral("language_type"), languageType(input)}}},
    };
}

RequestPlan plan(const QUrl &url, const QJsonObject &body, const UserSettings &settings, ResponseMode mode)
{
    return {TextToSpeechRequests::authenticatedJSONRequest(url, settings.ttsAPIKey, body), mode};
}

// The request adapters, tried in order. The model tests come before the URL test, so a
// DashScope model on the console's compatible-mode address reaches the native endpoint.
struct Adapter {
    bool (*canHandle)(const UserSettings &settings, const QUrl &baseURL);
    RequestPlan (*requestPlan)(const QUrl &baseURL, const QString &input, const UserSettings &settings);
};

const Adapter dashScopeCosyVoiceTTSAdapter{
    [](const UserSettings &settings, const QUrl &) {
        return settings.ttsModel.toLower().startsWith(QLatin1String("cosyvoice"));
    },
    [](const QUrl &baseURL, const QString &input, const UserSettings &settings) {
        const QJsonObject body{
            {QStringLiteral("model"), settings.ttsModel},
            {QStringLiteral("input"),
             QJsonObject{{QStringLiteral("text"), input},
                         {QStringLiteral("voice"), settings.ttsVoice},
                         {QStringLiteral("format"), settings.ttsResponseFormat},
                         {QStringLiteral("sample_rate"), cosyVoiceSampleRate}}},
        };
        return plan(withPath(baseURL, speechSynthesizerPath), body, settings, ResponseMode::downloadAudioURL);
    },
};

const Adapter dashScopeQwenTTSAdapter{
    [](const UserSettings &settings, const QUrl &) {
        return settings.ttsModel.toLower().startsWith(QLatin1String("qwen"));
    },
    [](const QUrl &baseURL, const QString &input, const UserSettings &settings) {
        return plan(withPath(baseURL, generationPath), generationBody(input, settings), settings,
                    ResponseMode::downloadAudioURL);
    },
};

const Adapter openAICompatibleSpeechTTSAdapter{
    [](const UserSettings &, const QUrl &baseURL) {
        return pathEndsWithAny(baseURL, {QLatin1String("/compatible-mode/v1"), QLatin1String("/compatible-mode/v1/"),
                                         QLatin1String("/compatible-mode/v1/audio/speech"),
                                         QLatin1String("/compatible-mode/v1/audio/speech/"), QLatin1String("/v1"),
                                         QLatin1String("/v1/"), QLatin1String("/v1/audio/speech"),
                                         QLatin1String("/v1/audio/speech/")});
    },
    [](const QUrl &baseURL, const QString &input, const UserSettings &settings) {
        const QJsonObject body{
            {QStringLiteral("model"), settings.ttsModel},
            {QStringLiteral("input"), input},
            {QStringLiteral("voice"), settings.ttsVoice},
            {QStringLiteral("response_format"), settings.ttsResponseFormat},
        };
        return plan(speechURL(baseURL), body, settings, ResponseMode::directAudio);
    },
};

// Anything unrecognised is taken for a DashScope generation endpoint given in full.
const Adapter dashScopeGenerationTTSAdapter{
    [](const UserSettings &, const QUrl &) { return true; },
    [](const QUrl &baseURL, const QString &input, const UserSettings &settings) {
        return plan(baseURL, generationBody(input, settings), settings, ResponseMode::downloadAudioURL);
    },
};

const std::array<const Adapter *, 3> adapters{&dashScopeCosyVoiceTTSAdapter, &dashScopeQwenTTSAdapter,
                                              &openAICompatibleSpeechTTSAdapter};

QString hint(int statusCode)
{
    if (statusCode == 401 || statusCode == 403)
        return QStringLiteral("。请检查百炼 API Key、业务空间权限和地域是否匹配。");
    if (statusCode == 404)
        return QStringLiteral("。请检查 Base URL 中的业务空间 ID、地域和接口路径是否正确。");
    return {};
}

} // namespace

CompatibleTextToSpeechClient::CompatibleTextToSpeechClient(std::shared_ptr<HTTPTransport> transport,
                                                           TextToSpeechRequests::FailureLogger failureLogger)
    : m_transport(std::move(transport)), m_failureLogger(std::move(failureLogger))
{
}

QCoro::Task<QByteArray> CompatibleTextToSpeechClient::speechAudio(QString text, UserSettings settings,
                                                                  CancellationToken cancellation)
{
    // Copied before the first suspension: the client may be gone when the answer arrives.
    const TextToSpeechRequests::Context context{m_transport, m_failureLogger};
    const TextToSpeechRequests::Prepared prepared =
        TextToSpeechRequests::prepare(text, settings, TextToSpeechRequests::URLForm::workspacePlaceholderReplaced);
    RequestPlan requestPlan = CompatibleTextToSpeechClient::requestPlan(prepared.url, prepared.input, settings);
    const QByteArray body = co_await TextToSpeechRequests::data(context, std::move(requestPlan.request),
                                                                &failureDetail, settings.ttsModel, cancellation);
    if (requestPlan.responseMode == ResponseMode::directAudio)
        co_return body;

    QUrl url;
    try {
        url = audioURL(body);
    } catch (const AppError &error) {
        TextToSpeechRequests::logFailure(context, QStringLiteral("audioURL"), prepared.url, settings.ttsModel,
                                         std::nullopt, error.payload());
        throw;
    }
    co_return co_await TextToSpeechRequests::data(context, TextToSpeechRequests::downloadRequest(url),
                                                  &failureDetail, settings.ttsModel, std::move(cancellation));
}

CompatibleTextToSpeechClient::RequestPlan
CompatibleTextToSpeechClient::requestPlan(const QUrl &baseURL, const QString &input, const UserSettings &settings)
{
    for (const Adapter *adapter : adapters) {
        if (adapter->canHandle(settings, baseURL))
            return adapter->requestPlan(baseURL, input, settings);
    }
    return dashScopeGenerationTTSAdapter.requestPlan(baseURL, input, settings);
}

QUrl CompatibleTextToSpeechClient::audioURL(const QByteArray &body)
{
    const QJsonValue value = QJsonDocument::fromJson(body)
                                 .object()
                                 .value(QLatin1String("output"))
                                 .toObject()
                                 .value(QLatin1String("audio"))
                                 .toObject()
                                 .value(QLatin1String("url"));
    const QUrl url = secureAudioURL(QUrl(value.toString(), QUrl::StrictMode));
    // Only a web address is fetched: a file: or data: address from a service would have the
    // transport read local files or decode whatever the answer carries.
    if (!value.isString() || !url.isValid() || url.scheme().toLower() != u"https" || url.host().isEmpty())
        throw AppError::textToSpeechFailed(QStringLiteral("服务没有返回可下载的音频地址。"));
    return url;
}

QUrl CompatibleTextToSpeechClient::secureAudioURL(QUrl url)
{
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
        url.setScheme(QStringLiteral("https"));
    return url;
}

QString CompatibleTextToSpeechClient::failureDetail(int statusCode, const QByteArray &body)
{
    const QString status = TextToSpeechRequests::statusText(statusCode);
    if (body.isEmpty())
        return status;
    const QJsonDocument document = QJsonDocument::fromJson(body);
    const QJsonObject object = document.object();
    if (document.isObject() && object.value(QLatin1String("message")).isString()) {
        QStringList parts{status};
        const auto append = [&parts](const QString &prefix, const QJsonValue &value) {
            const QString text = TextToSpeechRequests::serverText(value.toString());
            if (!text.isEmpty())
                parts.append(prefix + text);
        };
        append(QString(), object.value(QLatin1String("code")));
        append(QString(), object.value(QLatin1String("message")));
        append(QStringLiteral("request_id="), object.value(QLatin1String("request_id")));
        return parts.join(QStringLiteral("：")) + hint(statusCode);
    }
    if (const std::optional<QString> text = TextToSpeechRequests::utf8Text(body)) {
        const QString message = TextToSpeechRequests::serverText(*text);
        return (message.isEmpty() ? status : status + QStringLiteral("：") + message) + hint(statusCode);
    }
    return status;
}

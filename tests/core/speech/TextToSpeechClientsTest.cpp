#include "speech/CompatibleTextToSpeechClient.h"
#include "speech/OpenAITextToSpeechClient.h"

#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "platform/network/QNetworkAccessManagerHTTPTransport.h"
#include "support/CoroutineTestSupport.h"
#include "support/LoopbackHTTPServer.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Response = LoopbackHTTPServer::Response;

namespace {

// The real transport, as if the loopback server also spoke TLS: an https request for it is
// sent over http. Records every URL asked for and keeps time-outs short.
class LoopbackTransport : public HTTPTransport {
public:
    explicit LoopbackTransport(QNetworkAccessManager *manager) : m_transport(manager) {}

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken cancellation) override
    {
        requestedURLs.append(request.url);
        if (request.url.host() == u"127.0.0.1")
            request.url.setScheme(QStringLiteral("http"));
        request.timeout = std::min(request.timeout, std::chrono::milliseconds(300));
        return m_transport.data(std::move(request), std::move(cancellation));
    }

    QList<QUrl> requestedURLs;

private:
    QNetworkAccessManagerHTTPTransport m_transport;
};

const QByteArray audio = "AUDIO-BYTES";
const QByteArray generationPath = "/api/v1/services/aigc/multimodal-generation/generation";
const QByteArray synthesizerPath = "/api/v1/services/audio/tts/SpeechSynthesizer";
const QByteArray downloadAnswer = R"({"output":{"audio":{"url":"http://{server}/audio.wav"}}})";
const QString invalidSettings = QStringLiteral("发音设置不完整，请检查 API Key、TTS Base URL、模型和声音。");
const QString cancelled = QStringLiteral("(cancelled)");

struct Case {
    const char *name;
    bool compatible;
    QString model;
    QString baseURL; // below the loopback server when it starts with '/'
    QString text;
    QList<std::pair<QByteArray, Response>> routes; // "{server}" in a body is the server's address
    QByteArray postedTarget;                       // empty: nothing may be sent
    QByteArray postedBody;
    bool downloads = false; // the audio is then fetched from /audio.wav over https
    QString failure;        // empty: the client returns `audio`
    std::chrono::milliseconds cancelAfter{0};
};

Response answer(int status, QByteArray body, std::chrono::milliseconds delay = 0ms)
{
    Response response = Response::withBody(status, std::move(body));
    response.delay = delay;
    return response;
}

const QList<Case> cases = {
    {"OpenAI: the four fields to the endpoint as written", false, "gpt-4o-mini-tts", "/v1/audio/speech", " hello\n",
     {{"/v1/audio/speech", answer(200, audio)}}, "/v1/audio/speech",
     R"({"model":"gpt-4o-mini-tts","input":"hello","voice":"alloy","response_format":"mp3"})", false, {}},
    {"compatible /v1 gains audio/speech", true, "custom-tts", "/v1", "hello", {{"/v1/audio/speech", answer(200, audio)}},
     "/v1/audio/speech", R"({"model":"custom-tts","input":"hello","voice":"alloy","response_format":"mp3"})", false, {}},
    {"Qwen in any case reaches the native endpoint", true, "Qwen3-TTS-Flash", "/compatible-mode/v1?x=1#f", "hello",
     {{generationPath, answer(200, downloadAnswer)}, {"/audio.wav", answer(200, audio)}}, generationPath,
     R"({"model":"Qwen3-TTS-Flash","input":{"text":"hello","voice":"alloy","language_type":"English"}})", true, {}},
    {"Qwen with Han characters", true, "qwen-tts", "/compatible-mode/v1", "你好 world",
     {{generationPath, answer(200, downloadAnswer)}, {"/audio.wav", answer(200, audio)}}, generationPath,
     R"({"model":"qwen-tts","input":{"text":"你好 world","voice":"alloy","language_type":"Chinese"}})", true, {}},
    {"CosyVoice", true, "cosyvoice-v3-flash", "/compatible-mode/v1", "hello",
     {{synthesizerPath, answer(200, downloadAnswer)}, {"/audio.wav", answer(200, audio)}}, synthesizerPath,
     R"({"model":"cosyvoice-v3-flash","input":{"text":"hello","voice":"alloy","format":"mp3","sample_rate":24000}})",
     true, {}},
    {"unknown path: generation body to it, no audio address", true, "custom-tts", "/tts", "hello",
     {{"/tts", answer(200, R"({"output":{}})")}}, "/tts",
     R"({"model":"custom-tts","input":{"text":"hello","voice":"alloy","language_type":"English"}})", false,
     QStringLiteral("发音失败：服务没有返回可下载的音频地址。")},
    {"a local file is no audio address", true, "qwen-tts", "/compatible-mode/v1", "hello",
     {{generationPath, answer(200, R"({"output":{"audio":{"url":"file:///etc/passwd"}}})")}}, generationPath,
     R"({"model":"qwen-tts","input":{"text":"hello","voice":"alloy","language_type":"English"}})", false,
     QStringLiteral("发音失败：服务没有返回可下载的音频地址。")},
    {"DashScope error with key hint", true, "qwen-tts", "/compatible-mode/v1", "hello",
     {{generationPath,
       answer(401, R"({"code":"InvalidApiKey","message":" Invalid key sk-abc_DEF-123 ","request_id":"r1"})")}},
     generationPath, {}, false,
     QStringLiteral("发音失败：HTTP 401：InvalidApiKey：Invalid key sk-...：request_id=r1"
                    "。请检查百炼 API Key、业务空间权限和地域是否匹配。")},
    {"plain-text 404 with path hint", true, "custom-tts", "/v1", "hello",
     {{"/v1/audio/speech", answer(404, "not here\n")}}, "/v1/audio/speech", {}, false,
     QStringLiteral("发音失败：HTTP 404：not here。请检查 Base URL 中的业务空间 ID、地域和接口路径是否正确。")},
    {"OpenAI error message masked", false, "tts-1", "/v1/audio/speech", "hello",
     {{"/v1/audio/speech", answer(400, R"({"error":{"message":"bad key sk-abcdefgh"}})")}}, "/v1/audio/speech", {},
     false, QStringLiteral("发音失败：HTTP 400：bad key sk-...")},
    {"empty error body", false, "tts-1", "/v1/audio/speech", "hello", {{"/v1/audio/speech", answer(500, {})}},
     "/v1/audio/speech", {}, false, QStringLiteral("发音失败：HTTP 500")},
    {"blank text", true, "custom-tts", "/v1", "   ", {}, {}, {}, false, invalidSettings},
    {"workspace placeholder", true, "qwen-tts", "https://{WorkspaceId}.cn-beijing.maas.aliyuncs.com/compatible-mode/v1",
     "hello", {}, {}, {}, false, QStringLiteral("发音失败：百炼 Base URL 里的 {WorkspaceId} 需要替换成你的业务空间 ID。")},
    {"not a web address", false, "tts-1", "ftp://example.com/v1/audio/speech", "hello", {}, {}, {}, false,
     invalidSettings},
    {"time-out", false, "tts-1", "/v1/audio/speech", "hello", {{"/v1/audio/speech", answer(200, audio, 3s)}},
     "/v1/audio/speech", {}, false, QStringLiteral("发音失败：网络请求失败：请求超时（timedOut）")},
    {"cancelled mid-request", true, "custom-tts", "/v1", "hello", {{"/v1/audio/speech", answer(200, audio, 3s)}},
     "/v1/audio/speech", {}, false, cancelled, 100ms},
};

TEST(TextToSpeechClientsTest, RequestsAnswersAndFailures)
{
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        LoopbackHTTPServer server;
        const QByteArray address = server.url().authority().toUtf8();
        for (auto [target, response] : row.routes) {
            response.body.replace("{server}", address);
            server.route(target, response);
        }
        QNetworkAccessManager manager;
        auto transport = std::make_shared<LoopbackTransport>(&manager);
        UserSettings settings;
        settings.ttsModel = row.model;
        settings.ttsBaseURL = row.baseURL.startsWith(QLatin1Char('/')) ? server.url(row.baseURL).toString() : row.baseURL;
        settings.ttsAPIKey = QStringLiteral("sk-test-key-123");
        const auto ignoreLog = [](const QString &) {};
        std::unique_ptr<TextToSpeechClient> client;
        if (row.compatible)
            client = std::make_unique<CompatibleTextToSpeechClient>(transport, ignoreLog);
        else
            client = std::make_unique<OpenAITextToSpeechClient>(transport, ignoreLog);

        CancellationToken cancellation;
        if (row.cancelAfter > 0ms)
            QTimer::singleShot(row.cancelAfter, [cancellation] { cancellation.cancel(); });
        QString failure;
        QByteArray result;
        try {
            result = waitForTask(client->speechAudio(row.text, settings, cancellation));
        } catch (const AppError &error) {
            failure = error.errorDescription();
        } catch (const CancellationError &) {
            failure = cancelled;
        }
        EXPECT_EQ(failure, row.failure);
        if (row.failure.isEmpty()) {
            EXPECT_EQ(result, audio);
        }

        if (row.postedTarget.isEmpty()) {
            EXPECT_TRUE(transport->requestedURLs.isEmpty());
            continue;
        }
        ASSERT_FALSE(server.requests().isEmpty());
        const LoopbackHTTPServer::Request &posted = server.requests().first();
        EXPECT_EQ(posted.method, "POST");
        EXPECT_EQ(posted.target, row.postedTarget);
        EXPECT_EQ(posted.header("Authorization"), "Bearer sk-test-key-123");
        if (!row.postedBody.isEmpty()) {
            EXPECT_EQ(QJsonDocument::fromJson(posted.body), QJsonDocument::fromJson(row.postedBody));
        }
        if (row.downloads) {
            ASSERT_EQ(transport->requestedURLs.size(), 2);
            EXPECT_EQ(transport->requestedURLs[1].toString(), "https://" + address + "/audio.wav");
            EXPECT_TRUE(server.requests().last().header("Authorization").isEmpty()) << "the key stays with the service";
        }
    }
}

} // namespace

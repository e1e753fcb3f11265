#pragma once

#include "speech/TextToSpeechClient.h"
#include "speech/TextToSpeechRequests.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>

// Every HTTP speech service but OpenAI's own: DashScope CosyVoice and Qwen-TTS, any
// OpenAI-compatible speech endpoint, and DashScope's generation endpoint for whatever else.
// The request is chosen from the model name and the endpoint's path alone. DashScope answers
// with the address of an audio file, which is then downloaded over HTTPS. Holds no mutable
// state; calls may overlap.
class CompatibleTextToSpeechClient : public TextToSpeechClient {
public:
    enum class ResponseMode {
        directAudio,      // the answer is the audio
        downloadAudioURL, // the answer is JSON naming the audio file
    };

    struct RequestPlan {
        HTTPRequest request;
        ResponseMode responseMode = ResponseMode::directAudio;
    };

    explicit CompatibleTextToSpeechClient(std::shared_ptr<HTTPTransport> transport,
                                          TextToSpeechRequests::FailureLogger failureLogger = {});

    QCoro::Task<QByteArray> speechAudio(QString text, UserSettings settings,
                                        CancellationToken cancellation = {}) override;

    // The request for a prepared text: the first adapter that claims the model or the URL.
    static RequestPlan requestPlan(const QUrl &baseURL, const QString &input, const UserSettings &settings);
    // output.audio.url of a DashScope answer, over HTTPS. Throws textToSpeechFailed when there
    // is none or it is not a web address.
    static QUrl audioURL(const QByteArray &body);
    // An "http" address with the scheme "https"; any other unchanged.
    static QUrl secureAudioURL(QUrl url);
    // DashScope's code, message and request id after "HTTP <status>", with a hint for
    // statuses that usually mean a wrong key, workspace or region.
    static QString failureDetail(int statusCode, const QByteArray &body);

private:
    std::shared_ptr<HTTPTransport> m_transport;
    TextToSpeechRequests::FailureLogger m_failureLogger;
};

#pragma once

#include "speech/TextToSpeechClient.h"
#include "speech/TextToSpeechRequests.h"

#include <memory>

// The OpenAI speech endpoint: the base URL setting is the complete endpoint, and one POST
// answers with the audio. Holds no mutable state; calls may overlap.
class OpenAITextToSpeechClient : public TextToSpeechClient {
public:
    explicit OpenAITextToSpeechClient(std::shared_ptr<HTTPTransport> transport,
                                      TextToSpeechRequests::FailureLogger failureLogger = {});

    QCoro::Task<QByteArray> speechAudio(QString text, UserSettings settings,
                                        CancellationToken cancellation = {}) override;

    // "HTTP <status>", then the service's error message (or its whole text) after "：".
    static QString failureDetail(int statusCode, const QByteArray &body);

private:
    std::shared_ptr<HTTPTransport> m_transport;
    TextToSpeechRequests::FailureLogger m_failureLogger;
};

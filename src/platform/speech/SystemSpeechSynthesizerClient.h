#pragma once

#include "speech/SystemSpeechClient.h"

// The system voice of the panel and the speak command: espeak-ng's speech played through
// the default audio output. One utterance at a time: a new `speak` silences the one before.
// Main thread only.
class SystemSpeechSynthesizerClient final : public SystemSpeechClient {
public:
    SystemSpeechSynthesizerClient() = default;
    SystemSpeechSynthesizerClient(const SystemSpeechSynthesizerClient &) = delete;
    SystemSpeechSynthesizerClient &operator=(const SystemSpeechSynthesizerClient &) = delete;
    // Silences the utterance still sounding.
    ~SystemSpeechSynthesizerClient() override;

    QCoro::Task<void> speak(QString text, QString accent, CancellationToken cancellation = {}) override;

private:
    CancellationToken m_currentUtterance;
};

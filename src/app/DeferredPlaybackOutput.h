#pragma once

#include "speech/AudioPlaying.h"
#include "speech/SystemSpeechClient.h"

#include <functional>
#include <memory>
#include <optional>

// The system voice and the audio output, made when the first sound is asked for: every lookup
// panel has a pronounce button, and most are closed without a sound.
class DeferredPlaybackOutput final : public SystemSpeechClient, public AudioPlaying {
public:
    struct Output {
        std::shared_ptr<SystemSpeechClient> systemSpeechClient;
        std::shared_ptr<AudioPlaying> audioPlayer;
    };
    explicit DeferredPlaybackOutput(std::function<Output()> make) : m_make(std::move(make)) {}

    QCoro::Task<void> speak(QString text, QString accent, CancellationToken cancellation = {}) override;
    QCoro::Task<void> play(QByteArray audio, CancellationToken cancellation = {}) override;

private:
    const Output &output();

    std::function<Output()> m_make;
    std::optional<Output> m_output;
};

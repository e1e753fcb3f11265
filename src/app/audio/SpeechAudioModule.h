#pragma once

#include "app/AudioModule.h"

// Sound through espeak-ng and Qt Multimedia.
class SpeechAudioModule final : public AudioModule {
public:
    DeferredPlaybackOutput::Output makePlaybackOutput(std::optional<QString> outputFile) override;
    std::shared_ptr<const PronunciationTranscribing> makeTranscriber() override;
    bool hasAudioOutput() override;
    bool engineStarted() override;
};

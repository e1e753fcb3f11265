#pragma once

#include "app/AudioModule.h"

// Sound through espeak-ng and Qt Multimedia.
class SpeechAudioModule final : public AudioModule {
public:
    void addPlaybackOutput(PronunciationPlaybackController::Services &services,
                           std::optional<QString> outputFile) override;
    std::shared_ptr<const PronunciationTranscribing> makeTranscriber() override;
    bool hasAudioOutput() override;
    bool engineStarted() override;
};

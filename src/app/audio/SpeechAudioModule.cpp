#include "app/audio/SpeechAudioModule.h"

#include "app/cli/SpeechAudioFileWriter.h"
#include "platform/audio/AudioOutputAvailability.h"
#include "platform/audio/QMediaPlayerAudioPlayer.h"
#include "platform/speech/EspeakNgPronunciationTranscriber.h"
#include "platform/speech/SystemSpeechSynthesizerClient.h"

DeferredPlaybackOutput::Output SpeechAudioModule::makePlaybackOutput(std::optional<QString> outputFile)
{
    if (outputFile) {
        auto writer = std::make_shared<SpeechAudioFileWriter>(*outputFile);
        return {writer, writer};
    }
    return {std::make_shared<SystemSpeechSynthesizerClient>(), std::make_shared<QMediaPlayerAudioPlayer>()};
}

std::shared_ptr<const PronunciationTranscribing> SpeechAudioModule::makeTranscriber()
{
    return std::make_shared<const EspeakNgPronunciationTranscriber>();
}

bool SpeechAudioModule::hasAudioOutput() { return AudioOutputAvailability::hasAudioOutput(); }

bool SpeechAudioModule::engineStarted() { return AudioOutputAvailability::engineStarted(); }

// Looked up by name when the program loads the module.
extern "C" __attribute__((visibility("default"))) AudioModule &rarozezevAudioModule()
{
    static SpeechAudioModule module;
    return module;
}

#pragma once

#include "app/DeferredPlaybackOutput.h"

#include <QString>

#include <memory>
#include <optional>

class PronunciationTranscribing;

// Sound and speech: espeak-ng for the system voice and IPA, Qt Multimedia (with GStreamer and
// the sound server behind it) for playback. A module of its own, loaded on first use, so that
// neither the tray application at rest nor a command that does not speak pays for it.
class AudioModule {
public:
    virtual ~AudioModule() = default;

    // The module of this installation, loaded on the first call (from any thread). Throws
    // std::runtime_error when it cannot be loaded.
    static AudioModule &load();
    // The module when it has been loaded, else nothing.
    static AudioModule *loaded();

    // The system voice and the audio output: the desktop's, or with `outputFile` that file
    // (a WAV of the system voice, the service's bytes as they came).
    virtual DeferredPlaybackOutput::Output makePlaybackOutput(std::optional<QString> outputFile) = 0;
    // espeak-ng's IPA; safe to call from any thread.
    virtual std::shared_ptr<const PronunciationTranscribing> makeTranscriber() = 0;
    // Somewhere to play sound: a sound server or device.
    virtual bool hasAudioOutput() = 0;
    // Qt Multimedia's sound engine ran in this process (see main).
    virtual bool engineStarted() = 0;
};

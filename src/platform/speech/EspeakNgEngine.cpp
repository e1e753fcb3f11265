#include "platform/speech/EspeakNgEngine.h"

#include <espeak-ng/speak_lib.h>

#include <cstring>

namespace {

// espeak-ng hands over the samples in pieces; the events carry the buffer the caller passed.
int collectSamples(short *samples, int count, espeak_EVENT *events)
{
    if (samples != nullptr && count > 0 && events != nullptr && events->user_data != nullptr) {
        auto *buffer = static_cast<QByteArray *>(events->user_data);
        buffer->append(reinterpret_cast<const char *>(samples), static_cast<qsizetype>(count) * 2);
    }
    return 0;
}

std::mutex &engineMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

EspeakNgEngine::EspeakNgEngine()
    : m_lock(engineMutex())
{
    // Initialised once, under the lock. Synchronous output opens no sound device: the samples
    // go to our callback, which collects them for the caller. DONT_EXIT keeps a missing data
    // directory from ending the process.
    static const int sampleRate = [] {
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (rate > 0)
            espeak_SetSynthCallback(&collectSamples);
        return rate;
    }();
    m_sampleRate = sampleRate;
    m_ready = sampleRate > 0;
}

QByteArray EspeakNgEngine::synthesize(const QByteArray &utf8Text)
{
    QByteArray samples;
    if (!m_ready)
        return samples;
    const espeak_ERROR result = espeak_Synth(utf8Text.constData(), static_cast<size_t>(utf8Text.size()) + 1, 0,
                                             POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &samples);
    if (result != EE_OK)
        samples.clear();
    return samples;
}

bool EspeakNgEngine::selectLanguage(const char *language)
{
    if (!m_ready)
        return false;
    espeak_VOICE properties;
    std::memset(&properties, 0, sizeof properties);
    properties.languages = language;
    return espeak_SetVoiceByProperties(&properties) == EE_OK;
}

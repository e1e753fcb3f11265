#include "platform/speech/EspeakNgEngine.h"

#include <espeak-ng/speak_lib.h>

#include <cstring>

namespace {

std::mutex &engineMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

EspeakNgEngine::EspeakNgEngine()
    : m_lock(engineMutex())
{
    // Initialised once, under the lock. Synchronous output without a callback produces no
    // audio and opens no sound device; DONT_EXIT keeps a missing data directory from
    // ending the process.
    static const bool initialised =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) > 0;
    m_ready = initialised;
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

#pragma once

#include <QByteArray>

#include <mutex>

// libespeak-ng is one engine per process with global state (the output mode, the current
// voice, internal buffers). Every use of it goes through an EspeakNgEngine, which holds
// the process-wide lock for its lifetime and initialises the engine on first use.
class EspeakNgEngine {
public:
    EspeakNgEngine();
    EspeakNgEngine(const EspeakNgEngine &) = delete;
    EspeakNgEngine &operator=(const EspeakNgEngine &) = delete;

    // False when the engine could not start (no voice data); nothing else may be called then.
    bool isReady() const { return m_ready; }

    // Selects the voice for a language such as "en-us" or "en-gb". Only selection by voice
    // properties finds the English variants; selection by name fails for them.
    bool selectLanguage(const char *language);

    // Speaks UTF-8 text with the selected voice into memory: mono signed 16-bit samples at
    // sampleRate(). Empty when synthesis failed.
    QByteArray synthesize(const QByteArray &utf8Text);
    int sampleRate() const { return m_sampleRate; }

private:
    std::unique_lock<std::mutex> m_lock;
    bool m_ready = false;
    int m_sampleRate = 0;
};

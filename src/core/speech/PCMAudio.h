#pragma once

#include <QByteArray>

#include <chrono>

// Mono signed 16-bit little-endian samples, as a synthesiser produces them.
struct PCMAudio {
    int sampleRate = 0;
    QByteArray samples;

    qsizetype frameCount() const { return samples.size() / 2; }
    std::chrono::milliseconds duration() const;
    // The samples as a RIFF/WAVE file.
    QByteArray wavData() const;
};

#include "speech/PCMAudio.h"

#include <QtEndian>

namespace {

void appendLittleEndian32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLittleEndian16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

} // namespace

std::chrono::milliseconds PCMAudio::duration() const
{
    if (sampleRate <= 0)
        return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(frameCount() * 1000 / sampleRate);
}

QByteArray PCMAudio::wavData() const
{
    constexpr quint16 channels = 1;
    constexpr quint16 bitsPerSample = 16;
    constexpr quint16 blockAlign = channels * bitsPerSample / 8;
    const auto dataSize = static_cast<quint32>(frameCount() * blockAlign);

    QByteArray out;
    out.reserve(44 + dataSize);
    out.append("RIFF");
    appendLittleEndian32(out, 36 + dataSize);
    out.append("WAVEfmt ");
    appendLittleEndian32(out, 16);
    appendLittleEndian16(out, 1); // integer PCM
    appendLittleEndian16(out, channels);
    appendLittleEndian32(out, static_cast<quint32>(sampleRate));
    appendLittleEndian32(out, static_cast<quint32>(sampleRate) * blockAlign);
    appendLittleEndian16(out, blockAlign);
    appendLittleEndian16(out, bitsPerSample);
    out.append("data");
    appendLittleEndian32(out, dataSize);
    out.append(samples.constData(), dataSize);
    return out;
}

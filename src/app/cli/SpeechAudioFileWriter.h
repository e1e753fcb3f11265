#pragma once

#include "speech/AudioPlaying.h"
#include "speech/SystemSpeechClient.h"

#include <QString>

// `speak --output`: the pronunciation goes into a file instead of the audio output. The
// system voice is written as WAV; a speech service's audio as it came. An existing file is
// replaced only once the new one is complete.
class SpeechAudioFileWriter final : public SystemSpeechClient, public AudioPlaying {
public:
    explicit SpeechAudioFileWriter(QString path);

    QCoro::Task<void> speak(QString text, QString accent, CancellationToken cancellation = {}) override;
    QCoro::Task<void> play(QByteArray audio, CancellationToken cancellation = {}) override;

private:
    // Throws AppError when the file cannot be written.
    void write(const QByteArray &data) const;

    QString m_path;
};

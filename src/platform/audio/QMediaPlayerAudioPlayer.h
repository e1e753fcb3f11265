#pragma once

#include "speech/AudioPlaying.h"

// Plays a speech service's encoded audio (MP3, WAV) from memory through Qt Multimedia's
// media player, which decodes it with GStreamer, on the default audio output. main selects
// the GStreamer backend before the application object exists. Main thread only.
class QMediaPlayerAudioPlayer final : public AudioPlaying {
public:
    QCoro::Task<void> play(QByteArray audio, CancellationToken cancellation = {}) override;
};

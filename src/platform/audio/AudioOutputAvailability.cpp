#include "platform/audio/AudioOutputAvailability.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <atomic>

namespace {

std::atomic<bool> started{false};

} // namespace

bool AudioOutputAvailability::engineStarted() { return started; }

void AudioOutputAvailability::noteEngineStarted() { started = true; }

bool AudioOutputAvailability::hasAudioOutput()
{
    noteEngineStarted();
    return !QMediaDevices::defaultAudioOutput().isNull();
}

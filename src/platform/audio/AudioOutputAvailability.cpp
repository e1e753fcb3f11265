#include "platform/audio/AudioOutputAvailability.h"

#include <QAudioDevice>
#include <QMediaDevices>

bool AudioOutputAvailability::hasAudioOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

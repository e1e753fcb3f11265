#pragma once

#include <QString>

// Whether the desktop offers somewhere to play sound: Qt Multimedia lists no output without
// a sound server or device.
namespace AudioOutputAvailability {

bool hasAudioOutput();
// Whether this process has started Qt Multimedia's audio engine (by asking for an output or
// by playing), which then has a thread talking to the sound server until the process ends.
bool engineStarted();
void noteEngineStarted();
inline const QString noAudioOutputMessage = QStringLiteral("没有可用的音频输出设备，请确认声音服务正在运行。");

} // namespace AudioOutputAvailability

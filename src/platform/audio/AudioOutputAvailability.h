#pragma once

#include <QString>

// Whether the desktop offers somewhere to play sound: Qt Multimedia lists no output without
// a sound server or device.
namespace AudioOutputAvailability {

bool hasAudioOutput();
inline const QString noAudioOutputMessage = QStringLiteral("没有可用的音频输出设备，请确认声音服务正在运行。");

} // namespace AudioOutputAvailability

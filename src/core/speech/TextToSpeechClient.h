#pragma once

#include "foundation/CancellationToken.h"
#include "preferences/UserSettings.h"

#include <QByteArray>
#include <QCoroTask>
#include <QString>

// Turns a text into encoded audio through a speech service named by the settings' speech
// fields (endpoint, model, voice, format, key).
class TextToSpeechClient {
public:
    virtual ~TextToSpeechClient() = default;

    // The audio bytes in the service's format. Throws AppError for incomplete settings and
    // for every failure of the service or the network, CancellationError when `cancellation`
    // fired.
    virtual QCoro::Task<QByteArray> speechAudio(QString text, UserSettings settings,
                                                CancellationToken cancellation = {}) = 0;
};

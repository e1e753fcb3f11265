#pragma once

#include "speech/PCMAudio.h"

#include <QString>

// The desktop voice: libespeak-ng speaking into memory with the en-us voice, or en-gb for
// "british". Rate, pitch and volume are the engine's defaults.
class EspeakNgSpeechSynthesizer {
public:
    // Throws AppError (textToSpeechFailed) when the engine has no voice data or produces no sound.
    static PCMAudio synthesize(const QString &text, const QString &accent);
};

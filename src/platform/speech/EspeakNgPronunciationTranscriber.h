#pragma once

#include "dictionary/PronunciationTranscribing.h"

// IPA from libespeak-ng's text-to-phoneme conversion, with the en-us voice for American
// and the en-gb voice for British English. espeak-ng guesses a pronunciation for any
// letters, so callers transcribe only words they know to exist.
class EspeakNgPronunciationTranscriber final : public PronunciationTranscribing {
public:
    std::optional<QString> transcribe(const QString &text, const QString &accent) const override;
};

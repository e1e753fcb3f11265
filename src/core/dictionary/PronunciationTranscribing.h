#pragma once

#include <QString>

#include <optional>

// Writes the pronunciation of English text in IPA.
class PronunciationTranscribing {
public:
    virtual ~PronunciationTranscribing() = default;

    // The IPA of the text, stress marks placed at the start of their syllables as
    // dictionaries print them. `accent` is "british" for British English; any other value
    // means American English. Nothing when the text is blank or no transcription is
    // available. Safe to call from any thread.
    virtual std::optional<QString> transcribe(const QString &text, const QString &accent) const = 0;
};

#pragma once

#include "dictionary/SystemDictionaryLookingUp.h"

#include <memory>

class PronunciationTranscribing;
class WordNetDatabase;

// The offline dictionary: senses from WordNet, pronunciations from a transcriber.
// An entry reads "headword | US IPA, UK IPA | ① noun: … ② verb: …", the headword being
// the text as given; without a transcription it is "headword | senses". Copies share the
// database and the transcriber.
class SystemDictionaryClient final : public SystemDictionaryLookingUp {
public:
    // At most this many senses are listed: the circled numbers stop at ⑳.
    static constexpr int kMaximumSenses = 20;

    // `transcriber` may be null: entries then carry no pronunciation.
    SystemDictionaryClient(std::shared_ptr<const WordNetDatabase> database,
                           std::shared_ptr<const PronunciationTranscribing> transcriber);

    std::optional<QString> lookupDefinition(const QString &text) const override;

    // A WordNet gloss shortened for the panel: its definitions and the first of its quoted
    // examples.
    static QString readableGloss(const QString &gloss);

private:
    std::shared_ptr<const WordNetDatabase> m_database;
    std::shared_ptr<const PronunciationTranscribing> m_transcriber;
};

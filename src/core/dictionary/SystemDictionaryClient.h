#pragma once

#include "dictionary/SystemDictionaryLookingUp.h"

#include <QStringList>

#include <memory>

class ChineseGlossTable;
class PronunciationTranscribing;
class StarDictLibrary;
class WordNetDatabase;

// The offline dictionary: Chinese glosses from the gloss table, senses from WordNet and the
// learner's StarDict dictionaries, pronunciations from a transcriber. An entry reads
// "headword | US IPA, UK IPA | 中文：…\n① noun: …\n② 词典名: …", the headword being the text
// as given; without a transcription it is "headword | senses". Copies share the sources.
class SystemDictionaryClient final : public SystemDictionaryLookingUp {
public:
    // At most this many senses are listed: the circled numbers stop at ⑳.
    static constexpr int kMaximumSenses = 20;
    // Of those, at most this many are the learner's own dictionaries' articles.
    static constexpr int kMaximumArticles = 5;
    static constexpr int kMaximumGlosses = 5;

    // Any source may be null: entries then do without it.
    SystemDictionaryClient(std::shared_ptr<const WordNetDatabase> database,
                           std::shared_ptr<const PronunciationTranscribing> transcriber,
                           std::shared_ptr<const ChineseGlossTable> glossTable = nullptr,
                           std::shared_ptr<const StarDictLibrary> starDictLibrary = nullptr);

    std::optional<QString> lookupDefinition(const QString &text) const override;
    std::optional<QString> lookupChineseGlance(const QString &text) const override;
    QList<Source> sources() const override;

    // A WordNet gloss shortened for the panel: its definitions and the first of its quoted
    // examples.
    static QString readableGloss(const QString &gloss);

private:
    // "中文：…" with the text's own glosses, else those of its first base form that has some
    // ("went" → go); empty without any.
    QString chineseGlossLine(const QString &headword) const;
    QStringList pronunciations(const QString &headword) const;
    // "headword | pronunciations | " or, without any, "headword | ".
    QString entryStart(const QString &headword) const;

    std::shared_ptr<const WordNetDatabase> m_database;
    std::shared_ptr<const PronunciationTranscribing> m_transcriber;
    std::shared_ptr<const ChineseGlossTable> m_glossTable;
    std::shared_ptr<const StarDictLibrary> m_starDictLibrary;
};

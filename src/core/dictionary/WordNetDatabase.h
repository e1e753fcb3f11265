#pragma once

#include "dictionary/SortedLineSearch.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

// The four parts of speech, in the order WordNet presents them.
enum class WordNetPartOfSpeech { noun, verb, adjective, adverb };

inline constexpr std::array<WordNetPartOfSpeech, 4> kAllWordNetPartsOfSpeech{
    WordNetPartOfSpeech::noun, WordNetPartOfSpeech::verb, WordNetPartOfSpeech::adjective,
    WordNetPartOfSpeech::adverb};

// One meaning of a looked-up text.
struct WordNetSense {
    WordNetPartOfSpeech partOfSpeech = WordNetPartOfSpeech::noun;
    // The index entry the sense belongs to, as WordNet spells it ("look_up", "goose").
    QString lemma;
    // True when the entry is a base form of the text (geese → goose) rather than the text
    // itself or a spelling variant of it.
    bool fromBaseForm = false;
    // The synset's gloss as stored: definitions and quoted examples separated by ';'.
    QString gloss;
};

// Read-only access to a WordNet 3.0 database directory (index.*, data.*, *.exc).
// The files are memory-mapped on first use; a missing or unreadable file leaves its part
// of speech empty, a missing directory gives an empty dictionary. Once opened the object is immutable, so one instance may be
// shared between threads.
class WordNetDatabase {
public:
    explicit WordNetDatabase(QString directory = defaultDirectory());
    ~WordNetDatabase();
    WordNetDatabase(const WordNetDatabase &) = delete;
    WordNetDatabase &operator=(const WordNetDatabase &) = delete;

    // Where Debian's wordnet-base package installs the database.
    static QString defaultDirectory();

    const QString &directory() const { return m_directory; }
    // Opens the files if that has not been tried yet; true when all index and data
    // files could be mapped.
    bool isAvailable() const;

    // The index entries under which `text` is found for one part of speech: the text
    // itself (and its hyphen / underscore variants), then its base forms from the
    // exception list, or else from the suffix rules. Lookups ignore case; words of a
    // phrase may be separated by spaces or underscores.
    QStringList lemmas(const QString &text, WordNetPartOfSpeech partOfSpeech) const;

    // The senses of `text` for noun, verb, adjective and adverb in that order, each part
    // in WordNet's frequency order, without repeats, at most `limit` of them.
    std::vector<WordNetSense> senses(const QString &text, int limit) const;

private:
    struct Lemma {
        QByteArray spelling;
        std::string_view indexLine;
        bool fromBaseForm = false;
    };

    void ensureOpen() const;
    void open() const;
    void loadExceptions(const QString &name, QHash<QByteArray, QList<QByteArray>> &target) const;

    std::optional<std::string_view> indexLine(WordNetPartOfSpeech partOfSpeech, std::string_view lemma) const;
    std::vector<Lemma> findLemmas(const QByteArray &query, WordNetPartOfSpeech partOfSpeech) const;
    QList<QByteArray> suffixRuleForms(const QByteArray &word, WordNetPartOfSpeech partOfSpeech) const;
    QByteArray firstBaseForm(const QByteArray &word, WordNetPartOfSpeech partOfSpeech) const;
    QByteArray phraseBaseForm(const QByteArray &phrase, WordNetPartOfSpeech partOfSpeech) const;
    std::optional<QString> gloss(WordNetPartOfSpeech partOfSpeech, std::string_view offset) const;

    QString m_directory;
    mutable std::once_flag m_openOnce;
    mutable bool m_available = false;
    mutable std::array<MappedLineFile, 4> m_indexFiles;
    mutable std::array<MappedLineFile, 4> m_dataFiles;
    mutable std::array<QHash<QByteArray, QList<QByteArray>>, 4> m_exceptions;
};

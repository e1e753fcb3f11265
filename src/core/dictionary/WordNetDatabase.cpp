#include "dictionary/WordNetDatabase.h"

#include "dictionary/SortedLineSearch.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <span>
#include <utility>

namespace {

struct SuffixRule {
    std::string_view ending;
    std::string_view replacement;
};

// WordNet's detachment rules, tried in this order; a result counts only when the index
// has it.
constexpr SuffixRule kNounRules[] = {{"s", ""},    {"ses", "s"},  {"xes", "x"},  {"zes", "z"},
                                     {"ches", "ch"}, {"shes", "sh"}, {"men", "man"}, {"ies", "y"}};
constexpr SuffixRule kVerbRules[] = {{"s", ""},   {"ies", "y"}, {"es", "e"},  {"es", ""},
                                     {"ed", "e"}, {"ed", ""},   {"ing", "e"}, {"ing", ""}};
constexpr SuffixRule kAdjectiveRules[] = {{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}};

// No index entry is longer than about 70 bytes; anything much longer is a sentence and
// need not be searched for.
constexpr qsizetype kMaximumQueryLength = 160;

const char *fileSuffix(WordNetPartOfSpeech partOfSpeech)
{
    switch (partOfSpeech) {
    case WordNetPartOfSpeech::noun:
        return "noun";
    case WordNetPartOfSpeech::verb:
        return "verb";
    case WordNetPartOfSpeech::adjective:
        return "adj";
    case WordNetPartOfSpeech::adverb:
        return "adv";
    }
    return "noun";
}

std::size_t indexOf(WordNetPartOfSpeech partOfSpeech) { return static_cast<std::size_t>(partOfSpeech); }

std::string_view view(const QByteArray &bytes) { return {bytes.constData(), static_cast<std::size_t>(bytes.size())}; }

bool endsWith(const QByteArray &word, std::string_view ending)
{
    return view(word).size() >= ending.size() && view(word).substr(view(word).size() - ending.size()) == ending;
}

// WordNet keeps its entries in lower case with '_' between the words of a phrase.
QByteArray normalizedQuery(const QString &text)
{
    QString query = text.trimmed().toLower();
    query.replace(QChar(0x2019), QLatin1Char('\'')).replace(QChar(0x2018), QLatin1Char('\''));
    QString joined;
    joined.reserve(query.size());
    bool inSpace = false;
    for (QChar character : std::as_const(query)) {
        if (character.isSpace()) {
            inSpace = true;
            continue;
        }
        if (inSpace)
            joined += QLatin1Char('_');
        inSpace = false;
        joined += character;
    }
    if (joined.size() > kMaximumQueryLength)
        return {};
    return joined.toUtf8();
}

std::vector<std::string_view> tokens(std::string_view line)
{
    std::vector<std::string_view> result;
    std::size_t position = 0;
    while (position < line.size()) {
        while (position < line.size() && line[position] == ' ')
            ++position;
        const std::size_t start = position;
        while (position < line.size() && line[position] != ' ')
            ++position;
        if (position > start)
            result.push_back(line.substr(start, position - start));
    }
    return result;
}

bool allDigits(std::string_view token)
{
    return !token.empty() && std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> number(std::string_view token)
{
    if (token.empty() || token.size() > 6)
        return std::nullopt;
    int value = 0;
    for (char digit : token) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        value = value * 10 + (digit - '0');
    }
    return value;
}

// An index line is "lemma pos synset_cnt p_cnt [pointer symbols] sense_cnt tagsense_cnt
// offsets…"; a malformed line yields no offsets rather than a guess.
std::vector<std::string_view> synsetOffsets(std::string_view indexLine)
{
    const auto fields = tokens(indexLine);
    if (fields.size() < 4)
        return {};
    const auto synsetCount = number(fields[2]);
    const auto pointerCount = number(fields[3]);
    if (!synsetCount || !pointerCount)
        return {};
    const std::size_t first = 4 + static_cast<std::size_t>(*pointerCount) + 2;
    if (first + static_cast<std::size_t>(*synsetCount) > fields.size())
        return {};
    std::vector<std::string_view> offsets;
    for (std::size_t i = first; i < first + static_cast<std::size_t>(*synsetCount); ++i) {
        if (fields[i].size() == 8 && allDigits(fields[i]))
            offsets.push_back(fields[i]);
    }
    return offsets;
}

std::string_view lineAt(std::string_view bytes, std::size_t start)
{
    const std::size_t end = bytes.find('\n', start);
    return bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

} // namespace

WordNetDatabase::WordNetDatabase(QString directory)
    : m_directory(std::move(directory))
{
}

WordNetDatabase::~WordNetDatabase() = default;

QString WordNetDatabase::defaultDirectory() { return QStringLiteral("/usr/share/wordnet"); }

bool WordNetDatabase::isAvailable() const
{
    ensureOpen();
    return m_available;
}

void WordNetDatabase::ensureOpen() const
{
    std::call_once(m_openOnce, [this] { open(); });
}

void WordNetDatabase::open() const
{
    // The files open with the licence, every line of it indented by two spaces; the
    // byte-sorted entries follow.
    const QDir directory(m_directory);
    bool complete = true;
    for (WordNetPartOfSpeech partOfSpeech : kAllWordNetPartsOfSpeech) {
        const QString suffix = QLatin1String(fileSuffix(partOfSpeech));
        const std::size_t slot = indexOf(partOfSpeech);
        m_indexFiles[slot] = mapLineFile(directory.filePath(QStringLiteral("index.") + suffix), "  ");
        m_dataFiles[slot] = mapLineFile(directory.filePath(QStringLiteral("data.") + suffix), "  ");
        complete = complete && !m_indexFiles[slot].bytes.empty() && !m_dataFiles[slot].bytes.empty();
        loadExceptions(suffix + QStringLiteral(".exc"), m_exceptions[slot]);
    }
    m_available = complete;
}

void WordNetDatabase::loadExceptions(const QString &name, QHash<QByteArray, QList<QByteArray>> &target) const
{
    QFile file(QDir(m_directory).filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray contents = file.readAll();
    for (const QByteArray &line : contents.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2)
            continue;
        target.insert(words.first(), words.mid(1));
    }
}

std::optional<std::string_view> WordNetDatabase::indexLine(WordNetPartOfSpeech partOfSpeech, std::string_view lemma) const
{
    ensureOpen();
    if (lemma.empty())
        return std::nullopt;
    const MappedLineFile &index = m_indexFiles[indexOf(partOfSpeech)];
    return findSortedLine(index.bytes, index.bodyStart, lemma, ' ');
}

QList<QByteArray> WordNetDatabase::suffixRuleForms(const QByteArray &word, WordNetPartOfSpeech partOfSpeech) const
{
    std::span<const SuffixRule> rules;
    switch (partOfSpeech) {
    case WordNetPartOfSpeech::noun:
        rules = kNounRules;
        break;
    case WordNetPartOfSpeech::verb:
        rules = kVerbRules;
        break;
    case WordNetPartOfSpeech::adjective:
        rules = kAdjectiveRules;
        break;
    case WordNetPartOfSpeech::adverb:
        return {};
    }
    QByteArray stem = word;
    QByteArray tail;
    if (partOfSpeech == WordNetPartOfSpeech::noun) {
        // "boxesful" is "boxful"; words in "ss" ("glass") and very short ones are not plurals.
        if (endsWith(word, "ful") && word.size() > 3) {
            stem.chop(3);
            tail = "ful";
        } else if (endsWith(word, "ss") || word.size() <= 2) {
            return {};
        }
    }
    QList<QByteArray> forms;
    for (const SuffixRule &rule : rules) {
        if (!endsWith(stem, rule.ending) || stem.size() <= static_cast<qsizetype>(rule.ending.size()))
            continue;
        QByteArray candidate = stem.chopped(static_cast<qsizetype>(rule.ending.size()));
        candidate.append(rule.replacement.data(), static_cast<qsizetype>(rule.replacement.size()));
        candidate.append(tail);
        if (candidate != word && !forms.contains(candidate) && indexLine(partOfSpeech, view(candidate)))
            forms.append(candidate);
    }
    return forms;
}

QByteArray WordNetDatabase::firstBaseForm(const QByteArray &word, WordNetPartOfSpeech partOfSpeech) const
{
    const auto exception = m_exceptions[indexOf(partOfSpeech)].constFind(word);
    if (exception != m_exceptions[indexOf(partOfSpeech)].constEnd())
        return exception->first();
    const QList<QByteArray> forms = suffixRuleForms(word, partOfSpeech);
    return forms.isEmpty() ? word : forms.first();
}

// "gave_up" → "give_up", "brothers-in-law" → "brother-in-law": each word of a phrase
// takes its own first base form.
QByteArray WordNetDatabase::phraseBaseForm(const QByteArray &phrase, WordNetPartOfSpeech partOfSpeech) const
{
    QByteArray result;
    QByteArray word;
    auto flush = [&] {
        if (!word.isEmpty())
            result += firstBaseForm(word, partOfSpeech);
        word.clear();
    };
    for (char character : phrase) {
        if (character == '_' || character == '-') {
            flush();
            result += character;
        } else {
            word += character;
        }
    }
    flush();
    return result;
}

std::vector<WordNetDatabase::Lemma> WordNetDatabase::findLemmas(const QByteArray &query, WordNetPartOfSpeech partOfSpeech) const
{
    std::vector<Lemma> found;
    auto add = [&](const QByteArray &spelling, bool fromBaseForm) {
        if (std::any_of(found.begin(), found.end(), [&](const Lemma &lemma) { return lemma.spelling == spelling; }))
            return;
        if (const auto line = indexLine(partOfSpeech, view(spelling)))
            found.push_back({spelling, *line, fromBaseForm});
    };
    if (query.isEmpty())
        return found;

    add(query, false);
    QByteArray underscored = query;
    add(underscored.replace('-', '_'), false);
    QByteArray hyphenated = query;
    add(hyphenated.replace('_', '-'), false);
    QByteArray joined = query;
    add(joined.replace("-", ""), false);
    QByteArray withoutPeriods = query;
    add(withoutPeriods.replace(".", ""), false);

    // Irregular forms come from the exception list alone; only regular ones go through
    // the suffix rules.
    const auto exception = m_exceptions[indexOf(partOfSpeech)].constFind(query);
    if (exception != m_exceptions[indexOf(partOfSpeech)].constEnd()) {
        for (const QByteArray &base : *exception)
            add(base, true);
    } else {
        for (const QByteArray &base : suffixRuleForms(query, partOfSpeech))
            add(base, true);
        if (query.contains('_') || query.contains('-'))
            add(phraseBaseForm(query, partOfSpeech), true);
    }
    return found;
}

QStringList WordNetDatabase::lemmas(const QString &text, WordNetPartOfSpeech partOfSpeech) const
{
    QStringList result;
    for (const Lemma &lemma : findLemmas(normalizedQuery(text), partOfSpeech))
        result.append(QString::fromUtf8(lemma.spelling));
    return result;
}

std::optional<QString> WordNetDatabase::gloss(WordNetPartOfSpeech partOfSpeech, std::string_view offset) const
{
    // The synset offset is the byte offset of its line in the data file, and the line
    // begins with it; anything else means the files do not belong together.
    const std::string_view bytes = m_dataFiles[indexOf(partOfSpeech)].bytes;
    std::size_t position = 0;
    for (char digit : offset)
        position = position * 10 + static_cast<std::size_t>(digit - '0');
    if (position >= bytes.size())
        return std::nullopt;
    const std::string_view line = lineAt(bytes, position);
    if (line.substr(0, offset.size()) != offset)
        return std::nullopt;
    const std::size_t bar = line.find(" | ");
    if (bar == std::string_view::npos)
        return std::nullopt;
    const QString text = QString::fromUtf8(line.data() + bar + 3, static_cast<qsizetype>(line.size() - bar - 3)).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::vector<WordNetSense> WordNetDatabase::senses(const QString &text, int limit) const
{
    std::vector<WordNetSense> result;
    const QByteArray query = normalizedQuery(text);
    if (query.isEmpty() || limit <= 0)
        return result;
    for (WordNetPartOfSpeech partOfSpeech : kAllWordNetPartsOfSpeech) {
        std::vector<std::string_view> seen;
        for (const Lemma &lemma : findLemmas(query, partOfSpeech)) {
            for (std::string_view offset : synsetOffsets(lemma.indexLine)) {
                if (std::find(seen.begin(), seen.end(), offset) != seen.end())
                    continue;
                seen.push_back(offset);
                const auto definition = gloss(partOfSpeech, offset);
                if (!definition)
                    continue;
                result.push_back({partOfSpeech, QString::fromUtf8(lemma.spelling), lemma.fromBaseForm, *definition});
                if (static_cast<int>(result.size()) >= limit)
                    return result;
            }
        }
    }
    return result;
}

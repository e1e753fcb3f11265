#include "dictionary/SystemDictionaryClient.h"

#include "dictionary/ChineseGlossTable.h"
#include "dictionary/PronunciationTranscribing.h"
#include "dictionary/StarDictLibrary.h"
#include "dictionary/WordNetDatabase.h"

#include <QStringList>

namespace {

constexpr char16_t kNoBreakSpace = 0x00A0;
constexpr char16_t kCircledOne = 0x2460;
// A learner's dictionary article is folded into one sense line of at most this length.
constexpr qsizetype kMaximumArticleLength = 400;

QString partOfSpeechName(WordNetPartOfSpeech partOfSpeech)
{
    switch (partOfSpeech) {
    case WordNetPartOfSpeech::noun:
        return QStringLiteral("noun");
    case WordNetPartOfSpeech::verb:
        return QStringLiteral("verb");
    case WordNetPartOfSpeech::adjective:
        return QStringLiteral("adjective");
    case WordNetPartOfSpeech::adverb:
        return QStringLiteral("adverb");
    }
    return QStringLiteral("noun");
}

QString withoutNoBreakSpaces(QString text)
{
    return text.replace(QChar(kNoBreakSpace), QLatin1Char(' ')).trimmed();
}

// A sense is one line, and " | " separates the parts of an entry.
QString senseLine(int number, const QString &text)
{
    QString line = QChar(static_cast<char16_t>(kCircledOne + number)) + QLatin1Char(' ') + text;
    line.replace(QStringLiteral(" | "), QStringLiteral(" / "));
    return line;
}

QString foldedArticle(const QString &dictionaryName, const QString &article)
{
    QStringList lines;
    for (const QString &line : article.split(QLatin1Char('\n'))) {
        const QString trimmed = withoutNoBreakSpaces(line);
        if (!trimmed.isEmpty())
            lines.append(trimmed);
    }
    QString text = lines.join(QStringLiteral("; "));
    if (text.size() > kMaximumArticleLength)
        text = text.left(kMaximumArticleLength - 1) + QChar(0x2026);
    return dictionaryName + QStringLiteral(": ") + text;
}

// What `find` gives for the headword, else for the first of its base forms that gives
// anything ("went" → go).
template<typename Find>
auto foundForHeadwordOrBaseForm(const WordNetDatabase *database, const QString &headword, Find find)
{
    auto found = find(headword);
    if (!found.empty() || !database)
        return found;
    QStringList tried;
    for (WordNetPartOfSpeech partOfSpeech : kAllWordNetPartsOfSpeech) {
        for (QString lemma : database->lemmas(headword, partOfSpeech)) {
            lemma.replace(QLatin1Char('_'), QLatin1Char(' '));
            if (tried.contains(lemma))
                continue;
            tried.append(lemma);
            found = find(lemma);
            if (!found.empty())
                return found;
        }
    }
    return found;
}

} // namespace

SystemDictionaryClient::SystemDictionaryClient(std::shared_ptr<const WordNetDatabase> database,
                                               std::shared_ptr<const PronunciationTranscribing> transcriber,
                                               std::shared_ptr<const ChineseGlossTable> glossTable,
                                               std::shared_ptr<const StarDictLibrary> starDictLibrary)
    : m_database(std::move(database))
    , m_transcriber(std::move(transcriber))
    , m_glossTable(std::move(glossTable))
    , m_starDictLibrary(std::move(starDictLibrary))
{
}

QString SystemDictionaryClient::readableGloss(const QString &gloss)
{
    // Split at the semicolons between the parts; a semicolon inside a quoted example
    // belongs to the example.
    QStringList definitions;
    QString firstExample;
    QString part;
    bool quoted = false;
    auto finishPart = [&] {
        const QString trimmed = part.trimmed();
        part.clear();
        if (trimmed.isEmpty())
            return;
        if (trimmed.startsWith(QLatin1Char('"'))) {
            if (firstExample.isEmpty())
                firstExample = trimmed;
        } else {
            definitions.append(trimmed);
        }
    };
    for (QChar character : gloss) {
        if (character == QLatin1Char('"'))
            quoted = !quoted;
        if (character == QLatin1Char(';') && !quoted)
            finishPart();
        else
            part += character;
    }
    finishPart();
    if (!firstExample.isEmpty())
        definitions.append(firstExample);
    return definitions.join(QStringLiteral("; "));
}

QString SystemDictionaryClient::chineseGlossLine(const QString &headword) const
{
    if (!m_glossTable)
        return {};
    const QStringList glosses = foundForHeadwordOrBaseForm(
        m_database.get(), headword, [&](const QString &form) { return m_glossTable->glosses(form, kMaximumGlosses); });
    return glosses.isEmpty() ? QString() : QStringLiteral("中文：") + glosses.join(QStringLiteral("；"));
}

QStringList SystemDictionaryClient::pronunciations(const QString &headword) const
{
    QStringList forms;
    if (!m_transcriber)
        return forms;
    for (const QString &accent : {QStringLiteral("american"), QStringLiteral("british")}) {
        const std::optional<QString> ipa = m_transcriber->transcribe(headword, accent);
        if (!ipa)
            continue;
        const QString form = withoutNoBreakSpaces(*ipa);
        // A comma or bar would break the entry's shape.
        if (form.isEmpty() || form.contains(QLatin1Char(',')) || form.contains(QLatin1Char('|')))
            continue;
        if (!forms.contains(form))
            forms.append(form);
    }
    return forms;
}

QString SystemDictionaryClient::entryStart(const QString &headword) const
{
    // Only entries the dictionary knows reach the transcriber, which would otherwise spell
    // out unknown words letter by letter.
    const QStringList forms = pronunciations(headword);
    QString start = headword + QStringLiteral(" | ");
    if (!forms.isEmpty())
        start += forms.join(QStringLiteral(", ")) + QStringLiteral(" | ");
    return start;
}

std::optional<QString> SystemDictionaryClient::lookupDefinition(const QString &text) const
{
    const QString headword = withoutNoBreakSpaces(text);
    if (headword.isEmpty())
        return std::nullopt;
    const QString glossLine = chineseGlossLine(headword);
    std::vector<StarDictLibrary::Article> articles;
    if (m_starDictLibrary) {
        articles = foundForHeadwordOrBaseForm(m_database.get(), headword,
                                              [&](const QString &form) { return m_starDictLibrary->articles(form); });
        if (articles.size() > static_cast<std::size_t>(kMaximumArticles))
            articles.resize(kMaximumArticles);
    }
    const int senseLimit = kMaximumSenses - static_cast<int>(articles.size());
    const std::vector<WordNetSense> senses = m_database ? m_database->senses(headword, senseLimit)
                                                        : std::vector<WordNetSense>{};
    if (glossLine.isEmpty() && senses.empty() && articles.empty())
        return std::nullopt;

    QStringList lines;
    if (!glossLine.isEmpty())
        lines.append(glossLine);
    int number = 0;
    for (const WordNetSense &sense : senses) {
        QString line = partOfSpeechName(sense.partOfSpeech);
        // Senses of a base form say which one, so that "geese" shows "noun (goose): …".
        if (sense.fromBaseForm)
            line += QStringLiteral(" (") + QString(sense.lemma).replace(QLatin1Char('_'), QLatin1Char(' ')) + QLatin1Char(')');
        line += QStringLiteral(": ") + readableGloss(sense.gloss);
        lines.append(senseLine(number++, line));
    }
    for (const StarDictLibrary::Article &article : articles)
        lines.append(senseLine(number++, foldedArticle(article.dictionaryName, article.text)));
    return withoutNoBreakSpaces(entryStart(headword) + lines.join(QLatin1Char('\n')));
}

std::optional<QString> SystemDictionaryClient::lookupChineseGlance(const QString &text) const
{
    const QString headword = withoutNoBreakSpaces(text);
    if (headword.isEmpty())
        return std::nullopt;
    const QString glossLine = chineseGlossLine(headword);
    if (glossLine.isEmpty())
        return std::nullopt;
    return entryStart(headword) + glossLine;
}

QList<SystemDictionaryLookingUp::Source> SystemDictionaryClient::sources() const
{
    QList<Source> result;
    if (m_database && m_database->isAvailable())
        result.append({QStringLiteral("WordNet 3.0"), m_database->directory()});
    if (m_glossTable && m_glossTable->isAvailable())
        result.append({QStringLiteral("英汉释义表（CC-CEDICT）"), m_glossTable->path()});
    if (m_starDictLibrary) {
        for (const auto &[name, path] : m_starDictLibrary->dictionaries())
            result.append({name, path});
    }
    return result;
}

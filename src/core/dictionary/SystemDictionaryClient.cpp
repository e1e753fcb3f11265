#include "dictionary/SystemDictionaryClient.h"

#include "dictionary/PronunciationTranscribing.h"
#include "dictionary/WordNetDatabase.h"

#include <QStringList>

namespace {

constexpr char16_t kNoBreakSpace = 0x00A0;
constexpr char16_t kCircledOne = 0x2460;

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

} // namespace

SystemDictionaryClient::SystemDictionaryClient(std::shared_ptr<const WordNetDatabase> database,
                                               std::shared_ptr<const PronunciationTranscribing> transcriber)
    : m_database(std::move(database))
    , m_transcriber(std::move(transcriber))
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

std::optional<QString> SystemDictionaryClient::lookupDefinition(const QString &text) const
{
    const QString headword = withoutNoBreakSpaces(text);
    if (headword.isEmpty() || !m_database)
        return std::nullopt;
    const std::vector<WordNetSense> senses = m_database->senses(headword, kMaximumSenses);
    if (senses.empty())
        return std::nullopt;

    QStringList lines;
    for (std::size_t i = 0; i < senses.size(); ++i) {
        const WordNetSense &sense = senses[i];
        QString line = QChar(static_cast<char16_t>(kCircledOne + i)) + QLatin1Char(' ') + partOfSpeechName(sense.partOfSpeech);
        // Senses of a base form say which one, so that "geese" shows "noun (goose): …".
        if (sense.fromBaseForm)
            line += QStringLiteral(" (") + QString(sense.lemma).replace(QLatin1Char('_'), QLatin1Char(' ')) + QLatin1Char(')');
        line += QStringLiteral(": ") + readableGloss(sense.gloss);
        lines.append(line);
    }

    // Only entries the dictionary knows reach the transcriber, which would otherwise
    // spell out unknown words letter by letter.
    QStringList pronunciations;
    if (m_transcriber) {
        for (const QString &accent : {QStringLiteral("american"), QStringLiteral("british")}) {
            const std::optional<QString> ipa = m_transcriber->transcribe(headword, accent);
            if (!ipa)
                continue;
            const QString form = ipa->trimmed();
            // A comma or bar would break the entry's shape.
            if (form.isEmpty() || form.contains(QLatin1Char(',')) || form.contains(QLatin1Char('|')))
                continue;
            if (!pronunciations.contains(form))
                pronunciations.append(form);
        }
    }

    QString entry = headword + QStringLiteral(" | ");
    if (!pronunciations.isEmpty())
        entry += pronunciations.join(QStringLiteral(", ")) + QStringLiteral(" | ");
    entry += lines.join(QLatin1Char('\n'));
    entry = withoutNoBreakSpaces(entry);
    if (entry.isEmpty())
        return std::nullopt;
    return entry;
}

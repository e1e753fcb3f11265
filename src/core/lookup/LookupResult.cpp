#include "lookup/LookupResult.h"

#include "foundation/JSONKeyedReader.h"
#include "foundation/JSONKeyedWriter.h"

#include <QTextBoundaryFinder>

namespace {

// Every character that ends a line, a CR LF pair giving an empty piece in between.
bool isNewline(QChar c)
{
    switch (c.unicode()) {
    case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0085: case 0x2028: case 0x2029:
        return true;
    default:
        return false;
    }
}

QStringList splitAtNewlines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text[i])) {
            lines.append(text.mid(start, i - start).toString());
            start = i + 1;
        }
    }
    lines.append(text.mid(start).toString());
    return lines;
}

QStringList trimmedNonEmpty(const QStringList &pieces)
{
    QStringList kept;
    for (const QString &piece : pieces) {
        QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            kept.append(std::move(trimmed));
    }
    return kept;
}

bool isPresentAndNonEmpty(const std::optional<QString> &text) { return text && !text->isEmpty(); }

QString joinedSection(const LookupResultDisplaySection &section)
{
    QStringList blocks;
    for (const LookupResultDisplayBlock &block : section.blocks) {
        if (block.title)
            blocks.append(QStringLiteral("**") + *block.title + QStringLiteral("**\n\n")
                          + LookupResult::markdownLines(block));
        else
            blocks.append(LookupResult::markdownLines(block));
    }
    return QStringLiteral("### ") + section.title + QStringLiteral("\n\n") + blocks.join(QStringLiteral("\n\n"));
}

JSONKeyedWriter encoded(const LookupResult &result)
{
    JSONKeyedWriter writer;
    writer.write(QStringLiteral("selectedText"), result.selectedText);
    writer.write(QStringLiteral("itemType"), rawValue(result.itemType));
    writer.write(QStringLiteral("source"), rawValue(result.source));
    writer.writeIfPresent(QStringLiteral("phonetic"), result.phonetic);
    writer.write(QStringLiteral("contextualMeaning"), result.contextualMeaning);
    writer.write(QStringLiteral("commonMeanings"), result.commonMeanings);
    writer.writeIfPresent(QStringLiteral("partOfSpeech"), result.partOfSpeech);
    writer.write(QStringLiteral("collocations"), result.collocations);
    writer.write(QStringLiteral("examples"), result.examples);
    writer.writeIfPresent(QStringLiteral("translation"), result.translation);
    writer.write(QStringLiteral("usageNotes"), result.usageNotes);
    writer.write(QStringLiteral("suggestedExpressions"), result.suggestedExpressions);
    return writer;
}

} // namespace

LookupResult LookupResult::fromJSON(const QJsonObject &object)
{
    const JSONKeyedReader reader(object);
    LookupResult result;
    result.selectedText = reader.lossyString(QStringLiteral("selectedText")).value_or(QString());
    const std::optional<QString> itemType = reader.string(QStringLiteral("itemType"));
    result.itemType = itemType ? learningItemTypeFromRawValue(*itemType).value_or(LearningItemType::word)
                               : LearningItemType::word;
    const std::optional<QString> source = reader.string(QStringLiteral("source"));
    result.source = source ? lookupResultSourceFromRawValue(*source).value_or(LookupResultSource::ai)
                           : LookupResultSource::ai;
    result.phonetic = reader.lossyString(QStringLiteral("phonetic"));
    result.commonMeanings = reader.lossyStringArray(QStringLiteral("commonMeanings"));
    result.translation = reader.lossyString(QStringLiteral("translation"));

    // Models often leave the contextual meaning empty when they put the sense elsewhere.
    if (std::optional<QString> meaning = reader.lossyString(QStringLiteral("contextualMeaning")))
        result.contextualMeaning = *meaning;
    else if (result.translation)
        result.contextualMeaning = *result.translation;
    else if (!result.commonMeanings.isEmpty())
        result.contextualMeaning = result.commonMeanings.first();
    else
        reader.throwKeyNotFound(QStringLiteral("contextualMeaning"), QStringLiteral("No usable meaning was returned."));

    result.partOfSpeech = reader.lossyString(QStringLiteral("partOfSpeech"));
    result.collocations = reader.lossyStringArray(QStringLiteral("collocations"));
    result.examples = reader.lossyStringArray(QStringLiteral("examples"));
    result.usageNotes = reader.lossyStringArray(QStringLiteral("usageNotes"));
    result.suggestedExpressions = reader.lossyStringArray(QStringLiteral("suggestedExpressions"));
    return result;
}

QJsonObject LookupResult::toJSON() const { return encoded(*this).object(); }

QByteArray LookupResult::toJSONData() const { return encoded(*this).compactJSON(); }

QList<LookupResultDisplaySection> LookupResult::displaySections() const
{
    QList<LookupResultDisplaySection> sections;

    if (source == LookupResultSource::systemDictionary) {
        const SystemDictionaryDisplayParts parts = systemDictionaryDisplayParts();
        if (!parts.pronunciationLines.isEmpty())
            sections.append({QStringLiteral("音标"), {{std::nullopt, parts.pronunciationLines}}});
        const QStringList definition =
            parts.definitionLines.isEmpty() ? QStringList{contextualMeaning} : parts.definitionLines;
        sections.append({QStringLiteral("系统词典"), {{QStringLiteral("释义"), definition}}});
        return sections;
    }

    // Sentences carry no pronunciation even when the model sent one anyway.
    if (itemType != LearningItemType::sentence && isPresentAndNonEmpty(phonetic))
        sections.append({QStringLiteral("音标"), {{std::nullopt, {*phonetic}}}});

    LookupResultDisplaySection meaning{QStringLiteral("释义（翻译）"), {{std::nullopt, {contextualMeaning}}}};
    if (!commonMeanings.isEmpty())
        meaning.blocks.append({std::nullopt, commonMeanings});
    if (isPresentAndNonEmpty(translation))
        meaning.blocks.append({std::nullopt, {QStringLiteral("自然翻译：") + *translation}});
    sections.append(meaning);

    LookupResultDisplaySection usage{QStringLiteral("语法或常用搭配讲解"), {}};
    if (partOfSpeech)
        usage.blocks.append({QStringLiteral("词性"), {*partOfSpeech}});
    if (!collocations.isEmpty())
        usage.blocks.append({QStringLiteral("常用搭配"), collocations});
    if (!examples.isEmpty())
        usage.blocks.append({QStringLiteral("例句"), examples});
    if (!usageNotes.isEmpty())
        usage.blocks.append({QStringLiteral("用法提醒"), usageNotes});
    if (!suggestedExpressions.isEmpty())
        usage.blocks.append({QStringLiteral("可替换表达"), suggestedExpressions});
    if (!usage.blocks.isEmpty())
        sections.append(usage);
    return sections;
}

QString LookupResult::markdownLines(const LookupResultDisplayBlock &block)
{
    const bool plainSingleLine = !block.title || *block.title == QStringLiteral("词性");
    if (plainSingleLine && block.lines.size() == 1)
        return block.lines.first();
    QStringList prefixed;
    prefixed.reserve(block.lines.size());
    for (const QString &line : block.lines)
        prefixed.append(QStringLiteral("- ") + line);
    return prefixed.join(QLatin1Char('\n'));
}

QString LookupResult::markdownExplanation() const
{
    // A dictionary entry names its word first, as a dictionary does; an AI result's text is
    // shown and stored beside its explanation.
    const QString headword = selectedText.simplified();
    if (source == LookupResultSource::systemDictionary && !headword.isEmpty())
        return QStringLiteral("# ") + headword + QStringLiteral("\n\n") + markdown(displaySections());
    return markdown(displaySections());
}

QString LookupResult::markdown(const QList<LookupResultDisplaySection> &sections)
{
    QStringList joined;
    for (const LookupResultDisplaySection &section : sections)
        joined.append(joinedSection(section));
    return joined.join(QStringLiteral("\n\n"));
}

LookupResult::SystemDictionaryDisplayParts LookupResult::systemDictionaryDisplayParts() const
{
    QString text = contextualMeaning;
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    text = text.trimmed();

    // Dictionary entries start "headword | pronunciations | definitions", or without
    // pronunciations "headword | definitions"; anything else is shown whole as the definition.
    const QStringList pieces = trimmedNonEmpty(text.split(QStringLiteral(" | ")));
    SystemDictionaryDisplayParts parts;
    QString definitionText = text;
    const bool headed = pieces.size() >= 2 && QString::compare(pieces[0], selectedText, Qt::CaseInsensitive) == 0;
    if (headed && pieces.size() >= 3) {
        parts.pronunciationLines = trimmedNonEmpty(pieces[1].split(QLatin1Char(',')));
        definitionText = pieces.mid(2).join(QStringLiteral(" | "));
    } else if (headed) {
        definitionText = pieces[1];
    }

    for (const QString &line : splitAtNewlines(definitionText)) {
        for (QString &piece : splitSystemDictionaryDefinitionLine(line)) {
            if (!piece.isEmpty())
                parts.definitionLines.append(std::move(piece));
        }
    }
    return parts;
}

QStringList LookupResult::splitSystemDictionaryDefinitionLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return {};

    QStringList pieces;
    const QStringView view(trimmed);
    auto emitPiece = [&](qsizetype from, qsizetype to) {
        const QStringView piece = view.mid(from, to - from).trimmed();
        if (!piece.isEmpty())
            pieces.append(piece.toString());
    };

    // Walk user-perceived characters, so a circled number carrying a combining mark is text.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, trimmed);
    qsizetype pieceStart = 0;
    qsizetype characterStart = 0;
    for (qsizetype next = finder.toNextBoundary(); next != -1; next = finder.toNextBoundary()) {
        if (isCircledDictionaryNumber(view.mid(characterStart, next - characterStart))) {
            emitPiece(pieceStart, characterStart);
            pieceStart = characterStart;
        }
        characterStart = next;
    }
    emitPiece(pieceStart, view.size());
    return pieces;
}

bool LookupResult::isCircledDictionaryNumber(QStringView character)
{
    return character.size() == 1 && character[0].unicode() >= 0x2460 && character[0].unicode() <= 0x2473;
}

#include "lookup/FastLookupResult.h"

#include "foundation/JSONKeyedReader.h"
#include "foundation/JSONKeyedWriter.h"

namespace {

bool isPresentAndNonEmpty(const std::optional<QString> &text) { return text && !text->isEmpty(); }

JSONKeyedWriter encoded(const FastLookupResult &result)
{
    JSONKeyedWriter writer;
    writer.write(QStringLiteral("selectedText"), result.selectedText);
    writer.write(QStringLiteral("itemType"), rawValue(result.itemType));
    writer.write(QStringLiteral("primaryMeaning"), result.primaryMeaning);
    writer.writeIfPresent(QStringLiteral("translation"), result.translation);
    writer.writeIfPresent(QStringLiteral("example"), result.example);
    writer.writeIfPresent(QStringLiteral("briefUsageNote"), result.briefUsageNote);
    return writer;
}

} // namespace

FastLookupResult FastLookupResult::fromJSON(const QJsonObject &object)
{
    const JSONKeyedReader reader(object);
    FastLookupResult result;
    result.selectedText = reader.lossyString(QStringLiteral("selectedText")).value_or(QString());
    const std::optional<QString> itemType = reader.string(QStringLiteral("itemType"));
    result.itemType = itemType ? learningItemTypeFromRawValue(*itemType).value_or(LearningItemType::word)
                               : LearningItemType::word;
    result.translation = reader.lossyString(QStringLiteral("translation"));
    if (std::optional<QString> meaning = reader.lossyString(QStringLiteral("primaryMeaning")))
        result.primaryMeaning = *meaning;
    else if (result.translation)
        result.primaryMeaning = *result.translation;
    else
        reader.throwKeyNotFound(QStringLiteral("primaryMeaning"),
                                QStringLiteral("No usable primary meaning was returned."));
    result.example = reader.lossyString(QStringLiteral("example"));
    result.briefUsageNote = reader.lossyString(QStringLiteral("briefUsageNote"));
    return result;
}

QJsonObject FastLookupResult::toJSON() const { return encoded(*this).object(); }

QByteArray FastLookupResult::toJSONData() const { return encoded(*this).compactJSON(); }

QList<LookupResultDisplaySection> FastLookupResult::displaySections() const
{
    QList<LookupResultDisplaySection> sections;
    QStringList meaningLines{primaryMeaning};
    if (isPresentAndNonEmpty(translation))
        meaningLines.append(QStringLiteral("自然翻译：") + *translation);
    sections.append({QStringLiteral("释义（快速）"), {{std::nullopt, meaningLines}}});

    LookupResultDisplaySection usage{QStringLiteral("简要用法"), {}};
    if (isPresentAndNonEmpty(example))
        usage.blocks.append({QStringLiteral("例句"), {*example}});
    if (isPresentAndNonEmpty(briefUsageNote))
        usage.blocks.append({QStringLiteral("用法提醒"), {*briefUsageNote}});
    if (!usage.blocks.isEmpty())
        sections.append(usage);
    return sections;
}

// Feeds arbitrary bytes through every stage of the answer parser, both as a response body
// and as raw message text. Only ParsingFailure may come out; decoded records must survive
// an encode/decode round trip and lay themselves out without trouble.
#include "models/FastLookupResult.h"
#include "models/LookupResult.h"
#include "services/AIResponseParser.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void exercise(const LookupResult &result)
{
    if (LookupResult::fromJSON(result.toJSON()) != result)
        std::abort();
    if (LookupResult::fromJSON(QJsonDocument::fromJson(result.toJSONData()).object()) != result)
        std::abort();
    (void)result.markdownExplanation();
    // The same text read as a dictionary entry, to reach the entry splitting.
    LookupResult dictionary = result;
    dictionary.source = LookupResultSource::systemDictionary;
    (void)dictionary.markdownExplanation();
}

void exercise(const FastLookupResult &result)
{
    if (FastLookupResult::fromJSON(result.toJSON()) != result)
        std::abort();
    (void)result.displaySections();
}

void decodeBoth(const QByteArray &json)
{
    try {
        exercise(AIResponseParser::decodeLookupResultFromJSON(json));
    } catch (const ParsingFailure &) {
    }
    try {
        exercise(AIResponseParser::decodeFastLookupResultFromJSON(json));
    } catch (const ParsingFailure &) {
    }
}

void normalizeAndDecode(const QString &content)
{
    QByteArray json;
    try {
        json = AIResponseParser::normalizedJSONData(content);
    } catch (const ParsingFailure &) {
        return;
    }
    decodeBoth(json);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        normalizeAndDecode(AIResponseParser::extractContent(bytes));
    } catch (const ParsingFailure &) {
    }
    normalizeAndDecode(QString::fromUtf8(bytes));
    decodeBoth(bytes);
    return 0;
}

// Feeds arbitrary bytes through every stage of the answer parser, both as a response body
// and as raw message text. Only ParsingFailure may come out; decoding from content must agree
// with decoding the normalised bytes; decoded records must survive an encode/decode round
// trip and lay themselves out without trouble.
#include "lookup/FastLookupResult.h"
#include "lookup/LookupResult.h"
#include "ai/AIResponseParser.h"

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

// The encoded record, or the failure text; exercises a record on the way.
template <typename Decode>
QByteArray outcome(Decode decode)
{
    try {
        const auto record = decode();
        exercise(record);
        return record.toJSONData();
    } catch (const ParsingFailure &failure) {
        return failure.description().toUtf8();
    }
}

void decodeContent(const QString &content)
{
    const auto viaBytes = [&](auto decodeJSON) {
        return outcome([&] { return decodeJSON(AIResponseParser::normalizedJSONData(content)); });
    };
    if (outcome([&] { return AIResponseParser::decodeLookupResultFromContent(content); })
        != viaBytes(&AIResponseParser::decodeLookupResultFromJSON))
        std::abort();
    if (outcome([&] { return AIResponseParser::decodeFastLookupResultFromContent(content); })
        != viaBytes(&AIResponseParser::decodeFastLookupResultFromJSON))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        decodeContent(AIResponseParser::extractContent(bytes));
    } catch (const ParsingFailure &) {
    }
    decodeContent(QString::fromUtf8(bytes));
    (void)outcome([&] { return AIResponseParser::decodeLookupResultFromJSON(bytes); });
    (void)outcome([&] { return AIResponseParser::decodeFastLookupResultFromJSON(bytes); });
    return 0;
}

#pragma once

#include "lookup/FastLookupResult.h"
#include "lookup/LookupResult.h"
#include "ai/ParsingFailure.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <exception>
#include <optional>

// Turns a chat-completions response body into a lookup record in three stages, each throwing
// its own ParsingFailure kind so that the log says where a bad answer broke: the envelope
// (choices[0].message.content), the content (one JSON object, possibly wrapped in prose or
// Markdown fences) and the decoding into the record. Pure functions; never logs.
class AIResponseParser {
public:
    // The message text of the first choice, unchanged (possibly blank).
    static QString extractContent(const QByteArray &body);
    // The UTF-8 bytes of the JSON object the content holds: the whole trimmed content when it
    // is one, otherwise the first complete object found inside it.
    static QByteArray normalizedJSONData(const QString &content);

    // The record held by JSON object bytes (as normalizedJSONData returns them).
    static LookupResult decodeLookupResultFromJSON(const QByteArray &json);
    // normalizedJSONData followed by decodeLookupResultFromJSON, parsing the object once.
    static LookupResult decodeLookupResultFromContent(const QString &content);
    static FastLookupResult decodeFastLookupResultFromJSON(const QByteArray &json);
    static FastLookupResult decodeFastLookupResultFromContent(const QString &content);

    // One English line for the log: a ParsingFailure's description, or the type of any
    // other error that escaped the parser.
    static QString diagnosticDescription(const std::exception &error);

private:
    // The first balanced {...} in the text, braces inside JSON strings not counted; a view
    // into `text`.
    static std::optional<QStringView> firstJSONObject(QStringView text);
    // The object held by the bytes when they parse as JSON with an object at the top.
    static std::optional<QJsonObject> jsonObject(const QByteArray &bytes);
    // normalizedJSONData, also handing out the object parsed on the way, so that decoding
    // from content parses the answer once.
    static QByteArray normalizedJSONData(const QString &content, QJsonObject &object);
    // Runs the record's decoder on the object `objectSource` yields, wrapping any decoding
    // error as a decoding failure.
    template <typename Record, typename ObjectSource>
    static Record decoded(ObjectSource objectSource);
    static QString decodingDetail(const std::exception &error);
    static QString path(const QStringList &codingPath);
};

#include "ai/AIResponseParser.h"

#include "foundation/JSONDecodingError.h"
#include "foundation/JSONKeyedReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <typeinfo>

namespace {

QString typeName(const std::exception &error)
{
    const char *mangled = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                          &std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : mangled);
}

} // namespace

QString AIResponseParser::extractContent(const QByteArray &body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw ParsingFailure::envelope(QStringLiteral("invalid top-level JSON"));

    // Every break in the chain (an array body, no choices, a choice that is not an object,
    // a null or numeric content) is the same failure.
    const QJsonValue choices = document.object().value(QLatin1String("choices"));
    const QJsonArray choiceArray = choices.toArray();
    const bool choicesAreObjects = choices.isArray() && !choiceArray.isEmpty()
                                   && std::all_of(choiceArray.begin(), choiceArray.end(),
                                                  [](const QJsonValue &choice) { return choice.isObject(); });
    const QJsonValue content =
        choicesAreObjects
            ? choiceArray.first().toObject().value(QLatin1String("message")).toObject().value(QLatin1String("content"))
            : QJsonValue();
    if (!document.isObject() || !content.isString())
        throw ParsingFailure::envelope(QStringLiteral("missing choices[0].message.content"));
    return content.toString();
}

QByteArray AIResponseParser::normalizedJSONData(const QString &content)
{
    QJsonObject object;
    return normalizedJSONData(content, object);
}

QByteArray AIResponseParser::normalizedJSONData(const QString &content, QJsonObject &object)
{
    const QStringView trimmed = QStringView(content).trimmed();
    if (trimmed.isEmpty())
        throw ParsingFailure::content(QStringLiteral("empty message content"));

    // After trimming, a JSON object text necessarily ends with its closing brace; the check
    // spares converting and parsing long prose that cannot be one.
    if (trimmed.endsWith(u'}')) {
        QByteArray whole = trimmed.toUtf8();
        if (std::optional<QJsonObject> parsed = jsonObject(whole)) {
            object = std::move(*parsed);
            return whole;
        }
    }
    if (const std::optional<QStringView> found = firstJSONObject(trimmed)) {
        QByteArray bytes = found->toUtf8();
        if (std::optional<QJsonObject> parsed = jsonObject(bytes)) {
            object = std::move(*parsed);
            return bytes;
        }
    }
    throw ParsingFailure::content(QStringLiteral("no complete JSON object bytes=")
                                  + QString::number(trimmed.toUtf8().size()));
}

std::optional<QStringView> AIResponseParser::firstJSONObject(QStringView text)
{
    // Quotes before the first brace open no string, so the scan starts there.
    const qsizetype start = text.indexOf(u'{');
    if (start < 0)
        return std::nullopt;

    const char16_t *const data = text.utf16();
    const qsizetype size = text.size();
    qsizetype depth = 0;
    bool inString = false;
    bool escaped = false;
    for (qsizetype i = start; i < size; ++i) {
        const char16_t c = data[i];
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == u'\\')
                escaped = true;
            else if (c == u'"')
                inString = false;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth == 0)
                return text.mid(start, i - start + 1);
        } else if (c == u'"') {
            inString = true;
        }
    }
    return std::nullopt;
}

std::optional<QJsonObject> AIResponseParser::jsonObject(const QByteArray &bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

template <typename Record, typename ObjectSource>
Record AIResponseParser::decoded(ObjectSource objectSource)
{
    try {
        return Record::fromJSON(objectSource());
    } catch (const std::bad_alloc &) {
        throw; // running out of memory is not a malformed answer
    } catch (const std::exception &error) {
        throw ParsingFailure::decoding(decodingDetail(error));
    }
}

LookupResult AIResponseParser::decodeLookupResultFromJSON(const QByteArray &json)
{
    return decoded<LookupResult>([&] { return JSONKeyedReader::objectFromJSONData(json); });
}

LookupResult AIResponseParser::decodeLookupResultFromContent(const QString &content)
{
    QJsonObject object;
    normalizedJSONData(content, object);
    return decoded<LookupResult>([&] { return object; });
}

FastLookupResult AIResponseParser::decodeFastLookupResultFromJSON(const QByteArray &json)
{
    return decoded<FastLookupResult>([&] { return JSONKeyedReader::objectFromJSONData(json); });
}

FastLookupResult AIResponseParser::decodeFastLookupResultFromContent(const QString &content)
{
    QJsonObject object;
    normalizedJSONData(content, object);
    return decoded<FastLookupResult>([&] { return object; });
}

QString AIResponseParser::diagnosticDescription(const std::exception &error)
{
    if (const auto *failure = dynamic_cast<const ParsingFailure *>(&error))
        return failure->description();
    return QStringLiteral("unexpected parser error type=") + typeName(error);
}

QString AIResponseParser::decodingDetail(const std::exception &error)
{
    const auto *decodingError = dynamic_cast<const JSONDecodingError *>(&error);
    if (!decodingError)
        return QStringLiteral("decode error type=") + typeName(error);

    // The debug description stays out: the log line names the failing key, not the reason.
    switch (decodingError->kind()) {
    case JSONDecodingError::Kind::typeMismatch:
        return QStringLiteral("typeMismatch expected=") + decodingError->expectedType() + QStringLiteral(" path=")
               + path(decodingError->codingPath());
    case JSONDecodingError::Kind::valueNotFound:
        return QStringLiteral("valueNotFound expected=") + decodingError->expectedType() + QStringLiteral(" path=")
               + path(decodingError->codingPath());
    case JSONDecodingError::Kind::keyNotFound:
        return QStringLiteral("keyNotFound path=") + path(decodingError->codingPath() + QStringList{decodingError->key()});
    case JSONDecodingError::Kind::dataCorrupted:
        return QStringLiteral("dataCorrupted path=") + path(decodingError->codingPath());
    }
    return QStringLiteral("decode error type=") + typeName(error);
}

QString AIResponseParser::path(const QStringList &codingPath)
{
    return codingPath.isEmpty() ? QStringLiteral("$") : codingPath.join(QLatin1Char('.'));
}

#include "foundation/JSONKeyedReader.h"

#include "foundation/JSONDecodingError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

namespace {

bool isBlank(const QString &text) { return QStringView(text).trimmed().isEmpty(); }

} // namespace

JSONKeyedReader::JSONKeyedReader(QJsonObject object, QStringList codingPath)
    : m_object(std::move(object)), m_codingPath(std::move(codingPath))
{
}

QJsonObject JSONKeyedReader::objectFromJSONData(const QByteArray &data)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JSONDecodingError::dataCorrupted({}, QStringLiteral("The given data was not valid JSON."));
    if (!document.isObject())
        throw JSONDecodingError::typeMismatch(QStringLiteral("QJsonObject"), {},
                                              QStringLiteral("Expected to decode an object but found an array instead."));
    return document.object();
}

std::optional<QString> JSONKeyedReader::string(const QString &key) const
{
    const QJsonValue value = m_object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<QString> JSONKeyedReader::lossyString(const QString &key) const
{
    std::optional<QString> value = string(key);
    if (!value || isBlank(*value))
        return std::nullopt;
    return value;
}

QStringList JSONKeyedReader::lossyStringArray(const QString &key) const
{
    const QJsonValue value = m_object.value(key);
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        // One element of another type spoils the whole list, as a strict list decode would.
        bool allStrings = true;
        for (const QJsonValue &element : array) {
            if (!element.isString()) {
                allStrings = false;
                break;
            }
        }
        if (allStrings) {
            QStringList values;
            values.reserve(array.size());
            for (const QJsonValue &element : array) {
                QString text = element.toString();
                if (!isBlank(text))
                    values.append(std::move(text));
            }
            return values;
        }
    }
    if (std::optional<QString> single = lossyString(key))
        return {*single};
    return {};
}

void JSONKeyedReader::throwKeyNotFound(const QString &key, const QString &debugDescription) const
{
    throw JSONDecodingError::keyNotFound(key, m_codingPath, debugDescription);
}

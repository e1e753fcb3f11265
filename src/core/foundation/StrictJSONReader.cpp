#include "foundation/StrictJSONReader.h"

#include "foundation/JSONDecodingError.h"

StrictJSONReader::StrictJSONReader(QJsonObject object, QStringList codingPath)
    : m_object(std::move(object)), m_codingPath(std::move(codingPath))
{
}

QJsonValue StrictJSONReader::required(const QString &key, QJsonValue::Type type, const QString &expectedType) const
{
    const auto found = m_object.constFind(key);
    if (found == m_object.constEnd())
        throw JSONDecodingError::keyNotFound(key, m_codingPath, QStringLiteral("No value associated with key \"%1\".").arg(key));
    if (found->isNull())
        throw JSONDecodingError::valueNotFound(expectedType, path(key),
                                               QStringLiteral("Expected %1 value but found null instead.").arg(expectedType));
    if (found->type() != type)
        throwTypeMismatch(expectedType, path(key));
    return *found;
}

void StrictJSONReader::throwTypeMismatch(const QString &expectedType, const QStringList &codingPath)
{
    throw JSONDecodingError::typeMismatch(expectedType, codingPath,
                                          QStringLiteral("Expected to decode %1 but found another type.").arg(expectedType));
}

QString StrictJSONReader::string(const QString &key) const
{
    return required(key, QJsonValue::String, QStringLiteral("String")).toString();
}

double StrictJSONReader::number(const QString &key) const
{
    return required(key, QJsonValue::Double, QStringLiteral("Double")).toDouble();
}

std::optional<double> StrictJSONReader::optionalNumber(const QString &key) const
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isDouble())
        throwTypeMismatch(QStringLiteral("Double"), path(key));
    return value.toDouble();
}

QJsonObject StrictJSONReader::object(const QString &key) const
{
    return required(key, QJsonValue::Object, QStringLiteral("QJsonObject")).toObject();
}

QJsonArray StrictJSONReader::array(const QString &key) const
{
    return required(key, QJsonValue::Array, QStringLiteral("QJsonArray")).toArray();
}

#include "foundation/JSONKeyedWriter.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// QJsonDocument only serialises arrays and objects; wrapping a single value in an array and
// stripping the brackets reuses its escaping for strings and its number formatting.
QByteArray compactValue(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace

void JSONKeyedWriter::write(const QString &key, const QJsonValue &value) { m_fields.append({key, value}); }

void JSONKeyedWriter::write(const QString &key, const QStringList &values)
{
    m_fields.append({key, QJsonArray::fromStringList(values)});
}

void JSONKeyedWriter::writeIfPresent(const QString &key, const std::optional<QString> &value)
{
    if (value)
        m_fields.append({key, *value});
}

QJsonObject JSONKeyedWriter::object() const
{
    QJsonObject object;
    for (const auto &[key, value] : m_fields)
        object.insert(key, value);
    return object;
}

QByteArray JSONKeyedWriter::compactJSON() const
{
    QByteArray text("{");
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (i > 0)
            text.append(',');
        text.append(compactValue(m_fields[i].first));
        text.append(':');
        text.append(compactValue(m_fields[i].second));
    }
    text.append('}');
    return text;
}

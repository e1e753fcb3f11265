#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// Collects the fields of one JSON object in the order they are written. QJsonObject sorts its
// keys, so the compact text form is assembled here to keep the records' field order.
class JSONKeyedWriter {
public:
    void write(const QString &key, const QJsonValue &value);
    void write(const QString &key, const QStringList &values);
    // Leaves the key out entirely when there is no value (never writes null).
    void writeIfPresent(const QString &key, const std::optional<QString> &value);

    QJsonObject object() const;
    // Compact UTF-8 JSON text with the keys in writing order.
    QByteArray compactJSON() const;

private:
    QList<std::pair<QString, QJsonValue>> m_fields;
};

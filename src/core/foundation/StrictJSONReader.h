#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// Reads the fields of one JSON object that must be exactly as the record describes them: a
// missing key, a null or a value of another type throws JSONDecodingError (keyNotFound,
// valueNotFound or typeMismatch) with the path to the field. Extra keys are ignored.
class StrictJSONReader {
public:
    explicit StrictJSONReader(QJsonObject object, QStringList codingPath = {});

    QString string(const QString &key) const;
    double number(const QString &key) const;
    // Absent for a missing key or a null.
    std::optional<double> optionalNumber(const QString &key) const;
    QJsonObject object(const QString &key) const;
    QJsonArray array(const QString &key) const;

    // The path to a nested value, for the readers of nested objects.
    QStringList path(const QString &key) const { return m_codingPath + QStringList{key}; }
    // The objects of an array, each decoded with `decode(object, path)`.
    template <typename Element, typename Decode>
    QList<Element> objects(const QString &key, Decode decode) const
    {
        const QJsonArray elements = array(key);
        QList<Element> decoded;
        decoded.reserve(elements.size());
        for (qsizetype i = 0; i < elements.size(); ++i) {
            QStringList elementPath = path(key) + QStringList{QString::number(i)};
            if (!elements[i].isObject())
                throwTypeMismatch(QStringLiteral("QJsonObject"), elementPath);
            decoded.append(decode(elements[i].toObject(), elementPath));
        }
        return decoded;
    }

private:
    QJsonValue required(const QString &key, QJsonValue::Type type, const QString &expectedType) const;
    [[noreturn]] static void throwTypeMismatch(const QString &expectedType, const QStringList &codingPath);

    QJsonObject m_object;
    QStringList m_codingPath;
};

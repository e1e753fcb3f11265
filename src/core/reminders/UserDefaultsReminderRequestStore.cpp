#include "reminders/UserDefaultsReminderRequestStore.h"

#include "preferences/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace {

std::optional<UserDefaultsReminderRequestStore::Entry> decode(const QJsonObject &object)
{
    const QString identifier = object.value(QLatin1String("identifier")).toString();
    const int hour = object.value(QLatin1String("hour")).toInt(-1);
    const int minute = object.value(QLatin1String("minute")).toInt(-1);
    const QJsonValue weekday = object.value(QLatin1String("weekday"));
    if (identifier.isEmpty() || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || (!weekday.isUndefined() && (weekday.toInt() < 1 || weekday.toInt() > 7)))
        return std::nullopt;
    UserDefaultsReminderRequestStore::Entry entry;
    entry.request.identifier = identifier;
    entry.request.content.title = object.value(QLatin1String("title")).toString();
    entry.request.content.body = object.value(QLatin1String("body")).toString();
    entry.request.content.playsDefaultSound = object.value(QLatin1String("sound")).toBool(true);
    entry.request.content.userInfo = object.value(QLatin1String("userInfo")).toObject().toVariantMap();
    entry.request.trigger = {hour, minute, weekday.isUndefined() ? std::nullopt : std::optional<int>(weekday.toInt())};
    entry.handledThrough = QDateTime::fromSecsSinceEpoch(
        static_cast<qint64>(object.value(QLatin1String("handledThrough")).toDouble()), QTimeZone::utc());
    return entry;
}

QJsonObject encode(const UserDefaultsReminderRequestStore::Entry &entry)
{
    const ReminderRequest &request = entry.request;
    QJsonObject object{
        {QLatin1String("identifier"), request.identifier},
        {QLatin1String("title"), request.content.title},
        {QLatin1String("body"), request.content.body},
        {QLatin1String("sound"), request.content.playsDefaultSound},
        {QLatin1String("userInfo"), QJsonObject::fromVariantMap(request.content.userInfo)},
        {QLatin1String("hour"), request.trigger.hour},
        {QLatin1String("minute"), request.trigger.minute},
        {QLatin1String("handledThrough"), static_cast<double>(entry.handledThrough.toSecsSinceEpoch())},
    };
    if (request.trigger.weekday)
        object.insert(QLatin1String("weekday"), *request.trigger.weekday);
    return object;
}

} // namespace

UserDefaultsReminderRequestStore::UserDefaultsReminderRequestStore(UserDefaults &defaults) : m_defaults(defaults) {}

QList<UserDefaultsReminderRequestStore::Entry> UserDefaultsReminderRequestStore::entries() const
{
    QList<Entry> entries;
    const std::optional<QByteArray> data = m_defaults.dataValue(key());
    if (!data)
        return entries;
    for (const QJsonValue &value : QJsonDocument::fromJson(*data).array()) {
        if (std::optional<Entry> entry = decode(value.toObject()))
            entries.append(std::move(*entry));
    }
    return entries;
}

bool UserDefaultsReminderRequestStore::store(const QList<Entry> &entries)
{
    QJsonArray array;
    for (const Entry &entry : entries)
        array.append(encode(entry));
    return m_defaults.setData(key(), QJsonDocument(array).toJson(QJsonDocument::Compact));
}

bool UserDefaultsReminderRequestStore::add(const ReminderRequest &request, const QDateTime &now)
{
    QList<Entry> current = entries();
    current.removeIf([&](const Entry &entry) { return entry.request.identifier == request.identifier; });
    current.append({request, now});
    return store(current);
}

bool UserDefaultsReminderRequestStore::remove(const QStringList &identifiers)
{
    QList<Entry> current = entries();
    if (current.removeIf([&](const Entry &entry) { return identifiers.contains(entry.request.identifier); }) == 0)
        return true;
    return store(current);
}

bool UserDefaultsReminderRequestStore::setHandledThrough(const QString &identifier, const QDateTime &handledThrough)
{
    QList<Entry> current = entries();
    for (Entry &entry : current) {
        if (entry.request.identifier == identifier) {
            entry.handledThrough = handledThrough;
            return store(current);
        }
    }
    return true;
}

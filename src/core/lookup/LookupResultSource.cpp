#include "lookup/LookupResultSource.h"

QString rawValue(LookupResultSource source)
{
    return source == LookupResultSource::systemDictionary ? QStringLiteral("systemDictionary")
                                                          : QStringLiteral("ai");
}

std::optional<LookupResultSource> lookupResultSourceFromRawValue(const QString &raw)
{
    if (raw == QLatin1String("ai"))
        return LookupResultSource::ai;
    if (raw == QLatin1String("systemDictionary"))
        return LookupResultSource::systemDictionary;
    return std::nullopt;
}

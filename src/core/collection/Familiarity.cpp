#include "collection/Familiarity.h"

QString rawValue(Familiarity value)
{
    switch (value) {
    case Familiarity::new_:
        return QStringLiteral("new");
    case Familiarity::learning:
        return QStringLiteral("learning");
    case Familiarity::familiar:
        return QStringLiteral("familiar");
    case Familiarity::mastered:
        return QStringLiteral("mastered");
    }
    return QStringLiteral("new");
}

std::optional<Familiarity> familiarityFromRawValue(const QString &raw)
{
    for (Familiarity value : kAllFamiliarityCases) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}

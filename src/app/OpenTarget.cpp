#include "app/OpenTarget.h"

QString rawValue(OpenTarget target)
{
    switch (target) {
    case OpenTarget::lookup:
        return QStringLiteral("lookup");
    case OpenTarget::collection:
        return QStringLiteral("collection");
    case OpenTarget::review:
        return QStringLiteral("review");
    case OpenTarget::daily:
        return QStringLiteral("daily");
    case OpenTarget::settings:
        return QStringLiteral("settings");
    }
    return {};
}

std::optional<OpenTarget> openTargetFromRawValue(const QString &raw)
{
    for (OpenTarget target : kAllOpenTargets) {
        if (rawValue(target) == raw)
            return target;
    }
    return std::nullopt;
}

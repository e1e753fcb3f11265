#include "export/LearningItemExportFormat.h"

QString fileExtension(LearningItemExportFormat format)
{
    switch (format) {
    case LearningItemExportFormat::json:
        return QStringLiteral("json");
    case LearningItemExportFormat::xlsx:
        return QStringLiteral("xlsx");
    }
    return QStringLiteral("json");
}

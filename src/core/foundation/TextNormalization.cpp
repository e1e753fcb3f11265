#include "foundation/TextNormalization.h"

QString normalizedItemText(const QString &text, const QLocale &locale)
{
    return locale.toLower(text.trimmed());
}

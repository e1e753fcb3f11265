#include "foundation/LocalizedTextOrder.h"

namespace {

// Qt's collator falls back to plain code-point comparison for the C locale and then ignores
// numeric mode, which is what a session started with LANG=C gets; a neutral English
// collation keeps the natural order there.
QLocale collationLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

} // namespace

LocalizedTextOrder::LocalizedTextOrder(const QLocale &locale) : m_collator(collationLocale(locale))
{
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

#pragma once

#include <QLocale>
#include <QString>

// The form under which two saved texts count as the same item: surrounding whitespace and
// newlines dropped, lower-cased by the rules of `locale` (the user's, by default).
QString normalizedItemText(const QString &text, const QLocale &locale = QLocale());

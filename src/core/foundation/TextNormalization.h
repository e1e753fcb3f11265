#pragma once

#include <QString>

// The form under which two saved texts count as the same item: surrounding whitespace and
// newlines dropped, then Unicode case folding, which no locale changes (a Turkish locale
// would lower-case "I" to a dotless i), so every process files a text under the same key.
QString normalizedItemText(const QString &text);

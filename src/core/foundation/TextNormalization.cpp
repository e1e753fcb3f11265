#include "foundation/TextNormalization.h"

QString normalizedItemText(const QString &text) { return text.trimmed().toCaseFolded(); }

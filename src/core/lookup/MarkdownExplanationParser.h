#pragma once

#include "lookup/LookupResultDisplaySection.h"

#include <QList>
#include <QString>

// Reads a saved item's explanation text ("### " sections, "**…**" block titles, "- " lines)
// back into display sections. Text without any section heading becomes one section "解释"
// holding all its non-empty lines; an empty or blank text yields no sections.
class MarkdownExplanationParser {
public:
    MarkdownExplanationParser() = delete;

    static QList<LookupResultDisplaySection> parse(const QString &text);
};

#pragma once

#include "collection/LearningItemExplanationBlock.h"
#include "collection/LearningItemExplanationSection.h"

#include <QList>
#include <QString>
#include <QStringList>

// Reads a stored explanation ("### " section headings, "**…**" block titles, "- " lines)
// for the collection's detail pane. Stricter than the review window's reader: only blank
// lines separate blocks, so a bold line inside a chunk is an ordinary line.
class LearningItemExplanationParser {
public:
    // Never empty: text without any usable "### " section comes back as a single "解释"
    // section holding every non-empty line (an empty text gives one empty block).
    static QList<LearningItemExplanationSection> sections(const QString &from);

    // The blocks of one section's raw lines; blank lines end a chunk.
    static QList<LearningItemExplanationBlock> blocks(const QStringList &from);

    // Appends at most one block made from a chunk of lines; a chunk that is empty or holds
    // only a bold title adds nothing.
    static void appendBlock(const QStringList &from, QList<LearningItemExplanationBlock> &to);
};

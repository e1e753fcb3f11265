#include "lookup/MarkdownExplanationParser.h"

#include <QStringList>

#include <optional>

// The reader's state while walking the lines once.
struct ExplanationReader {
    QList<LookupResultDisplaySection> sections;
    std::optional<QString> sectionTitle;
    QList<LookupResultDisplayBlock> blocks;
    std::optional<QString> blockTitle;
    QStringList lines;

    void finishBlock()
    {
        // A title with no lines yet stays pending: "**Title**", blank line, "- line" is one block.
        if (lines.isEmpty())
            return;
        blocks.append(LookupResultDisplayBlock(blockTitle, lines));
        blockTitle.reset();
        lines.clear();
    }

    void finishSection()
    {
        finishBlock();
        // Blocks before the first heading have no section to go to and are dropped; the title
        // itself is kept, so blocks after a finished section form another one with that title.
        if (sectionTitle && !blocks.isEmpty())
            sections.append(LookupResultDisplaySection{*sectionTitle, blocks});
        blocks.clear();
    }
};

QList<LookupResultDisplaySection> MarkdownExplanationParser::parse(const QString &text)
{
    ExplanationReader reader;
    QStringList nonEmptyLines;
    const QStringList rawLines = text.split(QLatin1Char('\n'));
    for (const QString &rawLine : rawLines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty()) {
            reader.finishBlock();
            continue;
        }
        nonEmptyLines.append(line);
        if (line.startsWith(QLatin1String("### "))) {
            reader.finishSection();
            reader.sectionTitle = line.mid(4);
        } else if (line.size() >= 5 && line.startsWith(QLatin1String("**")) && line.endsWith(QLatin1String("**"))) {
            reader.finishBlock();
            reader.blockTitle = line.mid(2, line.size() - 4);
        } else if (line.startsWith(QLatin1String("- "))) {
            reader.lines.append(line.mid(2));
        } else {
            reader.lines.append(line);
        }
    }
    reader.finishSection();

    if (reader.sections.isEmpty() && !nonEmptyLines.isEmpty())
        return {LookupResultDisplaySection{QStringLiteral("解释"), {LookupResultDisplayBlock(std::nullopt, nonEmptyLines)}}};
    return reader.sections;
}

#include "collection/LearningItemExplanationParser.h"

#include <QRegularExpression>

namespace {

const QString kFallbackSectionTitle = QStringLiteral("解释");
const QString kSectionPrefix = QStringLiteral("### ");
const QString kBoldMarker = QStringLiteral("**");
const QString kListPrefix = QStringLiteral("- ");

// Horizontal white space only: the lines are already split, and a trailing form feed or
// similar is left for the blank-line test to judge.
bool isSpaceOrTab(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

QString trimmedOfSpacesAndTabs(const QString &line)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && isSpaceOrTab(line.at(start))) {
        ++start;
    }
    while (end > start && isSpaceOrTab(line.at(end - 1))) {
        --end;
    }
    return line.mid(start, end - start);
}

QString withoutListPrefix(const QString &line)
{
    return line.startsWith(kListPrefix) ? line.mid(kListPrefix.size()) : line;
}

// Stored explanations may come from files edited on other systems, so a CR LF pair counts
// as one line break rather than leaving a stray carriage return on every line.
QStringList splitLines(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|[\\n\\r\\x{2028}\\x{2029}\\x{0085}]"));
    return text.split(lineBreak);
}

} // namespace

QList<LearningItemExplanationSection> LearningItemExplanationParser::sections(const QString &from)
{
    const QStringList lines = splitLines(from);
    QList<LearningItemExplanationSection> result;
    std::optional<QString> pendingTitle;
    QStringList buffer;

    const auto closePendingSection = [&] {
        if (!pendingTitle) {
            return;
        }
        QList<LearningItemExplanationBlock> sectionBlocks = blocks(buffer);
        if (!sectionBlocks.isEmpty()) {
            result.append(LearningItemExplanationSection{*pendingTitle, std::move(sectionBlocks)});
        }
    };

    for (const QString &line : lines) {
        const QString trimmed = trimmedOfSpacesAndTabs(line);
        if (trimmed.startsWith(kSectionPrefix)) {
            closePendingSection();
            // Lines before the first heading are dropped along with the buffer.
            pendingTitle = trimmed.mid(kSectionPrefix.size());
            buffer.clear();
        } else {
            buffer.append(line);
        }
    }
    closePendingSection();

    if (!result.isEmpty()) {
        return result;
    }

    LearningItemExplanationBlock fallback;
    for (const QString &line : lines) {
        const QString cleaned = withoutListPrefix(trimmedOfSpacesAndTabs(line));
        if (!cleaned.isEmpty()) {
            fallback.lines.append(cleaned);
        }
    }
    return {LearningItemExplanationSection{kFallbackSectionTitle, {fallback}}};
}

QList<LearningItemExplanationBlock> LearningItemExplanationParser::blocks(const QStringList &from)
{
    QList<LearningItemExplanationBlock> result;
    QStringList chunk;
    for (const QString &line : from) {
        if (line.trimmed().isEmpty()) {
            appendBlock(chunk, result);
            chunk.clear();
        } else {
            chunk.append(line);
        }
    }
    appendBlock(chunk, result);
    return result;
}

void LearningItemExplanationParser::appendBlock(const QStringList &from, QList<LearningItemExplanationBlock> &to)
{
    QStringList lines;
    for (const QString &line : from) {
        const QString trimmed = trimmedOfSpacesAndTabs(line);
        if (!trimmed.isEmpty()) {
            lines.append(trimmed);
        }
    }
    if (lines.isEmpty()) {
        return;
    }

    const QString &first = lines.first();
    const bool firstIsBoldTitle = first.startsWith(kBoldMarker) && first.endsWith(kBoldMarker) && first.size() >= 5;
    if (firstIsBoldTitle) {
        if (lines.size() == 1) {
            return;
        }
        LearningItemExplanationBlock block;
        block.title = first.mid(2, first.size() - 4);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            block.lines.append(withoutListPrefix(lines.at(i)));
        }
        to.append(std::move(block));
        return;
    }

    LearningItemExplanationBlock block;
    for (const QString &line : lines) {
        block.lines.append(withoutListPrefix(line));
    }
    to.append(std::move(block));
}

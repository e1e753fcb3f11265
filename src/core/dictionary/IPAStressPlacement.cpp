#include "dictionary/IPAStressPlacement.h"

#include <QSet>

#include <vector>

namespace {

constexpr char16_t kPrimaryStress = 0x02C8;
constexpr char16_t kSecondaryStress = 0x02CC;
constexpr char16_t kTieBar = 0x0361;
constexpr char16_t kSyllabicMark = 0x0329;

bool isStressMark(QChar character) { return character == kPrimaryStress || character == kSecondaryStress; }

bool isVowelLetter(QChar character)
{
    static const QString vowels = QStringLiteral("aeiouyæɑɒɔəɚɛɜɝɪʊʌᵻɐɵøœɶɤɯɨʉɘɞ");
    return vowels.contains(character);
}

// Length marks, combining diacritics and modifier letters (ː, ̃, ʰ, ʲ, ʷ) belong to the
// letter before them.
bool isModifier(QChar character)
{
    // The stress marks are modifier letters too, but they stand on their own.
    return !isStressMark(character) && (character.category() == QChar::Letter_Modifier || character.isMark());
}

bool isSegmentLetter(QChar character)
{
    return character.isLetter() && !isStressMark(character) && !isModifier(character);
}

// espeak-ng writes g as ɡ and r as ɹ, but other sources may not.
QString comparable(const QString &segment)
{
    QString result;
    for (QChar character : segment) {
        if (isModifier(character))
            continue;
        if (character == QLatin1Char('g'))
            result += QChar(0x0261);
        else if (character == QLatin1Char('r'))
            result += QChar(0x0279);
        else
            result += character;
    }
    return result;
}

// The clusters an English syllable may begin with; any single consonant but ŋ may too.
bool isLegalOnset(const std::vector<QString> &segments)
{
    static const QSet<QString> clusters = [] {
        QSet<QString> result;
        for (const char *first : {"p", "b", "k", "ɡ", "f", "s"})
            result.insert(QString::fromUtf8(first) + QStringLiteral("l"));
        for (const char *first : {"p", "b", "t", "d", "k", "ɡ", "f", "v", "θ", "ʃ"})
            result.insert(QString::fromUtf8(first) + QStringLiteral("ɹ"));
        for (const char *first : {"t", "d", "k", "ɡ", "s", "θ", "h", "ʃ"})
            result.insert(QString::fromUtf8(first) + QStringLiteral("w"));
        for (const char *first : {"p", "b", "t", "d", "k", "ɡ", "f", "v", "θ", "s", "z", "h", "m", "n", "l"})
            result.insert(QString::fromUtf8(first) + QStringLiteral("j"));
        for (const char *second : {"p", "t", "k", "m", "n", "f"})
            result.insert(QStringLiteral("s") + QString::fromUtf8(second));
        for (const char *triple : {"spl", "spɹ", "stɹ", "skɹ", "skw", "skl", "spj", "stj", "skj"})
            result.insert(QString::fromUtf8(triple));
        return result;
    }();
    if (segments.empty())
        return true;
    if (segments.size() == 1)
        return segments.front() != QStringLiteral("ŋ");
    QString joined;
    for (const QString &segment : segments)
        joined += segment;
    return clusters.contains(joined);
}

// The start of the letter (with its modifiers) that ends just before `end`, or -1 when
// the text before `end` is not a consonant (a vowel, a space, a mark or nothing).
qsizetype consonantStart(const QString &ipa, qsizetype end)
{
    qsizetype start = end;
    bool syllabic = false;
    while (start > 0 && isModifier(ipa[start - 1])) {
        syllabic = syllabic || ipa[start - 1] == kSyllabicMark;
        --start;
    }
    if (start == 0 || syllabic || !isSegmentLetter(ipa[start - 1]) || isVowelLetter(ipa[start - 1]))
        return -1;
    --start;
    // Affricates are one sound: tʃ, dʒ, and anything joined with a tie bar.
    if (start > 0 && ipa[start - 1] == kTieBar && start > 1)
        return start - 2;
    if (start > 0 && ((ipa[start] == QChar(0x0283) && ipa[start - 1] == QLatin1Char('t'))
                      || (ipa[start] == QChar(0x0292) && ipa[start - 1] == QLatin1Char('d'))))
        return start - 1;
    return start;
}

bool startsWithVowel(const QString &ipa, qsizetype position)
{
    if (position >= ipa.size())
        return false;
    if (isVowelLetter(ipa[position]))
        return true;
    // A syllabic consonant (n̩, l̩) is the nucleus of its syllable.
    return position + 1 < ipa.size() && isSegmentLetter(ipa[position]) && ipa[position + 1] == kSyllabicMark;
}

} // namespace

QString placeStressMarksAtSyllableStart(const QString &ipa)
{
    QString result = ipa;
    for (qsizetype mark = 0; mark < result.size(); ++mark) {
        if (!isStressMark(result[mark]) || !startsWithVowel(result, mark + 1))
            continue;
        // Gather the consonants before the vowel, nearest first.
        std::vector<qsizetype> starts;
        std::vector<QString> segments;
        qsizetype end = mark;
        for (qsizetype start = consonantStart(result, end); start >= 0; start = consonantStart(result, end)) {
            starts.push_back(start);
            segments.insert(segments.begin(), comparable(result.mid(start, end - start)));
            end = start;
        }
        // The longest run of them that can open a syllable goes after the mark.
        qsizetype onsetStart = mark;
        for (std::size_t count = 1; count <= starts.size(); ++count) {
            const std::vector<QString> onset(segments.end() - static_cast<std::ptrdiff_t>(count), segments.end());
            if (!isLegalOnset(onset))
                break;
            onsetStart = starts[count - 1];
        }
        if (onsetStart == mark)
            continue;
        const QChar stress = result[mark];
        result.remove(mark, 1);
        result.insert(onsetStart, stress);
    }
    return result;
}

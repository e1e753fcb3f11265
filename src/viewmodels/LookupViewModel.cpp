#include "viewmodels/LookupViewModel.h"

#include <QStringView>

namespace {

// Full-width marks that learners paste from Chinese text along with the English.
constexpr char16_t kFullWidthMarks[] = u"，；：。？！、（）《》“”‘’";

bool isPunctuation(char32_t codePoint)
{
    if (QChar::isPunct(codePoint))
        return true;
    for (char16_t mark : kFullWidthMarks) {
        if (mark != 0 && mark == codePoint)
            return true;
    }
    return false;
}

} // namespace

LearningItemType LookupViewModel::detectItemType(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();

    int words = 0;
    bool inWord = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        char32_t codePoint = trimmed[i].unicode();
        if (QChar::isHighSurrogate(codePoint) && i + 1 < trimmed.size() && trimmed[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(trimmed[i], trimmed[i + 1]);
            ++i;
        }
        // Punctuation wins over the word count: "don't" and "well-known" are sentences.
        if (isPunctuation(codePoint))
            return LearningItemType::sentence;
        const bool space = QChar::isSpace(codePoint);
        if (!space && !inWord)
            ++words;
        inWord = !space;
    }

    if (words >= 7)
        return LearningItemType::sentence;
    if (words >= 2)
        return LearningItemType::phrase;
    return LearningItemType::word;
}

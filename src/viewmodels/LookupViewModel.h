#pragma once

#include "models/LearningItemType.h"

#include <QString>

// Drives the lookup panel. For now it only knows how a selection is classified.
class LookupViewModel {
public:
    // word, phrase or sentence for the trimmed text: any punctuation makes a sentence, then
    // 7 or more words a sentence, 2 to 6 a phrase, fewer a word.
    static LearningItemType detectItemType(const QString &text);
};

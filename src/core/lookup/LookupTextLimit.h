#pragma once

#include <QString>
#include <QStringView>

// How much text one lookup may carry. A learner looks up words, sentences and the odd
// paragraph; anything far longer is a whole page selected by accident or a file piped in,
// which would cost a large request and could not be explained in a panel anyway. Such text is
// refused as a whole: cutting it would explain something the learner did not ask about.
namespace LookupTextLimit {

inline constexpr qsizetype maximumCharacters = 4000;

// Characters as the learner counts them: a character outside the Basic Multilingual Plane is one.
qsizetype characterCount(QStringView text);
bool exceeds(QStringView text);
QString message();

} // namespace LookupTextLimit

#pragma once

#include <QString>

// Moves each stress mark (ˈ primary, ˌ secondary) that sits directly before a vowel to
// the start of its syllable, the way dictionaries print it: the consonants before the
// vowel that can begin an English syllable go after the mark (təmˈeɪɾoʊ → təˈmeɪɾoʊ,
// ɪnstˈɔːl → ɪnˈstɔːl). Marks already before a consonant are left where they are.
QString placeStressMarksAtSyllableStart(const QString &ipa);

#include "dictionary/IPAStressPlacement.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(IPAStressPlacement, MovesMarksToTheSyllableStart)
{
    const std::pair<const char *, const char *> cases[] = {
        // One consonant, and the longest cluster that can begin a syllable.
        {"təmˈeɪɾoʊ", "təˈmeɪɾoʊ"}, {"təmˈɑːtəʊ", "təˈmɑːtəʊ"},
        {"ɪnstˈɔːl", "ɪnˈstɔːl"}, {"ɛkstɹˈiːm", "ɛkˈstɹiːm"},
        {"ɪŋɡlˈɪʃ", "ɪŋˈɡlɪʃ"}, {"ɪŋglˈɪʃ", "ɪŋˈglɪʃ"},
        {"nˈaɪntiːnhˈʌndɹɪd", "ˈnaɪntiːnˈhʌndɹɪd"},
        // Secondary stress, glides and affricates.
        {"ˈæɾɪtˌuːd", "ˈæɾɪˌtuːd"}, {"ˈatɪtjˌuːd", "ˈatɪˌtjuːd"},
        {"ədʒˈʌst", "əˈdʒʌst"}, {"pɪktʃˈɔː", "pɪkˈtʃɔː"}, {"ət͡ʃˈiːv", "əˈt͡ʃiːv"},
        // Every word of a phrase; the start of a word stays a boundary.
        {"lˈʊk ˈʌp", "ˈlʊk ˈʌp"}, {"stɹˈɒŋ", "ˈstɹɒŋ"},
        // Nothing to move: no stress, already placed, a vowel before, ŋ cannot begin a syllable.
        {"ðə", "ðə"}, {"ɪnˈstɔːl", "ɪnˈstɔːl"}, {"ˈeɪ", "ˈeɪ"},
        {"naɪˈiːv", "naɪˈiːv"}, {"sɪŋˈʌp", "sɪŋˈʌp"}, {"", ""},
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(placeStressMarksAtSyllableStart(QString::fromUtf8(input)), QString::fromUtf8(expected)) << input;
}

#include "utilities/IPAStressPlacement.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct StressCase {
    const char *input;
    const char *expected;
};

void PrintTo(const StressCase &row, std::ostream *os) { *os << row.input; }

class IPAStressPlacement : public ::testing::TestWithParam<StressCase> {};

TEST_P(IPAStressPlacement, MovesMarksToTheSyllableStart)
{
    const StressCase &row = GetParam();
    EXPECT_EQ(placeStressMarksAtSyllableStart(QString::fromUtf8(row.input)), QString::fromUtf8(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Onsets, IPAStressPlacement,
    ::testing::Values(
        // One consonant, and the longest cluster that can begin a syllable.
        StressCase{"təmˈeɪɾoʊ", "təˈmeɪɾoʊ"}, StressCase{"təmˈɑːtəʊ", "təˈmɑːtəʊ"},
        StressCase{"ɪnstˈɔːl", "ɪnˈstɔːl"}, StressCase{"ɛkstɹˈiːm", "ɛkˈstɹiːm"},
        StressCase{"ɪŋɡlˈɪʃ", "ɪŋˈɡlɪʃ"}, StressCase{"ɪŋglˈɪʃ", "ɪŋˈglɪʃ"},
        StressCase{"nˈaɪntiːnhˈʌndɹɪd", "ˈnaɪntiːnˈhʌndɹɪd"},
        // Secondary stress, glides and affricates.
        StressCase{"ˈæɾɪtˌuːd", "ˈæɾɪˌtuːd"}, StressCase{"ˈatɪtjˌuːd", "ˈatɪˌtjuːd"},
        StressCase{"ədʒˈʌst", "əˈdʒʌst"}, StressCase{"pɪktʃˈɔː", "pɪkˈtʃɔː"}, StressCase{"ət͡ʃˈiːv", "əˈt͡ʃiːv"},
        // Every word of a phrase; the start of a word stays a boundary.
        StressCase{"lˈʊk ˈʌp", "ˈlʊk ˈʌp"}, StressCase{"stɹˈɒŋ", "ˈstɹɒŋ"},
        // Nothing to move: no stress, already placed, a vowel before, ŋ cannot begin a syllable.
        StressCase{"ðə", "ðə"}, StressCase{"ɪnˈstɔːl", "ɪnˈstɔːl"}, StressCase{"ˈeɪ", "ˈeɪ"},
        StressCase{"naɪˈiːv", "naɪˈiːv"}, StressCase{"sɪŋˈʌp", "sɪŋˈʌp"}, StressCase{"", ""}));

} // namespace

#include "dictionary/WordNetDatabase.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using enum WordNetPartOfSpeech;

// The database installed on this machine.
const WordNetDatabase &installed()
{
    static const WordNetDatabase database;
    return database;
}

TEST(WordNetDatabase, FindsTheTextAndItsBaseFormsInTheIndex)
{
    const std::tuple<const char *, WordNetPartOfSpeech, QStringList> rows[] = {
        // Irregular forms from the exception lists; regular ones by suffix, kept only when indexed.
        {"running", verb, {"run"}}, {"better", adjective, {"better", "good", "well"}}, {"churches", noun, {"church"}},
        {"glasses", noun, {"glasses", "glass"}}, {"later", adjective, {"later", "late"}},
        // "glass" is no plural, and adverbs have no suffix rules.
        {"glass", noun, {"glass"}}, {"fastly", adverb, {}},
        // Phrases: any spacing or case, hyphen and underscore variants, each word reduced.
        {"Look  Up", verb, {"look_up"}}, {"looking up", verb, {"look_up"}},
        {"ice-cream", noun, {"ice_cream", "icecream"}}, {"brothers-in-law", noun, {"brother-in-law"}},
        // The first and last entries of an index, and words sorting outside it.
        {"'hood", noun, {"'hood"}}, {"zyrian", noun, {"zyrian"}}, {"!", noun, {}}, {"zzzzzz", noun, {}},
    };
    for (const auto &[text, partOfSpeech, expected] : rows)
        EXPECT_EQ(installed().lemmas(QString::fromUtf8(text), partOfSpeech), expected) << text;
}

TEST(WordNetDatabase, ListsSensesByPartOfSpeechWordBeforeBaseFormsUpToTheLimit)
{
    const std::vector<WordNetSense> senses = installed().senses("better", 100);
    ASSERT_FALSE(senses.empty());
    EXPECT_TRUE(std::is_sorted(senses.begin(), senses.end(),
                               [](const WordNetSense &a, const WordNetSense &b) { return a.partOfSpeech < b.partOfSpeech; }));
    EXPECT_EQ(senses.back().partOfSpeech, adverb);
    // A synset reached through several entries of one part of speech is listed once.
    QStringList seen;
    for (const WordNetSense &sense : senses) {
        const QString key = QString::number(static_cast<int>(sense.partOfSpeech)) + sense.gloss;
        EXPECT_FALSE(seen.contains(key)) << sense.gloss.toStdString();
        seen.append(key);
    }
    const auto good = std::find_if(senses.begin(), senses.end(), [](const WordNetSense &s) { return s.lemma == "good"; });
    ASSERT_NE(good, senses.end());
    EXPECT_TRUE(good->fromBaseForm);
    EXPECT_TRUE(std::none_of(senses.begin(), good, [](const WordNetSense &s) {
        return s.partOfSpeech == adjective && s.fromBaseForm;
    }));
    EXPECT_EQ(installed().senses("better", 3).size(), 3u);
    EXPECT_TRUE(installed().senses("better", 0).empty());
}

} // namespace

#include "dictionary/WordNetDatabase.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
        // Irregular forms come from the exception lists.
        {"running", verb, {"run"}}, {"geese", noun, {"goose"}}, {"better", adjective, {"better", "good", "well"}},
        // Regular forms through the suffix rules, kept only when the index has the result.
        {"churches", noun, {"church"}}, {"ladies", noun, {"lady"}}, {"thinking", verb, {"think"}},
        {"glasses", noun, {"glasses", "glass"}}, {"later", adjective, {"later", "late"}},
        // "glass" is no plural, and adverbs have no suffix rules.
        {"glass", noun, {"glass"}}, {"fastly", adverb, {}},
        // Phrases: any spacing or case, hyphen and underscore variants, each word reduced.
        {"Look  Up", verb, {"look_up"}}, {"looking up", verb, {"look_up"}}, {"gave up", verb, {"give_up"}},
        {"ice-cream", noun, {"ice_cream", "icecream"}}, {"brothers-in-law", noun, {"brother-in-law"}},
        // The first and last entries of an index, and words sorting outside it.
        {"'hood", noun, {"'hood"}}, {"zyrian", noun, {"zyrian"}}, {"aah", verb, {"aah"}},
        {"zoom in", verb, {"zoom_in"}}, {"!", noun, {}}, {"zzzzzz", noun, {}},
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

// A hand-made database: licence lines, a malformed index line, offsets past the end of
// the data file or at the wrong line, no adverb files. The good entries are read, the
// rest skipped.
TEST(WordNetDatabase, DamagedEntriesAreSkipped)
{
    QTemporaryDir directory;
    auto write = [&](const char *name, const QByteArray &contents) {
        QFile file(QDir(directory.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    };
    const QByteArray licence = "  1 licence text  \n  2 more licence  \n";
    QByteArray data = licence;
    data += QByteArray(77 - data.size() - 1, ' ') + '\n';
    data += "00000077 05 n 01 cat 0 000 | feline mammal; \"the cat sat\"  \n";
    write("data.noun", data);
    write("index.noun", licence + "broken n 2\ncat n 3 0 3 0 00000077 00000001 99999999  \ndog n x 0 1 0 00000077  \n");
    write("noun.exc", "cats cat\n\nlonely\n");
    for (const char *name : {"data.verb", "index.verb", "data.adj", "index.adj"})
        write(name, licence);

    const WordNetDatabase database(directory.path());
    EXPECT_FALSE(database.isAvailable());
    const auto senses = database.senses("cats", 20);
    ASSERT_EQ(senses.size(), 1u);
    EXPECT_EQ(senses.front().lemma, "cat");
    EXPECT_TRUE(senses.front().fromBaseForm);
    EXPECT_EQ(senses.front().gloss, "feline mammal; \"the cat sat\"");
    for (const char *text : {"broken", "dog", "lonely"})
        EXPECT_TRUE(database.senses(text, 20).empty()) << text;
}

} // namespace

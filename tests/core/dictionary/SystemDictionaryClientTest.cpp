#include "dictionary/PronunciationTranscribing.h"
#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"

#include "support/TestSupport.h"

#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Answers from a table keyed by accent and records what it was asked.
class FakeTranscriber final : public PronunciationTranscribing {
public:
    QHash<QString, QString> byAccent;
    mutable QStringList requests;

    std::optional<QString> transcribe(const QString &text, const QString &accent) const override
    {
        requests.append(accent + QLatin1Char(':') + text);
        return byAccent.contains(accent) ? std::optional(byAccent.value(accent)) : std::nullopt;
    }
};

// Over the dictionary installed on this machine.
struct SystemDictionaryClientTest : ::testing::Test {
    std::optional<QString> lookUp(const QString &text, const QString &american = {}, const QString &british = {})
    {
        transcriber->byAccent.clear();
        for (const auto &[accent, ipa] : {std::pair{"american", american}, std::pair{"british", british}})
            if (!ipa.isEmpty())
                transcriber->byAccent.insert(QString::fromLatin1(accent), ipa);
        return client.lookupDefinition(text);
    }
    QStringList senseLines(const QString &text)
    {
        const auto entry = lookUp(text);
        return entry ? entry->section(" | ", -1).split(QLatin1Char('\n')) : QStringList();
    }

    std::shared_ptr<FakeTranscriber> transcriber = std::make_shared<FakeTranscriber>();
    SystemDictionaryClient client{std::make_shared<const WordNetDatabase>(), transcriber};
};

TEST_F(SystemDictionaryClientTest, EntryIsHeadwordDistinctWellFormedPronunciationsAndNumberedSenses)
{
    EXPECT_EQ(lookUp("  tomato\n", "təˈmeɪɾoʊ", "təˈmɑːtəʊ"),
              QStringLiteral("tomato | təˈmeɪɾoʊ, təˈmɑːtəʊ | ① noun: mildly acid red or yellow pulpy fruit eaten as a "
                             "vegetable\n② noun: native to South America; widely cultivated in many varieties"));
    EXPECT_EQ(transcriber->requests, (QStringList{"american:tomato", "british:tomato"}));

    EXPECT_TRUE(lookUp("look up", "ˈlʊk ˈʌp", "ˈlʊk ˈʌp")->startsWith("look up | ˈlʊk ˈʌp | ①"));
    // A comma or bar would break the entry's shape; without a pronunciation it has two pieces.
    EXPECT_TRUE(lookUp("look up", "a, b", " | ")->startsWith("look up | ① verb: "));
}

TEST_F(SystemDictionaryClientTest, FindsBaseFormsAndPhrasesAndListsAtMostTwentySenses)
{
    EXPECT_TRUE(lookUp("Geese")->startsWith("Geese | ① noun (goose): web-footed"));
    EXPECT_EQ(senseLines("\u00A0look\u00A0up\u00A0"),
              QStringList{"① verb: seek information from; \"You should consult the dictionary\""});
    EXPECT_TRUE(senseLines("gave up").value(0).startsWith("① verb (give up): "));

    const QStringList take = senseLines("take");
    ASSERT_EQ(take.size(), SystemDictionaryClient::kMaximumSenses);
    EXPECT_TRUE(take.back().startsWith("⑳ "));
}

TEST_F(SystemDictionaryClientTest, NothingFoundMeansNoEntryAndNoTranscription)
{
    for (const char *text : {"  \n\t", "\u00A0\u00A0", "xyzzyq", "The quick brown fox jumps over the lazy dog."})
        EXPECT_EQ(lookUp(text, "x"), std::nullopt) << text;
    QTemporaryDir directory;
    const SystemDictionaryClient withoutData(std::make_shared<const WordNetDatabase>(directory.filePath("none")),
                                             transcriber);
    EXPECT_EQ(withoutData.lookupDefinition("tomato"), std::nullopt);
    EXPECT_TRUE(transcriber->requests.isEmpty());
}

TEST(SystemDictionaryClient, ReadableGlossKeepsDefinitionsAndTheFirstExample)
{
    const std::pair<const char *, const char *> cases[] = {
        {"flee; take to one's heels; \"If you see this man, run!\"; \"ran away\"",
         "flee; take to one's heels; \"If you see this man, run!\""},
        {"join; \"a; b\"; \"c\"", "join; \"a; b\""},
        {"\"only an example\"", "\"only an example\""},
        {" ; ", ""},
    };
    for (const auto &[gloss, expected] : cases)
        EXPECT_EQ(SystemDictionaryClient::readableGloss(QString::fromUtf8(gloss)), QString::fromUtf8(expected)) << gloss;
}

} // namespace

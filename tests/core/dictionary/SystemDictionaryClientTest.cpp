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
        if (!byAccent.contains(accent))
            return std::nullopt;
        return byAccent.value(accent);
    }
};

std::shared_ptr<const WordNetDatabase> installedDatabase()
{
    static const auto database = std::make_shared<const WordNetDatabase>();
    return database;
}

struct ClientFixture {
    std::shared_ptr<FakeTranscriber> transcriber = std::make_shared<FakeTranscriber>();
    SystemDictionaryClient client{installedDatabase(), transcriber};

    QStringList senseLines(const QString &text) const
    {
        const auto entry = client.lookupDefinition(text);
        if (!entry)
            return {};
        return entry->section(QStringLiteral(" | "), -1).split(QLatin1Char('\n'));
    }
};

TEST(SystemDictionaryClient, EntryIsHeadwordPronunciationsAndNumberedSenses)
{
    ClientFixture fixture;
    fixture.transcriber->byAccent = {{QStringLiteral("american"), QStringLiteral("təˈmeɪɾoʊ")},
                                     {QStringLiteral("british"), QStringLiteral("təˈmɑːtəʊ")}};
    EXPECT_EQ(fixture.client.lookupDefinition(QStringLiteral("  tomato\n")),
              QStringLiteral("tomato | təˈmeɪɾoʊ, təˈmɑːtəʊ | ① noun: mildly acid red or yellow pulpy fruit eaten as a "
                             "vegetable\n② noun: native to South America; widely cultivated in many varieties"));
    EXPECT_EQ(fixture.transcriber->requests,
              (QStringList{QStringLiteral("american:tomato"), QStringLiteral("british:tomato")}));
}

TEST(SystemDictionaryClient, PronunciationsThatAreMissingEqualOrMalformedAreLeftOut)
{
    ClientFixture same;
    same.transcriber->byAccent = {{QStringLiteral("american"), QStringLiteral("ˈlʊk ˈʌp")},
                                  {QStringLiteral("british"), QStringLiteral("ˈlʊk ˈʌp")}};
    EXPECT_TRUE(same.client.lookupDefinition(QStringLiteral("look up"))->startsWith(QStringLiteral("look up | ˈlʊk ˈʌp | ①")));

    // Without any transcription the entry has two pieces; a comma or bar would break the shape.
    ClientFixture none;
    none.transcriber->byAccent = {{QStringLiteral("american"), QStringLiteral("a, b")},
                                  {QStringLiteral("british"), QStringLiteral(" | ")}};
    EXPECT_TRUE(none.client.lookupDefinition(QStringLiteral("look up"))->startsWith(QStringLiteral("look up | ① verb: ")));
}

TEST(SystemDictionaryClient, FindsBaseFormsAndPhrasesNamingTheBaseForm)
{
    ClientFixture fixture;
    const auto geese = fixture.client.lookupDefinition(QStringLiteral("Geese"));
    ASSERT_TRUE(geese.has_value());
    EXPECT_TRUE(geese->startsWith(QStringLiteral("Geese | ① noun (goose): web-footed long-necked"))) << geese->toStdString();

    const QStringList running = fixture.senseLines(QStringLiteral("running"));
    ASSERT_FALSE(running.isEmpty());
    EXPECT_TRUE(running.front().startsWith(QStringLiteral("① noun: "))) << running.front().toStdString();
    EXPECT_TRUE(running.contains(QStringLiteral("⑥ verb (run): move fast by using one's feet, with one foot off the ground "
                                                "at any given time; \"Don't run--you'll be out of breath\"")));

    // Phrases, also when the words are separated by no-break spaces.
    EXPECT_EQ(fixture.senseLines(QStringLiteral("\u00A0look\u00A0up\u00A0")),
              QStringList{QStringLiteral("① verb: seek information from; \"You should consult the dictionary\"")});
    const QStringList gaveUp = fixture.senseLines(QStringLiteral("gave up"));
    ASSERT_FALSE(gaveUp.isEmpty());
    EXPECT_TRUE(gaveUp.front().startsWith(QStringLiteral("① verb (give up): "))) << gaveUp.front().toStdString();
}

TEST(SystemDictionaryClient, ListsAtMostTwentySenses)
{
    ClientFixture fixture;
    const QStringList lines = fixture.senseLines(QStringLiteral("take"));
    ASSERT_EQ(lines.size(), SystemDictionaryClient::kMaximumSenses);
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("① ")));
    EXPECT_TRUE(lines.back().startsWith(QStringLiteral("⑳ ")));
}

TEST(SystemDictionaryClient, NothingFoundMeansNoEntryAndNoTranscription)
{
    ClientFixture fixture;
    fixture.transcriber->byAccent = {{QStringLiteral("american"), QStringLiteral("x")}};
    for (const QString &text : {QString(), QStringLiteral("  \n\t"), QStringLiteral("\u00A0\u00A0"), QStringLiteral("xyzzyq"),
                               QStringLiteral("The quick brown fox jumps over the lazy dog.")})
        EXPECT_EQ(fixture.client.lookupDefinition(text), std::nullopt) << text.toStdString();
    EXPECT_TRUE(fixture.transcriber->requests.isEmpty());

    QTemporaryDir directory;
    const SystemDictionaryClient withoutData(std::make_shared<const WordNetDatabase>(directory.filePath(QStringLiteral("none"))),
                                             fixture.transcriber);
    EXPECT_EQ(withoutData.lookupDefinition(QStringLiteral("tomato")), std::nullopt);
    EXPECT_TRUE(fixture.transcriber->requests.isEmpty());
}

TEST(SystemDictionaryClient, ReadableGlossKeepsDefinitionsAndTheFirstExample)
{
    const std::pair<const char *, const char *> cases[] = {
        {"a small stream", "a small stream"},
        {"flee; take to one's heels; \"If you see this man, run!\"; \"ran away\"",
         "flee; take to one's heels; \"If you see this man, run!\""},
        {"join; \"a; b\"; \"c\"", "join; \"a; b\""},
        {"\"only an example\"", "\"only an example\""},
        {" ; ", ""},
    };
    for (const auto &[gloss, expected] : cases)
        EXPECT_EQ(SystemDictionaryClient::readableGloss(QString::fromUtf8(gloss)), QString::fromUtf8(expected))
            << gloss;
}

} // namespace

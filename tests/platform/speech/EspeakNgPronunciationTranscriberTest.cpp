#include "platform/speech/EspeakNgPronunciationTranscriber.h"

#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const QString kAmerican = QStringLiteral("american"), kBritish = QStringLiteral("british");
const QString kTomatoUS = QStringLiteral("təˈmeɪɾoʊ"), kTomatoUK = QStringLiteral("təˈmɑːtəʊ");

TEST(EspeakNgPronunciationTranscriber, TranscribesInTheAccentAsked)
{
    const EspeakNgPronunciationTranscriber transcriber;
    const std::tuple<const char *, QString, std::optional<QString>> rows[] = {
        {"tomato", kAmerican, kTomatoUS},
        {"tomato", kBritish, kTomatoUK},
        {"tomato", QString(), kTomatoUS}, // any accent other than British is American
        {"install", kAmerican, QStringLiteral("ɪnˈstɔːl")}, // stress before the syllable's onset
        {"hello, world", kBritish, QStringLiteral("həˈləʊ ˈwɜːld")}, // clause breaks come back as one line
        {" \n ", kAmerican, std::nullopt},
    };
    for (const auto &[text, accent, expected] : rows)
        EXPECT_EQ(transcriber.transcribe(QString::fromUtf8(text), accent), expected) << text;

    // The engine is one global; callers on several threads must each get their own voice.
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                if (transcriber.transcribe(QStringLiteral("tomato"), t % 2 ? kBritish : kAmerican) != (t % 2 ? kTomatoUK : kTomatoUS))
                    ++mismatches;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

TEST(SystemDictionaryWithEspeakNg, KnownWordsCarryBothPronunciations)
{
    const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(),
                                        std::make_shared<const EspeakNgPronunciationTranscriber>());
    const auto tomato = client.lookupDefinition(QStringLiteral("tomato"));
    EXPECT_TRUE(tomato && tomato->startsWith(QStringLiteral("tomato | %1, %2 | ").arg(kTomatoUS, kTomatoUK)));
    // Both voices agree here, so one form.
    const auto lookUp = client.lookupDefinition(QStringLiteral("look up"));
    EXPECT_TRUE(lookUp && lookUp->startsWith(QStringLiteral("look up | ˈlʊk ˈʌp | "))) << lookUp.value_or("").toStdString();
    // espeak-ng would invent a pronunciation; the dictionary does not know the word.
    EXPECT_EQ(client.lookupDefinition(QStringLiteral("xyzzyq")), std::nullopt);
}

} // namespace

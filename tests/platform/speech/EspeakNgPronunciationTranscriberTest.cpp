#include "platform/speech/EspeakNgPronunciationTranscriber.h"

#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

const QString kAmerican = QStringLiteral("american");
const QString kBritish = QStringLiteral("british");

TEST(EspeakNgPronunciationTranscriber, AmericanAndBritishVoicesDiffer)
{
    const EspeakNgPronunciationTranscriber transcriber;
    EXPECT_EQ(transcriber.transcribe(QStringLiteral("tomato"), kAmerican), QStringLiteral("təˈmeɪɾoʊ"));
    EXPECT_EQ(transcriber.transcribe(QStringLiteral("tomato"), kBritish), QStringLiteral("təˈmɑːtəʊ"));
    // Any accent other than "british" is American.
    EXPECT_EQ(transcriber.transcribe(QStringLiteral("tomato"), QString()), QStringLiteral("təˈmeɪɾoʊ"));
    // Stress goes before the syllable's onset; clause breaks come back as one line.
    EXPECT_EQ(transcriber.transcribe(QStringLiteral("install"), kAmerican), QStringLiteral("ɪnˈstɔːl"));
    EXPECT_EQ(transcriber.transcribe(QStringLiteral("hello, world"), kBritish), QStringLiteral("həˈləʊ ˈwɜːld"));
    EXPECT_EQ(transcriber.transcribe(QStringLiteral(" \n "), kAmerican), std::nullopt);
}

// The engine is one global; callers on several threads must each get their own voice.
TEST(EspeakNgPronunciationTranscriber, ConcurrentCallersKeepTheirAccents)
{
    const EspeakNgPronunciationTranscriber transcriber;
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const QString &accent = t % 2 == 0 ? kAmerican : kBritish;
            const QString expected = t % 2 == 0 ? QStringLiteral("təˈmeɪɾoʊ") : QStringLiteral("təˈmɑːtəʊ");
            for (int i = 0; i < 50; ++i) {
                if (transcriber.transcribe(QStringLiteral("tomato"), accent) != expected)
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
    ASSERT_TRUE(tomato.has_value());
    EXPECT_TRUE(tomato->startsWith(QStringLiteral("tomato | təˈmeɪɾoʊ, təˈmɑːtəʊ | ① noun: "))) << tomato->toStdString();
    // Both voices agree here, so one form.
    const auto lookUp = client.lookupDefinition(QStringLiteral("look up"));
    ASSERT_TRUE(lookUp.has_value());
    EXPECT_TRUE(lookUp->startsWith(QStringLiteral("look up | ˈlʊk ˈʌp | ① verb: "))) << lookUp->toStdString();
    // espeak-ng would invent a pronunciation; the dictionary does not know the word.
    EXPECT_EQ(client.lookupDefinition(QStringLiteral("xyzzyq")), std::nullopt);
}

} // namespace

#include "platform/speech/EspeakNgPronunciationTranscriber.h"

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

} // namespace

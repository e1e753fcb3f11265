#include "viewmodels/pronunciation/PronunciationPlaybackController.h"

#include "foundation/AppError.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/KeychainAPIKeyStoreError.h"
#include "speech/AudioPlaying.h"
#include "speech/OpenAITextToSpeechClient.h"
#include "speech/SystemSpeechClient.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using State = PronunciationPlaybackController::State;

// A speech service, system voice and player in one: each call is recorded with the outcome
// the test settles later. Cancelling the caller's token rejects it, as the real ones do.
struct FakeSpeech : TextToSpeechClient, SystemSpeechClient, AudioPlaying {
    struct Call {
        QString text, detail; // detail: the key a service got, the voice's accent
        QByteArray audio;
        QUuid settingsID;
        Deferred<QByteArray> outcome;
        CancellationToken::Registration link;
    };

    QCoro::Task<QByteArray> speechAudio(QString text, UserSettings settings, CancellationToken cancellation) override
    {
        co_return co_await record(text, settings.ttsAPIKey, {}, settings.id, cancellation);
    }
    QCoro::Task<void> speak(QString text, QString accent, CancellationToken cancellation) override
    {
        co_await record(text, accent, {}, {}, cancellation);
    }
    QCoro::Task<void> play(QByteArray audio, CancellationToken cancellation) override
    {
        co_await record({}, {}, audio, {}, cancellation);
    }

    QCoro::Task<QByteArray> record(QString text, QString detail, QByteArray audio, QUuid settingsID,
                                   const CancellationToken &cancellation)
    {
        auto pending = std::make_shared<Call>();
        *pending = {std::move(text), std::move(detail), std::move(audio), settingsID, {}, {}};
        pending->link = cancellation.onCancel([weak = std::weak_ptr(pending)] {
            if (auto cancelled = weak.lock())
                cancelled->outcome.reject(CancellationError());
        });
        calls.push_back(pending);
        co_return co_await pending->outcome;
    }
    void end(size_t index) { calls.at(index)->outcome.resolve({}); }

    std::deque<std::shared_ptr<Call>> calls;
};

class PronunciationPlaybackControllerTest : public ::testing::Test {
protected:
    static UserSettings settings(const QString &provider, const QString &accent = QStringLiteral("american"))
    {
        UserSettings snapshot;
        snapshot.ttsProvider = provider;
        snapshot.systemPronunciationAccent = accent;
        return snapshot;
    }

    std::shared_ptr<FakeSpeech> openAI = std::make_shared<FakeSpeech>();
    std::shared_ptr<FakeSpeech> compatible = std::make_shared<FakeSpeech>();
    std::shared_ptr<InMemoryAPIKeyStore> keys = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-stored"));
    std::shared_ptr<FakeSpeech> voice = std::make_shared<FakeSpeech>();
    std::shared_ptr<FakeSpeech> player = std::make_shared<FakeSpeech>();
    PronunciationPlaybackController controller{{openAI, compatible, keys, voice, player}};
};

TEST_F(PronunciationPlaybackControllerTest, SingleWordsGoToTheSystemVoiceAndTheRestToTheProvidersClient)
{
    struct Row {
        const char *provider, *text, *accent;
        const char *route; // "voice", "openai", "compatible" or the failure message
    };
    const Row rows[] = {
        {"openai", "Hello", "american", "voice"},
        {"dashScopeQwen", " well-known ", "british", "voice"},
        {"openai", "hello world", "british", "openai"},
        {"openAICompatible", "look up", "american", "compatible"},
        {"dashScopeQwen", "o'clock!", "american", "compatible"},
        {"dashScopeCosyVoice", "good morning", "american", "compatible"},
        {"system", "look up", "british", "voice"},
        {"azure", "good morning", "american", "发音失败：当前版本支持 OpenAI、阿里云百炼 Qwen-TTS 和系统朗读。"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.provider) + " / " + row.text);
        const size_t before[] = {voice->calls.size(), openAI->calls.size(), compatible->calls.size()};
        controller.play(QString::fromUtf8(row.text), settings(QString::fromLatin1(row.provider), row.accent));
        const QString route = QString::fromUtf8(row.route);
        EXPECT_EQ(voice->calls.size() - before[0], route == u"voice" ? 1u : 0u);
        EXPECT_EQ(openAI->calls.size() - before[1], route == u"openai" ? 1u : 0u);
        EXPECT_EQ(compatible->calls.size() - before[2], route == u"compatible" ? 1u : 0u);
        if (route == u"voice") {
            EXPECT_EQ(voice->calls.back()->detail, row.accent);
        } else if (route != u"openai" && route != u"compatible") {
            EXPECT_EQ(controller.state(), State::failed(route));
        }
    }

    for (const char *word : {"co-operate", "o'clock", " don't\n", "Hello"})
        EXPECT_TRUE(PronunciationPlaybackController::isSingleEnglishWord(QString::fromUtf8(word))) << word;
    for (const char *other : {"3D", "naïve", "hello,", "", "well--known", "-up", "look up"})
        EXPECT_FALSE(PronunciationPlaybackController::isSingleEnglishWord(QString::fromUtf8(other))) << other;
}

TEST_F(PronunciationPlaybackControllerTest, ServiceAudioLoadsWithTheStoredKeyPlaysAndEndsInIdle)
{
    const UserSettings snapshot = settings(QStringLiteral("openai"));
    controller.play(QStringLiteral("hello world"), snapshot);
    EXPECT_EQ(controller.state(), State::loading());
    ASSERT_EQ(openAI->calls.size(), 1u);
    EXPECT_EQ(openAI->calls[0]->detail, "sk-stored");
    EXPECT_NE(openAI->calls[0]->settingsID, snapshot.id) << "a new snapshot carries the key";

    openAI->calls[0]->outcome.resolve("MP3");
    EXPECT_EQ(controller.state(), State::playing());
    ASSERT_EQ(player->calls.size(), 1u);
    EXPECT_EQ(player->calls[0]->audio, "MP3");
    player->end(0);
    EXPECT_EQ(controller.state(), State::idle()) << "the button no longer claims to be playing";
}

TEST_F(PronunciationPlaybackControllerTest, OnlyTheNewestPlayChangesTheStateOrStartsAudio)
{
    const UserSettings snapshot = settings(QStringLiteral("openAICompatible"));
    controller.play(QStringLiteral("first phrase"), snapshot);
    controller.play(QStringLiteral("second phrase"), snapshot);
    ASSERT_EQ(compatible->calls.size(), 2u);
    compatible->calls[1]->outcome.resolve("SECOND");
    compatible->calls[0]->outcome.resolve("FIRST"); // already cancelled, or at least too late
    ASSERT_EQ(player->calls.size(), 1u);
    EXPECT_EQ(player->calls[0]->audio, "SECOND");

    // A word while the phrase sounds: the phrase's end and a stale failure change nothing.
    controller.play(QStringLiteral("third phrase"), snapshot);
    controller.play(QStringLiteral("word"), snapshot);
    compatible->calls[2]->outcome.reject(AppError::textToSpeechFailed(QStringLiteral("stale")));
    player->end(0);
    EXPECT_EQ(controller.state(), State::playing());
    voice->end(0);
    EXPECT_EQ(controller.state(), State::idle());

    // A newer service audio replaces the one still sounding.
    controller.play(QStringLiteral("fourth phrase"), snapshot);
    compatible->calls[3]->outcome.resolve("FOURTH");
    controller.play(QStringLiteral("fifth phrase"), snapshot);
    compatible->calls[4]->outcome.resolve("FIFTH");
    EXPECT_TRUE(player->calls[1]->outcome.isSettled()) << "the older player was stopped";
    controller.stop();
    EXPECT_EQ(controller.state(), State::idle());
    EXPECT_TRUE(player->calls[2]->outcome.isSettled());
}

TEST_F(PronunciationPlaybackControllerTest, AMissingOrUnreadableKeyShowsItsMessage)
{
    // The real client: an empty stored key never reaches the network.
    keys = std::make_shared<InMemoryAPIKeyStore>();
    PronunciationPlaybackController real({std::make_shared<OpenAITextToSpeechClient>(nullptr), compatible, keys, voice,
                                          player});
    real.play(QStringLiteral("hello world"), settings(QStringLiteral("openai")));
    EXPECT_EQ(real.state(), State::failed(AppError::invalidTextToSpeechSettings().errorDescription()));

    keys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    real.play(QStringLiteral("hello world"), settings(QStringLiteral("openai")));
    EXPECT_TRUE(real.state().message().contains(QStringLiteral("-25291"))) << real.state().message().toStdString();
}

} // namespace

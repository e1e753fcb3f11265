#include "app/DeferredAPIKeyStore.h"
#include "app/DeferredHTTPTransport.h"
#include "app/DeferredPlaybackOutput.h"
#include "app/DeferredPronunciationTranscriber.h"
#include "preferences/InMemoryAPIKeyStore.h"

#include "support/CoroutineTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct RecordingOutput : SystemSpeechClient, AudioPlaying {
    QCoro::Task<void> speak(QString text, QString accent, CancellationToken) override
    {
        calls << text + QLatin1Char('/') + accent;
        co_return;
    }
    QCoro::Task<void> play(QByteArray audio, CancellationToken) override
    {
        calls << QString::fromLatin1(audio);
        co_return;
    }
    QStringList calls;
};

struct EchoTransport : HTTPTransport {
    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken) override
    {
        co_return HTTPResponse{request.body, 200};
    }
};

struct EchoTranscriber : PronunciationTranscribing {
    std::optional<QString> transcribe(const QString &text, const QString &) const override { return text; }
};

} // namespace

// What they stand for is made at the first call, and only once; its failure to load reaches
// the caller through the task, and the next call tries again.
TEST(DeferredCollaboratorsTest, MakeWhatTheyStandForAtTheFirstCallOnly)
{
    int made = 0;
    DeferredAPIKeyStore keys([&] {
        ++made;
        return std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-old"));
    });
    EXPECT_EQ(made, 0);
    waitForTask(keys.saveAPIKey(QStringLiteral("sk-new")));
    EXPECT_EQ(waitForTask(keys.loadAPIKey()), QStringLiteral("sk-new"));
    EXPECT_EQ(made, 1);

    made = 0;
    const DeferredPronunciationTranscriber transcriber([&] {
        ++made;
        return std::make_shared<EchoTranscriber>();
    });
    EXPECT_EQ(transcriber.transcribe(QStringLiteral("word"), {}), QStringLiteral("word"));
    transcriber.transcribe(QStringLiteral("word"), {});
    EXPECT_EQ(made, 1);

    made = 0;
    auto recorder = std::make_shared<RecordingOutput>();
    DeferredPlaybackOutput output([&]() -> DeferredPlaybackOutput::Output {
        if (++made == 1)
            throw std::runtime_error("module missing");
        return {recorder, recorder};
    });
    EXPECT_EQ(made, 0);
    auto failed = output.play("first");
    EXPECT_THROW(waitForTask(std::move(failed)), std::runtime_error);
    waitForTask(output.speak(QStringLiteral("hello"), QStringLiteral("british")));
    waitForTask(output.play("bytes"));
    EXPECT_EQ(made, 2);
    EXPECT_EQ(recorder->calls, (QStringList{QStringLiteral("hello/british"), QStringLiteral("bytes")}));

    made = 0;
    DeferredHTTPTransport transport([&]() -> std::shared_ptr<HTTPTransport> {
        if (++made == 1)
            throw std::runtime_error("module missing");
        return std::make_shared<EchoTransport>();
    });
    EXPECT_EQ(made, 0);
    EXPECT_THROW(waitForTask(transport.data({})), std::runtime_error);
    HTTPRequest request;
    request.body = "ping";
    EXPECT_EQ(waitForTask(transport.data(request)).body, "ping");
    waitForTask(transport.data({}));
    EXPECT_EQ(made, 2);
}

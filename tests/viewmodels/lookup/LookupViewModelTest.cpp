#include "viewmodels/lookup/LookupViewModel.h"

#include "preferences/InMemoryAPIKeyStore.h"
#include "ai/OpenAICompatibleAIClient.h"
#include "support/TestSupport.h"
#include "foundation/AppError.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

using State = LookupViewModel::State;
using Kind = LookupViewModel::State::Kind;

void PrintTo(const State &state, std::ostream *os)
{
    static const char *const names[] = {"idle",   "capturingText", "loadingExplanation", "loadingDetailedExplanation",
                                        "readyForAILookup", "loaded", "failed"};
    *os << names[static_cast<int>(state.kind())] << '(';
    if (state.selectedText())
        *os << "text=" << state.selectedText()->toStdString() << ' ';
    if (!state.message().isEmpty())
        *os << "message=" << state.message().toStdString() << ' ';
    if (state.fastResult())
        *os << "fast=" << state.fastResult()->primaryMeaning.toStdString();
    if (state.result())
        *os << "result=" << state.result()->contextualMeaning.toStdString();
    *os << ')';
}

namespace {

const QString unavailableMessage = AppError::selectedTextUnavailable().errorDescription();
const QString serverFailureMessage = AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")).errorDescription();

// What a model sends back: it echoes the text and guesses the type as it likes.
LookupResult fullAnswer(const QString &meaning)
{
    LookupResult result;
    result.selectedText = QStringLiteral("Echoed Text");
    result.itemType = LearningItemType::sentence;
    result.source = LookupResultSource::systemDictionary;
    result.contextualMeaning = meaning;
    result.examples = {QStringLiteral("An example.")};
    return result;
}

FastLookupResult fastAnswer(const QString &meaning)
{
    FastLookupResult result;
    result.selectedText = QStringLiteral("Echoed Text");
    result.itemType = LearningItemType::sentence;
    result.primaryMeaning = meaning;
    return result;
}

// What the view model should make of them for the text it looked up.
LookupResult normalizedFull(const QString &meaning, const QString &text, LearningItemType itemType)
{
    LookupResult result = fullAnswer(meaning);
    result.selectedText = text;
    result.itemType = itemType;
    result.source = LookupResultSource::ai;
    return result;
}

FastLookupResult normalizedFast(const QString &meaning, const QString &text)
{
    FastLookupResult result = fastAnswer(meaning);
    result.selectedText = text;
    return result;
}

// A key store whose answer the test gives later.
class PendingAPIKeyStore : public APIKeyStoring {
public:
    QCoro::Task<QString> loadAPIKey() override { co_return co_await key; }
    QCoro::Task<void> saveAPIKey(QString) override { co_return; }

    Deferred<QString> key;
};

// Fails the test if the AI client sends anything.
class RefusingHTTPTransport : public HTTPTransport {
public:
    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken) override
    {
        ++requestCount;
        ADD_FAILURE() << "unexpected request to " << request.url.toString().toStdString();
        throw std::logic_error("unexpected request");
        co_return HTTPResponse{};
    }

    int requestCount = 0;
};

class LookupViewModelTest : public ::testing::Test {
protected:
    LookupViewModelTest()
    {
        settings.apiKey = QStringLiteral("sk-from-settings");
        settings.aiModel = QStringLiteral("gpt-4o-mini");
        settings.baseURL = QStringLiteral("https://api.example.com/v1/chat/completions");
        makeViewModel(ai);
    }

    void makeViewModel(std::shared_ptr<AIClient> client)
    {
        viewModel = std::make_unique<LookupViewModel>(capture, std::move(client), keyStore, cache, dictionary);
        history.clear();
        QObject::connect(viewModel.get(), &LookupViewModel::stateChanged,
                         [this] { history.push_back(viewModel->state()); });
    }

    const State &state() const { return viewModel->state(); }
    PendingRequest<LookupResult> &full(size_t index = 0) { return *ai->lookups.at(index); }
    PendingRequest<FastLookupResult> &fast(size_t index = 0) { return *ai->fastLookups.at(index); }

    UserSettings settings;
    std::shared_ptr<FakeSelectionCaptureService> capture = std::make_shared<FakeSelectionCaptureService>();
    std::shared_ptr<FakeAIClient> ai = std::make_shared<FakeAIClient>();
    std::shared_ptr<APIKeyStoring> keyStore = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-from-store"));
    std::shared_ptr<InMemoryLookupResultCache> cache = std::make_shared<InMemoryLookupResultCache>();
    std::shared_ptr<FakeSystemDictionary> dictionary = std::make_shared<FakeSystemDictionary>();
    std::unique_ptr<LookupViewModel> viewModel;
    std::vector<State> history;
};

TEST_F(LookupViewModelTest, ShowsTheQuickAnswerThenTheFullOneAndCachesIt)
{
    viewModel->lookupWithAI(QStringLiteral("  look up \n"), settings);

    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("look up")));
    ASSERT_EQ(ai->lookups.size(), 1u);
    ASSERT_EQ(ai->fastLookups.size(), 1u);
    EXPECT_EQ(full().text, QStringLiteral("look up"));
    EXPECT_EQ(full().itemType, LearningItemType::phrase);
    EXPECT_EQ(full().settings.apiKey, QStringLiteral("sk-from-settings"));
    EXPECT_EQ(fast().text, QStringLiteral("look up"));
    EXPECT_EQ(fast().itemType, LearningItemType::phrase);

    fast().answer.resolve(fastAnswer(QStringLiteral("查阅")));
    // The quick answer keeps the type the model gave it; only its text is ours.
    EXPECT_EQ(state(), State::loadingDetailedExplanation(normalizedFast(QStringLiteral("查阅"), "look up")));

    full().answer.resolve(fullAnswer(QStringLiteral("查找")));
    const LookupResult expected = normalizedFull(QStringLiteral("查找"), "look up", LearningItemType::phrase);
    EXPECT_EQ(state(), State::loaded(expected));
    EXPECT_EQ(cache->stored, QList<LookupResult>{expected});
    EXPECT_EQ(history.size(), 3u);
}

TEST_F(LookupViewModelTest, OnlyTheFullPassDecidesTheOutcome)
{
    // A quick answer that comes after the full one is dropped; its request was cancelled.
    ai->fastLookupsHonourCancellation = false;
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    full().answer.resolve(fullAnswer(QStringLiteral("苹果")));
    EXPECT_TRUE(fast().isCancelled());
    fast().answer.resolve(fastAnswer(QStringLiteral("苹")));
    EXPECT_EQ(state(), State::loaded(normalizedFull(QStringLiteral("苹果"), "apple", LearningItemType::word)));
    EXPECT_EQ(history.size(), 2u);

    // A failed quick pass shows nothing; the full answer still arrives.
    viewModel->lookupWithAI(QStringLiteral("pear"), settings);
    fast(1).answer.reject(AppError::invalidAIResponse());
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("pear")));
    full(1).answer.resolve(fullAnswer(QStringLiteral("梨")));
    EXPECT_EQ(state(), State::loaded(normalizedFull(QStringLiteral("梨"), "pear", LearningItemType::word)));

    // A failed full pass replaces a quick answer that was on screen.
    viewModel->lookupWithAI(QStringLiteral("plum"), settings);
    fast(2).answer.resolve(fastAnswer(QStringLiteral("李子")));
    full(2).answer.reject(AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")));
    EXPECT_EQ(state(), State::failed(serverFailureMessage, QStringLiteral("plum")));
    EXPECT_EQ(cache->stored.size(), 2);
}

TEST_F(LookupViewModelTest, AnOvertakenLookupChangesNothing)
{
    viewModel->lookupWithAI(QStringLiteral("first"), settings);
    viewModel->lookupWithAI(QStringLiteral("second"), settings);
    const State waiting = State::loadingExplanation(QStringLiteral("second"));
    EXPECT_EQ(state(), waiting);

    fast(0).answer.resolve(fastAnswer(QStringLiteral("第一")));
    full(0).answer.resolve(fullAnswer(QStringLiteral("第一")));
    EXPECT_EQ(state(), waiting);
    EXPECT_TRUE(cache->stored.isEmpty());

    full(1).answer.reject(AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")));
    EXPECT_EQ(state(), State::failed(serverFailureMessage, QStringLiteral("second")));

    // A failure shown by the shell overtakes a pending lookup too, and a cancellation of
    // an overtaken lookup does not bring back idle.
    viewModel->lookupWithAI(QStringLiteral("third"), settings);
    viewModel->showFailure(QStringLiteral("缺少权限"));
    full(2).answer.resolve(fullAnswer(QStringLiteral("第三")));
    fast(2).answer.reject(CancellationError());
    EXPECT_EQ(state(), State::failed(QStringLiteral("缺少权限")));
    EXPECT_TRUE(cache->stored.isEmpty());
}

TEST_F(LookupViewModelTest, CancellingEndsInIdle)
{
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    fast().answer.resolve(fastAnswer(QStringLiteral("苹果")));
    viewModel->cancel();
    EXPECT_TRUE(full().isCancelled());
    EXPECT_EQ(state(), State::idle());
    EXPECT_TRUE(cache->stored.isEmpty());

    viewModel->lookupFromSelection(settings);
    EXPECT_EQ(state(), State::capturingText());
    viewModel->cancel();
    EXPECT_TRUE(capture->captures.at(0)->isCancelled());
    EXPECT_EQ(state(), State::idle());

    // The key store cannot be interrupted; the cancellation takes effect when it answers.
    auto pendingKeyStore = std::make_shared<PendingAPIKeyStore>();
    keyStore = pendingKeyStore;
    makeViewModel(ai);
    settings.apiKey.clear();
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    viewModel->cancel();
    pendingKeyStore->key.resolve(QStringLiteral("sk-late"));
    EXPECT_EQ(state(), State::idle());
    EXPECT_EQ(ai->lookups.size(), 1u);

    // Going away cancels whatever is still pending, overtaken lookups included.
    keyStore = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-from-store"));
    makeViewModel(ai);
    viewModel->lookupWithAI(QStringLiteral("fig"), settings);
    viewModel->lookupWithAI(QStringLiteral("kiwi"), settings);
    viewModel->lookupFromSelection(settings);
    viewModel.reset();
    ASSERT_EQ(ai->lookups.size(), 3u);
    for (const auto &request : ai->lookups)
        EXPECT_TRUE(request->isCancelled()) << request->text.toStdString();
    for (const auto &request : ai->fastLookups)
        EXPECT_TRUE(request->isCancelled()) << request->text.toStdString();
    EXPECT_TRUE(capture->captures.at(1)->isCancelled());
}

TEST_F(LookupViewModelTest, ResolvesAMissingKeyFromTheKeyStore)
{
    settings.apiKey.clear();
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    EXPECT_EQ(full().settings.apiKey, QStringLiteral("sk-from-store"));
    EXPECT_EQ(fast().settings.apiKey, QStringLiteral("sk-from-store"));

    // A store that cannot answer: its status is shown, nothing is sent.
    auto failingStore = std::make_shared<InMemoryAPIKeyStore>();
    failingStore->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::authFailedStatus));
    keyStore = failingStore;
    makeViewModel(ai);
    viewModel->lookupWithAI(QStringLiteral("pear"), settings);
    EXPECT_EQ(state(), State::failed(QStringLiteral("Keychain 操作失败（OSStatus -25293）。"), QStringLiteral("pear")));
    EXPECT_EQ(ai->lookups.size(), 1u);

    // An empty store: the real client refuses before sending anything.
    keyStore = std::make_shared<InMemoryAPIKeyStore>();
    auto transport = std::make_shared<RefusingHTTPTransport>();
    makeViewModel(std::make_shared<OpenAICompatibleAIClient>(transport, [](const QString &) {}));
    viewModel->lookupWithAI(QStringLiteral("plum"), settings);
    EXPECT_EQ(state(), State::failed(AppError::invalidAISettings().errorDescription(), QStringLiteral("plum")));
    EXPECT_EQ(transport->requestCount, 0);
}

TEST_F(LookupViewModelTest, AnswersFromTheCacheWithoutAnyRequest)
{
    LookupResult cached = normalizedFull(QStringLiteral("查找"), "look up", LearningItemType::phrase);
    cache->entries.insert_or_assign({QStringLiteral("look up"), LearningItemType::phrase}, cached);

    viewModel->lookupWithAI(QStringLiteral("\t look up\n"), settings);

    EXPECT_EQ(state(), State::loaded(cached));
    EXPECT_EQ(history.size(), 1u);
    EXPECT_TRUE(ai->lookups.empty());
    EXPECT_TRUE(ai->fastLookups.empty());
    const QList<std::pair<QString, LearningItemType>> expectedReads{{QStringLiteral("look up"), LearningItemType::phrase}};
    EXPECT_EQ(cache->reads, expectedReads);
}

TEST_F(LookupViewModelTest, LooksTextUpInTheDictionary)
{
    const QString entry = QStringLiteral("look up | ① verb: seek information");
    dictionary->definitions.insert(QStringLiteral("look up"), entry);

    viewModel->lookupWithSystemDictionary(QStringLiteral(" look up "), settings);
    LookupResult expected;
    expected.selectedText = QStringLiteral("look up");
    expected.itemType = LearningItemType::word;
    expected.source = LookupResultSource::systemDictionary;
    expected.contextualMeaning = entry;
    EXPECT_EQ(state(), State::loaded(expected));

    viewModel->lookupWithSystemDictionary(QStringLiteral("qwzx"), settings);
    EXPECT_EQ(state(), State::readyForAILookup(QStringLiteral("qwzx"), LookupViewModel::systemDictionaryMissMessage));
    EXPECT_EQ(dictionary->queries, QStringList({QStringLiteral("look up"), QStringLiteral("qwzx")}));
    EXPECT_TRUE(ai->lookups.empty());
    EXPECT_TRUE(cache->stored.isEmpty());
}

TEST_F(LookupViewModelTest, RetryRepeatsWhatFailed)
{
    // A failed capture is retried by capturing again.
    viewModel->lookupFromSelection(settings);
    capture->captures.at(0)->answer.reject(AppError::permissionDenied(QStringLiteral("辅助功能")));
    EXPECT_EQ(state(), State::failed(AppError::permissionDenied(QStringLiteral("辅助功能")).errorDescription()));

    viewModel->retry(settings);
    ASSERT_EQ(capture->captures.size(), 2u);
    EXPECT_EQ(state(), State::capturingText());
    capture->captures.at(1)->answer.resolve(QStringLiteral(" apple\n"));
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("apple")));

    // A failed AI lookup is repeated with its text, without capturing.
    full().answer.reject(AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")));
    EXPECT_EQ(state(), State::failed(serverFailureMessage, QStringLiteral("apple")));
    viewModel->retry(settings);
    EXPECT_EQ(capture->captures.size(), 2u);
    ASSERT_EQ(ai->lookups.size(), 2u);
    EXPECT_EQ(full(1).text, QStringLiteral("apple"));
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("apple")));
}

TEST_F(LookupViewModelTest, BlankTextFailsWithoutARequest)
{
    viewModel->lookupWithAI(QStringLiteral(" \n\t"), settings);
    EXPECT_EQ(state(), State::failed(unavailableMessage));
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    viewModel->lookupWithAI(QString(), settings);
    EXPECT_EQ(state(), State::failed(unavailableMessage));
    viewModel->lookupWithSystemDictionary(QStringLiteral("\u3000"), settings);
    EXPECT_EQ(state(), State::failed(unavailableMessage));
    viewModel->lookupFromSelection(settings);
    capture->captures.at(0)->answer.resolve(QStringLiteral("  "));
    EXPECT_EQ(state(), State::failed(unavailableMessage));

    EXPECT_EQ(ai->lookups.size(), 1u);
    EXPECT_TRUE(dictionary->queries.isEmpty());
}

TEST(LookupViewModelLocalizedMessage, ShowsEveryFailureInWordsTheLearnerCanRead)
{
    EXPECT_EQ(LookupViewModel::localizedMessage(std::make_exception_ptr(AppError::clipboardRestoreFailed())),
              QStringLiteral("无法恢复原剪贴板内容，请检查剪贴板状态。"));
    EXPECT_EQ(LookupViewModel::localizedMessage(std::make_exception_ptr(
                  KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus))),
              QStringLiteral("Keychain 操作失败（OSStatus -25291）。"));
    EXPECT_EQ(LookupViewModel::localizedMessage(std::make_exception_ptr(std::runtime_error("disk full"))),
              QStringLiteral("disk full"));
    const QString generic = LookupViewModel::localizedMessage(std::make_exception_ptr(42));
    EXPECT_FALSE(generic.isEmpty());
    EXPECT_EQ(LookupViewModel::localizedMessage(std::make_exception_ptr(std::runtime_error(""))), generic);
    EXPECT_EQ(LookupViewModel::localizedMessage(nullptr), generic);
}

} // namespace

TEST(LookupViewModelDetectItemType, ClassifiesByPunctuationThenWordCount)
{
    struct Case {
        QString text;
        LearningItemType expected;
    };
    const Case cases[] = {
        {QStringLiteral("run"), LearningItemType::word},
        {QStringLiteral("  \n\t "), LearningItemType::word},
        {QString(), LearningItemType::word},
        {QStringLiteral("\u00A0serendipity\u3000"), LearningItemType::word},
        {QStringLiteral("look up"), LearningItemType::phrase},
        {QStringLiteral("look\n\tup"), LearningItemType::phrase},
        {QStringLiteral("one two three four five six"), LearningItemType::phrase},
        {QStringLiteral("take it or leave it now please"), LearningItemType::sentence},
        {QStringLiteral("well-known"), LearningItemType::sentence},
        {QStringLiteral("don't"), LearningItemType::sentence},
        {QStringLiteral("Hello."), LearningItemType::sentence},
        {QStringLiteral("你好，world"), LearningItemType::sentence},
        {QStringLiteral("《book》"), LearningItemType::sentence},
        {QStringLiteral("wait—what"), LearningItemType::sentence},
        // Outside the basic plane: a punctuation mark and a letter given as surrogate pairs.
        {QStringLiteral("a\U0001E95Eb"), LearningItemType::sentence},
        {QStringLiteral("x \U0001D400"), LearningItemType::phrase},
        // Symbols are not punctuation.
        {QStringLiteral("$5 + 3"), LearningItemType::phrase},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(LookupViewModel::detectItemType(c.text), c.expected);
    }
}

#include "viewmodels/lookup/LookupViewModel.h"

#include "foundation/AppError.h"
#include "lookup/LookupTextLimit.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/KeychainAPIKeyStoreError.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

using State = LookupViewModel::State;
using Type = LearningItemType;

void PrintTo(const State &state, std::ostream *os)
{
    *os << "kind " << static_cast<int>(state.kind()) << " text " << state.selectedText().value_or("").toStdString()
        << " message " << state.message().toStdString();
}

namespace {

const QString unavailableMessage = AppError::selectedTextUnavailable().errorDescription();
const AppError serverFailure = AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500"));

// A model's answer echoes the text and guesses the type as it likes (the defaults); the view
// model files it under the text it looked up, with its own type, as an AI answer.
LookupResult full(const QString &meaning, const QString &text = QStringLiteral("Echoed Text"),
                  Type type = Type::sentence, LookupResultSource source = LookupResultSource::systemDictionary)
{
    LookupResult result;
    result.selectedText = text;
    result.itemType = type;
    result.source = source;
    result.contextualMeaning = meaning;
    return result;
}

FastLookupResult quick(const QString &meaning, const QString &text = QStringLiteral("Echoed Text"))
{
    FastLookupResult result;
    result.selectedText = text;
    result.itemType = Type::sentence;
    result.primaryMeaning = meaning;
    return result;
}

LookupResult filed(const QString &meaning, const QString &text, Type type)
{
    return full(meaning, text, type, LookupResultSource::ai);
}

// A key store whose answer the test gives later.
class PendingAPIKeyStore : public APIKeyStoring {
public:
    QCoro::Task<QString> loadAPIKey() override { co_return co_await key; }
    QCoro::Task<void> saveAPIKey(QString) override { co_return; }

    Deferred<QString> key;
};

class LookupViewModelTest : public ::testing::Test {
protected:
    LookupViewModelTest()
    {
        settings.apiKey = QStringLiteral("sk-from-settings");
        makeViewModel();
    }

    void makeViewModel()
    {
        viewModel = std::make_unique<LookupViewModel>(capture, ai, keyStore, cache, dictionary);
        history.clear();
        QObject::connect(viewModel.get(), &LookupViewModel::stateChanged,
                         [this] { history.push_back(viewModel->state()); });
    }

    const State &state() const { return viewModel->state(); }
    PendingRequest<LookupResult> &fullRequest(size_t index = 0) { return *ai->lookups.at(index); }
    PendingRequest<FastLookupResult> &quickRequest(size_t index = 0) { return *ai->fastLookups.at(index); }

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
    EXPECT_EQ(fullRequest().text, QStringLiteral("look up"));
    EXPECT_EQ(fullRequest().itemType, Type::phrase);
    EXPECT_EQ(fullRequest().settings.apiKey, QStringLiteral("sk-from-settings"));
    EXPECT_TRUE(quickRequest().text == fullRequest().text && quickRequest().itemType == Type::phrase);

    quickRequest().answer.resolve(quick(QStringLiteral("查阅")));
    // The quick answer keeps the type the model gave it; only its text is ours.
    EXPECT_EQ(state(), State::loadingDetailedExplanation(quick(QStringLiteral("查阅"), QStringLiteral("look up"))));

    fullRequest().answer.resolve(full(QStringLiteral("查找")));
    const LookupResult expected = filed(QStringLiteral("查找"), QStringLiteral("look up"), Type::phrase);
    EXPECT_EQ(state(), State::loaded(expected));
    EXPECT_EQ(cache->stored, QList<LookupResult>{expected});
    EXPECT_EQ(history.size(), 3u);
}

TEST_F(LookupViewModelTest, OnlyTheFullPassDecidesTheOutcome)
{
    // A quick answer that comes after the full one is dropped; its request was cancelled.
    ai->fastLookupsHonourCancellation = false;
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    fullRequest().answer.resolve(full(QStringLiteral("苹果")));
    EXPECT_TRUE(quickRequest().isCancelled());
    quickRequest().answer.resolve(quick(QStringLiteral("苹")));
    EXPECT_EQ(state(), State::loaded(filed(QStringLiteral("苹果"), QStringLiteral("apple"), Type::word)));
    EXPECT_EQ(history.size(), 2u);

    // A failed quick pass shows nothing; the full answer still arrives.
    viewModel->lookupWithAI(QStringLiteral("pear"), settings);
    quickRequest(1).answer.reject(AppError::invalidAIResponse());
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("pear")));
    fullRequest(1).answer.resolve(full(QStringLiteral("梨")));
    EXPECT_EQ(state(), State::loaded(filed(QStringLiteral("梨"), QStringLiteral("pear"), Type::word)));

    // A failed full pass replaces a quick answer that was on screen.
    viewModel->lookupWithAI(QStringLiteral("plum"), settings);
    quickRequest(2).answer.resolve(quick(QStringLiteral("李子")));
    fullRequest(2).answer.reject(serverFailure);
    EXPECT_EQ(state(), State::failed(serverFailure.errorDescription(), QStringLiteral("plum")));
    EXPECT_EQ(cache->stored.size(), 2);
}

TEST_F(LookupViewModelTest, AnOvertakenLookupChangesNothing)
{
    viewModel->lookupWithAI(QStringLiteral("first"), settings);
    viewModel->lookupWithAI(QStringLiteral("second"), settings);
    const State waiting = State::loadingExplanation(QStringLiteral("second"));
    quickRequest(0).answer.resolve(quick(QStringLiteral("第一")));
    fullRequest(0).answer.resolve(full(QStringLiteral("第一")));
    EXPECT_EQ(state(), waiting);
    EXPECT_TRUE(cache->stored.isEmpty());
    fullRequest(1).answer.reject(serverFailure);
    EXPECT_EQ(state(), State::failed(serverFailure.errorDescription(), QStringLiteral("second")));

    // A failure shown by the shell overtakes a pending lookup too, and a cancellation of
    // an overtaken lookup does not bring back idle.
    viewModel->lookupWithAI(QStringLiteral("third"), settings);
    viewModel->showFailure(QStringLiteral("缺少权限"));
    fullRequest(2).answer.resolve(full(QStringLiteral("第三")));
    quickRequest(2).answer.reject(CancellationError());
    EXPECT_EQ(state(), State::failed(QStringLiteral("缺少权限")));
    EXPECT_TRUE(cache->stored.isEmpty());
}

TEST_F(LookupViewModelTest, CancellingEndsInIdle)
{
    viewModel->lookupWithAI(QStringLiteral("apple"), settings);
    quickRequest().answer.resolve(quick(QStringLiteral("苹果")));
    viewModel->cancel();
    EXPECT_TRUE(fullRequest().isCancelled());
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
    makeViewModel();
    viewModel->lookupWithAI(QStringLiteral("apple"), UserSettings());
    viewModel->cancel();
    pendingKeyStore->key.resolve(QStringLiteral("sk-late"));
    EXPECT_EQ(state(), State::idle());
    EXPECT_EQ(ai->lookups.size(), 1u);

    // Going away cancels whatever is still pending, overtaken lookups included.
    keyStore = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-from-store"));
    makeViewModel();
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
    viewModel->lookupWithAI(QStringLiteral("apple"), UserSettings());
    EXPECT_EQ(fullRequest().settings.apiKey, QStringLiteral("sk-from-store"));
    EXPECT_EQ(quickRequest().settings.apiKey, QStringLiteral("sk-from-store"));

    // A store that cannot answer: its status is shown, nothing is sent.
    const auto error = KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::authFailedStatus);
    auto failingStore = std::make_shared<InMemoryAPIKeyStore>();
    failingStore->setFailure(error);
    keyStore = failingStore;
    makeViewModel();
    viewModel->lookupWithAI(QStringLiteral("pear"), UserSettings());
    EXPECT_EQ(state(), State::failed(LookupViewModel::localizedMessage(std::make_exception_ptr(error)),
                                     QStringLiteral("pear")));
    EXPECT_EQ(ai->lookups.size(), 1u);
}

TEST_F(LookupViewModelTest, AnswersFromTheCacheOrTheDictionaryWithoutARequest)
{
    const LookupResult cached = filed(QStringLiteral("查找"), QStringLiteral("look up"), Type::phrase);
    cache->entries.insert_or_assign({QStringLiteral("look up"), Type::phrase}, cached);
    viewModel->lookupWithAI(QStringLiteral("\t look up\n"), settings);
    EXPECT_EQ(state(), State::loaded(cached));
    EXPECT_EQ(history.size(), 1u);

    // The dictionary's entry is a word's, whatever the text; a miss offers the AI.
    dictionary->definitions.insert(QStringLiteral("look up"), QStringLiteral("① verb: seek information"));
    viewModel->lookupWithSystemDictionary(QStringLiteral(" look up "), settings);
    EXPECT_EQ(state(), State::loaded(full(QStringLiteral("① verb: seek information"), QStringLiteral("look up"),
                                          Type::word, LookupResultSource::systemDictionary)));
    viewModel->lookupWithSystemDictionary(QStringLiteral("qwzx"), settings);
    EXPECT_EQ(state(), State::readyForAILookup(QStringLiteral("qwzx"), LookupViewModel::systemDictionaryMissMessage));
    EXPECT_EQ(dictionary->queries, QStringList({QStringLiteral("look up"), QStringLiteral("qwzx")}));
    EXPECT_TRUE(ai->lookups.empty() && ai->fastLookups.empty() && cache->stored.isEmpty());
}

TEST_F(LookupViewModelTest, AWordShowsItsOfflineGlossesUntilTheFirstAnswer)
{
    for (const char *text : {"apple", "look up"})
        dictionary->glances.insert(text, QStringLiteral("%1 | 中文：苹果").arg(text));
    viewModel->lookupWithAI(QStringLiteral(" apple "), settings);
    const LookupResult glance = full(QStringLiteral("apple | 中文：苹果"), QStringLiteral("apple"), Type::word);
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("apple"), glance));
    quickRequest().answer.resolve(quick(QStringLiteral("苹果")));
    EXPECT_EQ(state(), State::loadingDetailedExplanation(quick(QStringLiteral("苹果"), QStringLiteral("apple"))));

    // Phrases and words the dictionary does not know wait as before.
    for (const char *text : {"look up", "pear"}) {
        viewModel->lookupWithAI(QString::fromUtf8(text), settings);
        EXPECT_EQ(state(), State::loadingExplanation(QString::fromUtf8(text)));
    }
}

TEST_F(LookupViewModelTest, RetryRepeatsWhatFailed)
{
    // A failed capture is retried by capturing again.
    const AppError denied = AppError::permissionDenied(QStringLiteral("辅助功能"));
    viewModel->lookupFromSelection(settings);
    capture->captures.at(0)->answer.reject(denied);
    EXPECT_EQ(state(), State::failed(denied.errorDescription()));
    viewModel->retry(settings);
    EXPECT_EQ(state(), State::capturingText());
    capture->captures.at(1)->answer.resolve(QStringLiteral(" apple\n"));
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("apple")));

    // A failed AI lookup is repeated with its text, without capturing.
    fullRequest().answer.reject(serverFailure);
    EXPECT_EQ(state(), State::failed(serverFailure.errorDescription(), QStringLiteral("apple")));
    viewModel->retry(settings);
    EXPECT_EQ(capture->captures.size(), 2u);
    EXPECT_EQ(fullRequest(1).text, QStringLiteral("apple"));
    EXPECT_EQ(state(), State::loadingExplanation(QStringLiteral("apple")));
}

TEST_F(LookupViewModelTest, BlankOrOverlongTextFailsWithoutARequest)
{
    viewModel->lookupWithAI(QStringLiteral(" \n\t"), settings);
    EXPECT_EQ(state(), State::failed(unavailableMessage));
    viewModel->lookupWithSystemDictionary(QStringLiteral("\u3000"), settings);
    EXPECT_EQ(state(), State::failed(unavailableMessage));
    viewModel->lookupFromSelection(settings);
    capture->captures.at(0)->answer.resolve(QStringLiteral("  "));
    EXPECT_EQ(state(), State::failed(unavailableMessage));

    // A page selected by accident is refused whole, not cut; retrying selects again.
    const QString page = QString(LookupTextLimit::maximumCharacters + 1, QLatin1Char('a'));
    viewModel->lookupFromSelection(settings);
    capture->captures.at(1)->answer.resolve(page);
    EXPECT_EQ(state(), State::failed(LookupTextLimit::message()));
    viewModel->retry(settings);
    EXPECT_EQ(capture->captures.size(), 3u);
    viewModel->lookupWithSystemDictionary(page, settings);
    EXPECT_EQ(state(), State::failed(LookupTextLimit::message()));
    EXPECT_TRUE(ai->lookups.empty());
    EXPECT_TRUE(dictionary->queries.isEmpty());

    // Up to the limit the text is looked up as it is; an emoji is one character.
    viewModel->lookupWithAI(page.left(LookupTextLimit::maximumCharacters - 2) + QStringLiteral(" \U0001F600"), settings);
    ASSERT_EQ(ai->lookups.size(), 1u);
}

TEST(LookupViewModelLocalizedMessage, ShowsEveryFailureInWordsTheLearnerCanRead)
{
    const auto message = [](auto error) { return LookupViewModel::localizedMessage(std::make_exception_ptr(error)); };
    EXPECT_EQ(message(AppError::clipboardRestoreFailed()), AppError::clipboardRestoreFailed().errorDescription());
    const auto status = KeychainAPIKeyStoreError::notAvailableStatus;
    EXPECT_TRUE(message(KeychainAPIKeyStoreError::unhandledStatus(status)).contains(QString::number(status)));
    EXPECT_EQ(message(std::runtime_error("disk full")), QStringLiteral("disk full"));
    const QString generic = message(42);
    EXPECT_FALSE(generic.isEmpty());
    EXPECT_EQ(message(std::runtime_error("")), generic);
    EXPECT_EQ(LookupViewModel::localizedMessage(nullptr), generic);
}

TEST(LookupViewModelDetectItemType, ClassifiesByPunctuationThenWordCount)
{
    const std::pair<QString, Type> cases[] = {
        {QStringLiteral("run"), Type::word},
        {QStringLiteral("\u00A0serendipity\u3000"), Type::word},
        {QStringLiteral("look up"), Type::phrase},
        {QStringLiteral("one two three four five six"), Type::phrase},
        {QStringLiteral("take it or leave it now please"), Type::sentence},
        {QStringLiteral("well-known"), Type::sentence},
        // Outside the basic plane: a punctuation mark and a letter given as surrogate pairs.
        {QStringLiteral("a\U0001E95Eb"), Type::sentence},
        {QStringLiteral("x \U0001D400"), Type::phrase},
        // Symbols are not punctuation.
        {QStringLiteral("$5 + 3"), Type::phrase},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(LookupViewModel::detectItemType(text), expected) << text.toStdString();
}

} // namespace

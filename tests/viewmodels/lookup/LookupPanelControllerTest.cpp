#include "viewmodels/lookup/LookupPanelController.h"

#include "preferences/InMemoryAPIKeyStore.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <QCoro/QCoroTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <stdexcept>

namespace {

using SaveState = LookupSaveStateController::State;

// Lets the save button's one-turn yield pass so its action starts.
void letEventLoopTurn() { QCoro::waitFor(QCoro::sleepFor(std::chrono::milliseconds(5))); }

class LookupPanelControllerTest : public ::testing::Test {
protected:
    LookupPanelControllerTest()
    {
        for (const char *word : {"apple", "pear"})
            dictionary->definitions.insert(QString::fromLatin1(word), QStringLiteral("a fruit"));
    }

    // A panel over the collection `saved`, whose changes wait for the test while `holdChanges`.
    void open(LookupPanelStartAction start = LookupPanelStartAction::none())
    {
        UserSettings settings;
        settings.apiKey = QStringLiteral("sk-panel");
        controller = std::make_unique<LookupPanelController>(
            viewModel, settings, std::move(start),
            [this](const LookupResult &result) -> QCoro::Task<void> { co_await change(); saved.append(result); },
            [this](const LookupResult &result) -> QCoro::Task<void> { co_await change(); saved.removeAll(result); },
            [this](const LookupResult &result) -> QCoro::Task<bool> { ++checks; co_return saved.contains(result); });
    }
    QCoro::Task<void> change()
    {
        if (holdChanges)
            co_await held.emplace_back();
    }
    void loadFromAI(const QString &text)
    {
        viewModel->lookupWithAI(text, {});
        LookupResult result;
        result.contextualMeaning = QStringLiteral("意思");
        ai->lookups.back()->answer.resolve(result);
    }
    const LookupViewModel::State &state() const { return viewModel->state(); }

    std::shared_ptr<FakeSelectionCaptureService> capture = std::make_shared<FakeSelectionCaptureService>();
    std::shared_ptr<FakeAIClient> ai = std::make_shared<FakeAIClient>();
    std::shared_ptr<FakeSystemDictionary> dictionary = std::make_shared<FakeSystemDictionary>();
    std::shared_ptr<LookupViewModel> viewModel = std::make_shared<LookupViewModel>(
        capture, ai, std::make_shared<InMemoryAPIKeyStore>(), std::make_shared<InMemoryLookupResultCache>(), dictionary);
    std::unique_ptr<LookupPanelController> controller;
    QList<LookupResult> saved;
    int checks = 0;
    bool holdChanges = false;
    std::deque<Deferred<bool>> held;
};

TEST_F(LookupPanelControllerTest, TheStartActionRunsOnceWithThePanelsSettings)
{
    open(LookupPanelStartAction::lookupCapturedText(QStringLiteral(" apple ")));
    EXPECT_TRUE(ai->lookups.empty()) << "nothing runs before the panel is shown";
    controller->start();
    controller->start();
    ASSERT_EQ(ai->lookups.size(), 1u);
    EXPECT_EQ(ai->lookups[0]->text, QStringLiteral("apple"));
    EXPECT_EQ(ai->lookups[0]->settings.apiKey, QStringLiteral("sk-panel"));

    open(LookupPanelStartAction::captureSelection());
    controller->start();
    open();
    controller->start();
    EXPECT_EQ(capture->captures.size(), 1u) << "a panel opened without a text starts nothing";
    EXPECT_EQ(ai->lookups.size(), 1u);
}

TEST_F(LookupPanelControllerTest, TheSourceSwitchOffersTheOtherSourceForTheTextShown)
{
    enum class Target { none, dictionary, ai };
    const std::pair<std::function<void()>, Target> cases[] = {
        {[this] { loadFromAI(QStringLiteral("apple")); }, Target::dictionary},
        {[this] { viewModel->lookupWithSystemDictionary(QStringLiteral("pear"), {}); }, Target::ai},
        {[this] {
             viewModel->lookupWithAI(QStringLiteral("plum"), {});
             ai->fastLookups.back()->answer.resolve(FastLookupResult{});
         },
         Target::dictionary},
        {[this] { viewModel->lookupWithSystemDictionary(QStringLiteral("zzz"), {}); }, Target::ai},
        {[this] { viewModel->showFailure(QStringLiteral("x"), QStringLiteral("apple")); }, Target::none},
    };
    open();
    for (const auto &[reach, target] : cases) {
        reach();
        SCOPED_TRACE(static_cast<int>(state().kind()));
        const QString text = LookupPanelController::shownText(state());
        const qsizetype queries = dictionary->queries.size();
        const size_t lookups = ai->lookups.size();
        controller->toggleSource();
        EXPECT_EQ(dictionary->queries.mid(queries), target == Target::dictionary ? QStringList{text} : QStringList{});
        ASSERT_EQ(ai->lookups.size() - lookups, target == Target::ai ? 1u : 0u);
        if (target == Target::ai) {
            EXPECT_EQ(ai->lookups.back()->text, text);
            EXPECT_EQ(ai->lookups.back()->settings.apiKey, QStringLiteral("sk-panel"));
        }
    }
}

TEST_F(LookupPanelControllerTest, ReturnLooksUpOnlyANewTextAndRetryAndCopyFollowTheState)
{
    open();
    EXPECT_FALSE(controller->submit(QStringLiteral(" \n")));
    loadFromAI(QStringLiteral("take off"));
    EXPECT_FALSE(controller->submit(QStringLiteral("  take off \n")));
    EXPECT_TRUE(controller->submit(QStringLiteral(" take on ")));
    ASSERT_EQ(ai->lookups.size(), 2u);
    EXPECT_EQ(ai->lookups[1]->text, QStringLiteral("take on"));
    EXPECT_EQ(ai->lookups[1]->settings.apiKey, QStringLiteral("sk-panel"));

    ai->lookups[1]->answer.reject(std::runtime_error("offline"));
    controller->retry();
    ASSERT_EQ(ai->lookups.size(), 3u);
    EXPECT_EQ(ai->lookups[2]->settings.apiKey, QStringLiteral("sk-panel"));
    EXPECT_EQ(controller->explanationToCopy(), std::nullopt) << "only a loaded result is copied";
    ai->lookups[2]->answer.resolve(LookupResult());
    EXPECT_EQ(controller->explanationToCopy(), state().result()->markdownExplanation());
}

TEST_F(LookupPanelControllerTest, TheSaveButtonFollowsTheResultOnScreen)
{
    open();
    controller->toggleSaved();
    letEventLoopTurn();
    EXPECT_TRUE(saved.isEmpty()) << "nothing shown, nothing saved";
    loadFromAI(QStringLiteral("apple"));
    EXPECT_EQ(checks, 1) << "a loaded result asks whether it is saved";
    controller->toggleSaved();
    letEventLoopTurn();
    ASSERT_EQ(saved.size(), 1);

    // The dictionary's answer arrives while the AI's is being removed: it gets its own check
    // once the removal is done.
    holdChanges = true;
    controller->toggleSaved();
    letEventLoopTurn();
    ASSERT_EQ(held.size(), 1u);
    controller->toggleSource();
    EXPECT_EQ(checks, 1) << "no check while a removal runs";
    saved.append(*controller->shownResult());
    held.back().resolve(true);
    EXPECT_EQ(checks, 2);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved.front().source, LookupResultSource::systemDictionary);
    EXPECT_EQ(controller->saveState().state(), SaveState::saved());

    viewModel->lookupWithAI(QStringLiteral("pear"), {});
    EXPECT_EQ(controller->shownResult(), std::nullopt);
    EXPECT_FALSE(LookupPanelController(viewModel, {}, LookupPanelStartAction::none()).canSave());
}

} // namespace

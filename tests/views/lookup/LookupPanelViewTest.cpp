#include "views/lookup/LookupPanelView.h"

#include "preferences/InMemoryAPIKeyStore.h"
#include "support/TestSupport.h"
#include "foundation/AppError.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "views/lookup/AutoSizingLookupTextView.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/lookup/LookupPanelWindow.h"
#include "views/lookup/LookupTextField.h"
#include "views/common/PanelColors.h"
#include "views/common/SymbolButton.h"
#include "views/ViewTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace std::chrono_literals;

// The collection behind the save button: remembers saved results, and can hold its changes
// until the test releases them or make them fail.
class FakeCollection {
public:
    LookupPanelView::SaveAction saveAction()
    {
        return [this](const LookupResult &result) -> QCoro::Task<void> {
            co_await gate();
            items.append(result);
        };
    }
    LookupPanelView::RemoveAction removeAction()
    {
        return [this](const LookupResult &result) -> QCoro::Task<void> {
            co_await gate();
            items.removeAll(result);
        };
    }
    LookupPanelView::IsSavedAction isSavedAction()
    {
        return [this](const LookupResult &result) -> QCoro::Task<bool> {
            ++checkCount;
            co_return items.contains(result);
        };
    }

    void releaseHeldChanges()
    {
        for (Deferred<bool> &change : std::exchange(held, {})) {
            change.resolve(true);
        }
    }

    QList<LookupResult> items;
    int checkCount = 0;
    bool holdChanges = false;
    bool failChanges = false;
    std::vector<Deferred<bool>> held;

private:
    QCoro::Task<void> gate()
    {
        if (holdChanges) {
            Deferred<bool> change;
            held.push_back(change);
            co_await change;
        }
        if (failChanges) {
            throw std::runtime_error("disk full");
        }
    }
};

FastLookupResult fastAnswer()
{
    FastLookupResult fast;
    fast.selectedText = QStringLiteral("take off");
    fast.itemType = LearningItemType::phrase;
    fast.primaryMeaning = QStringLiteral("起飞；（事业）腾飞");
    fast.translation = QStringLiteral("飞机准时起飞了。");
    fast.example = QStringLiteral("The plane took off on time.");
    fast.briefUsageNote = QStringLiteral("不及物用法，后面不接宾语。");
    return fast;
}

LookupResult fullAnswer(const QString &text = QStringLiteral("take off"))
{
    LookupResult result;
    result.selectedText = text;
    result.itemType = LearningItemType::phrase;
    result.phonetic = QStringLiteral("/teɪk ɒf/");
    result.contextualMeaning = QStringLiteral("（飞机）起飞");
    result.commonMeanings = {QStringLiteral("脱下（衣物）"), QStringLiteral("突然成功；迅速流行")};
    result.partOfSpeech = QStringLiteral("phrasal verb");
    result.collocations = {QStringLiteral("take off on time"), QStringLiteral("take off one's coat")};
    result.examples = {QStringLiteral("The plane took off on time."),
                       QStringLiteral("Her career really took off after the film.")};
    result.translation = QStringLiteral("飞机准时起飞了。");
    result.usageNotes = {QStringLiteral("表示“起飞”时不接宾语。")};
    return result;
}

QStringList flattened(const QList<LookupResultDisplaySection> &sections)
{
    QStringList texts;
    for (const LookupResultDisplaySection &section : sections) {
        texts.append(section.title);
        for (const LookupResultDisplayBlock &block : section.blocks) {
            if (block.title) {
                texts.append(*block.title);
            }
            texts.append(block.lines);
        }
    }
    return texts;
}

class LookupPanelViewTest : public ::testing::Test {
protected:
    void TearDown() override { delete m_window.data(); }

    static UserSettings settings()
    {
        UserSettings settings;
        settings.apiKey = QStringLiteral("sk-test");
        return settings;
    }

    LookupPanelView *open(LookupPanelStartAction startAction, bool show = true)
    {
        m_view = new LookupPanelView(viewModel, settings(), std::move(startAction), collection.saveAction(),
                                     collection.removeAction(), collection.isSavedAction());
        m_window = new LookupPanelWindow(m_view);
        if (show) {
            m_window->show();
        }
        return m_view;
    }

    QString pageName() const { return m_view->currentPage()->objectName(); }
    QStringList texts() const { return visibleTexts(m_view->currentPage()); }
    QStringList tooltips() const { return visibleButtonTooltips(m_view->currentPage()); }
    LookupExplanationSectionsView *sectionsView() const
    {
        return m_view->findChild<LookupExplanationSectionsView *>();
    }
    void screenshot(const QString &name)
    {
        QTest::qWait(30);
        saveScreenshot(m_window, name);
    }

    std::shared_ptr<FakeSelectionCaptureService> capture = std::make_shared<FakeSelectionCaptureService>();
    std::shared_ptr<FakeAIClient> ai = std::make_shared<FakeAIClient>();
    std::shared_ptr<FakeSystemDictionary> dictionary = std::make_shared<FakeSystemDictionary>();
    std::shared_ptr<LookupViewModel> viewModel =
        std::make_shared<LookupViewModel>(capture, ai, std::make_shared<InMemoryAPIKeyStore>(),
                                          std::make_shared<InMemoryLookupResultCache>(), dictionary);
    FakeCollection collection;

    LookupPanelView *m_view = nullptr;
    QPointer<LookupPanelWindow> m_window;
};

TEST_F(LookupPanelViewTest, ThePanelWalksFromCaptureThroughTheFastAnswerToTheFullExplanation)
{
    LookupPanelView *view = open(LookupPanelStartAction::captureSelection(), false);
    EXPECT_TRUE(capture->captures.empty()) << "the start action waits for the panel to be shown";

    view->window()->show();
    ASSERT_EQ(capture->captures.size(), 1u);
    EXPECT_EQ(pageName(), QStringLiteral("capturingPage"));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("正在读取选中文本"), QStringLiteral("会短暂使用剪贴板完成捕获")}));
    view->window()->hide();
    view->window()->show();
    EXPECT_EQ(capture->captures.size(), 1u) << "showing the panel again runs nothing";

    capture->captures.front()->answer.resolve(QStringLiteral("take off"));
    ASSERT_EQ(ai->lookups.size(), 1u);
    EXPECT_EQ(pageName(), QStringLiteral("loadingPage"));
    EXPECT_EQ(texts(),
              (QStringList{QStringLiteral("正在生成解释"), QStringLiteral("take off"), QStringLiteral("AI 查词")}));
    screenshot(QStringLiteral("lookup-panel-loading"));

    ai->fastLookups.front()->answer.resolve(fastAnswer());
    EXPECT_EQ(pageName(), QStringLiteral("resultPage"));
    EXPECT_EQ(view->resultTextField()->text(), QStringLiteral("take off"));
    EXPECT_TRUE(texts().contains(QStringLiteral("Phrase")));
    EXPECT_TRUE(texts().contains(QStringLiteral("正在补全详细解释")));
    EXPECT_EQ(tooltips(), QStringList{QStringLiteral("切换到系统词典")}) << "no saving or copying of a fast answer";
    EXPECT_EQ(sectionsView()->displayedTexts(), flattened(fastAnswer().displaySections()));
    screenshot(QStringLiteral("lookup-panel-fast-answer"));

    ai->lookups.front()->answer.resolve(fullAnswer());
    EXPECT_EQ(pageName(), QStringLiteral("resultPage"));
    EXPECT_TRUE(texts().contains(QStringLiteral("Phrase")));
    EXPECT_FALSE(texts().contains(QStringLiteral("正在补全详细解释")));
    EXPECT_EQ(tooltips(), (QStringList{QStringLiteral("切换到系统词典"), QStringLiteral("收藏"),
                                       QStringLiteral("复制解释")}));
    EXPECT_EQ(sectionsView()->displayedTexts(), flattened(fullAnswer().displaySections()));
    EXPECT_EQ(collection.checkCount, 1) << "a loaded result asks whether it is saved";
    screenshot(QStringLiteral("lookup-panel-loaded"));
}

TEST_F(LookupPanelViewTest, AFailureOffersARetryOfTheSameText)
{
    open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("  ephemeral \n")));
    ASSERT_EQ(ai->lookups.size(), 1u);
    const QString message = AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")).errorDescription();
    ai->lookups.front()->answer.reject(AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")));

    EXPECT_EQ(pageName(), QStringLiteral("failedPage"));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("查词失败"), message, QStringLiteral("重试")}));
    screenshot(QStringLiteral("lookup-panel-failed"));

    auto *retry = m_window->findChild<QPushButton *>();
    ASSERT_NE(retry, nullptr);
    retry->click();
    ASSERT_EQ(ai->lookups.size(), 2u);
    EXPECT_EQ(ai->lookups.back()->text, QStringLiteral("ephemeral"));
    EXPECT_TRUE(capture->captures.empty());
}

TEST_F(LookupPanelViewTest, TheSwitchMovesBetweenTheAIAndTheDictionary)
{
    dictionary->definitions.insert(QStringLiteral("apple"), QStringLiteral("Apple | ˈap(ə)l | ① the round fruit ② the tree"));
    LookupPanelView *view = open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("apple")));
    ai->lookups.front()->answer.resolve(fullAnswer(QStringLiteral("apple")));
    EXPECT_EQ(view->sourceToggleButton()->toolTip(), QStringLiteral("切换到系统词典"));

    view->sourceToggleButton()->click();
    EXPECT_EQ(dictionary->queries, QStringList{QStringLiteral("apple")});
    EXPECT_TRUE(texts().contains(QStringLiteral("系统词典")));
    EXPECT_TRUE(texts().contains(QStringLiteral("① the round fruit")));
    EXPECT_EQ(view->sourceToggleButton()->toolTip(), QStringLiteral("切换到 AI 查词"));
    EXPECT_EQ(collection.checkCount, 2) << "the dictionary result is a new loaded result";
    screenshot(QStringLiteral("lookup-panel-dictionary"));

    view->sourceToggleButton()->click();
    EXPECT_TRUE(texts().contains(QStringLiteral("Word"))) << "back to the AI answer, from the cache";
    EXPECT_EQ(ai->lookups.size(), 1u);

    // A word the dictionary does not know offers the AI instead.
    viewModel->lookupWithSystemDictionary(QStringLiteral("zyzzyva"), UserSettings());
    EXPECT_EQ(pageName(), QStringLiteral("readyForAILookupPage"));
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("zyzzyva"), QStringLiteral("系统词典"),
                                    LookupViewModel::systemDictionaryMissMessage}));
    EXPECT_EQ(tooltips(), QStringList{QStringLiteral("切换到 AI 查词")});
    screenshot(QStringLiteral("lookup-panel-ready-for-ai"));
    for (SymbolButton *button : view->currentPage()->findChildren<SymbolButton *>()) {
        button->click();
    }
    ASSERT_EQ(ai->lookups.size(), 2u);
    EXPECT_EQ(ai->lookups.back()->text, QStringLiteral("zyzzyva"));
}

TEST_F(LookupPanelViewTest, ReturnLooksUpOnlyAChangedText)
{
    LookupPanelView *view = open(LookupPanelStartAction::none());
    EXPECT_EQ(pageName(), QStringLiteral("idlePage"));
    AutoSizingLookupTextView *idleField = view->idleTextField()->textView();
    EXPECT_EQ(idleField->placeholderText(), QStringLiteral("输入后按回车查词"));
    QTest::keyClick(idleField, Qt::Key_Return);
    EXPECT_TRUE(ai->lookups.empty()) << "an empty field starts nothing";

    QTest::keyClicks(idleField, QStringLiteral("take off"));
    QTest::keyClick(idleField, Qt::Key_Return);
    ASSERT_EQ(ai->lookups.size(), 1u);
    EXPECT_EQ(ai->lookups.back()->text, QStringLiteral("take off"));
    ai->lookups.back()->answer.resolve(fullAnswer());

    AutoSizingLookupTextView *field = view->resultTextField()->textView();
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(view->resultTextField()->text(), QStringLiteral("take off")) << "Return inserts no newline";
    EXPECT_FALSE(view->submitLookupInput(QStringLiteral("  take off \n")));
    EXPECT_EQ(ai->lookups.size(), 1u);

    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, QStringLiteral("n"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(ai->lookups.size(), 2u);
    EXPECT_EQ(ai->lookups.back()->text, QStringLiteral("take on"));
}

TEST_F(LookupPanelViewTest, CopyingPutsTheMarkdownOnTheClipboardAndSaysSoForAWhileAfterTheLastCopy)
{
    LookupPanelView *view = open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("take off")));
    view->setCopyFeedbackDuration(600ms);
    ai->lookups.back()->answer.resolve(fullAnswer());
    QGuiApplication::clipboard()->setText(QStringLiteral("something older"));

    view->copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), fullAnswer().markdownExplanation());
    EXPECT_EQ(view->copyFeedbackMessage(), QStringLiteral("已复制"));
    EXPECT_TRUE(texts().contains(QStringLiteral("已复制")));

    // Past the first copy's 600 ms, within the second's.
    QTest::qWait(400);
    view->copyButton()->click();
    QTest::qWait(400);
    EXPECT_TRUE(texts().contains(QStringLiteral("已复制"))) << "the second copy restarts the feedback";
    EXPECT_TRUE(waitUntil([&] { return !view->copyFeedbackMessage().has_value(); }, 1000ms));
    EXPECT_FALSE(texts().contains(QStringLiteral("已复制")));
}

TEST_F(LookupPanelViewTest, TheSaveButtonShowsProgressTheSavedStarAndFailures)
{
    LookupPanelView *view = open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("take off")));
    ai->lookups.back()->answer.resolve(fullAnswer());
    SymbolButton *save = view->saveButton();
    EXPECT_EQ(save->symbolName(), QStringLiteral("star"));
    EXPECT_EQ(save->toolTip(), QStringLiteral("收藏"));

    collection.holdChanges = true;
    save->click();
    save->click();
    EXPECT_EQ(save->symbolName(), QStringLiteral("clock"));
    EXPECT_EQ(save->toolTip(), QStringLiteral("收藏中"));
    ASSERT_TRUE(waitUntil([&] { return !collection.held.empty(); }));
    collection.releaseHeldChanges();
    EXPECT_EQ(collection.items.size(), 1) << "the second press came while saving and was ignored";
    EXPECT_EQ(save->symbolName(), QStringLiteral("star.fill"));
    EXPECT_EQ(save->tint(), PanelColors::savedStar());
    EXPECT_EQ(save->toolTip(), QStringLiteral("取消收藏"));

    collection.holdChanges = false;
    collection.failChanges = true;
    save->click();
    ASSERT_TRUE(waitUntil([&] { return save->toolTip() != QStringLiteral("收藏中"); }));
    EXPECT_EQ(save->symbolName(), QStringLiteral("star"));
    EXPECT_EQ(save->toolTip(), QStringLiteral("收藏"));
    EXPECT_TRUE(texts().contains(QStringLiteral("取消收藏失败。")));
}

TEST_F(LookupPanelViewTest, AResultShownWhileASaveRunsGetsItsOwnSavedState)
{
    dictionary->definitions.insert(QStringLiteral("apple"), QStringLiteral("the round fruit"));
    LookupPanelView *view = open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("apple")));
    ai->lookups.back()->answer.resolve(fullAnswer(QStringLiteral("apple")));
    collection.holdChanges = true;
    view->saveButton()->click();
    ASSERT_TRUE(waitUntil([&] { return !collection.held.empty(); }));

    // The dictionary answer arrives while the AI answer is being saved.
    view->sourceToggleButton()->click();
    ASSERT_EQ(collection.checkCount, 1) << "the controller skips a refresh while saving";
    collection.releaseHeldChanges();

    ASSERT_EQ(collection.items.size(), 1);
    EXPECT_EQ(collection.items.front().source, LookupResultSource::ai);
    EXPECT_EQ(collection.checkCount, 2);
    EXPECT_EQ(view->saveButton()->toolTip(), QStringLiteral("收藏")) << "the dictionary answer is not saved";
}

TEST_F(LookupPanelViewTest, AnAlreadySavedResultOpensWithTheFilledStar)
{
    collection.items.append(fullAnswer());
    LookupPanelView *view = open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("take off")));
    ai->lookups.back()->answer.resolve(fullAnswer());
    EXPECT_EQ(view->saveButton()->symbolName(), QStringLiteral("star.fill"));
}

TEST_F(LookupPanelViewTest, ClosingOrDestroyingThePanelCancelsThePendingLookup)
{
    LookupPanelView *view = open(LookupPanelStartAction::lookupCapturedText(QStringLiteral("take off")));
    ASSERT_EQ(ai->lookups.size(), 1u);
    view->window()->close();
    EXPECT_TRUE(ai->lookups.front()->isCancelled());
    EXPECT_EQ(viewModel->state().kind(), LookupViewModel::State::Kind::idle);

    viewModel->lookupWithAI(QStringLiteral("take on"), settings());
    ASSERT_EQ(ai->lookups.size(), 2u);
    auto *other = new LookupPanelView(viewModel, settings(), LookupPanelStartAction::none(), {}, {}, {});
    delete other;
    EXPECT_TRUE(ai->lookups.back()->isCancelled());
}

} // namespace

#include "views/lookup/LookupPanelWindow.h"

#include "foundation/AppError.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "speech/AudioPlaying.h"
#include "speech/SystemSpeechClient.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "views/common/SymbolButton.h"
#include "views/lookup/AutoSizingLookupTextView.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/lookup/LookupLoadingPage.h"
#include "views/lookup/LookupPanelView.h"
#include "views/lookup/LookupResultPage.h"
#include "views/lookup/LookupTextField.h"
#include "views/support/WindowLegibility.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The system voice, holding each utterance until the test ends it.
struct FakeVoice : SystemSpeechClient, AudioPlaying {
    QCoro::Task<void> speak(QString text, QString, CancellationToken) override
    {
        spoken.append(text);
        co_await utterance;
    }
    QCoro::Task<void> play(QByteArray, CancellationToken) override { co_return; }
    QStringList spoken;
    Deferred<bool> utterance;
};

template <typename Page>
Page *shown(const LookupPanelView *view)
{
    return qobject_cast<Page *>(view->currentPage());
}

TEST(LookupPanelWindowTest, ThePanelLooksUpSavesPinsAndCancelsOnClose)
{
    auto ai = std::make_shared<FakeAIClient>();
    auto dictionary = std::make_shared<FakeSystemDictionary>();
    dictionary->glances.insert(QStringLiteral("apple"), QStringLiteral("apple | ˈæpl | 中文：苹果"));
    auto viewModel = std::make_shared<LookupViewModel>(
        std::make_shared<FakeSelectionCaptureService>(), ai, std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("k")),
        std::make_shared<InMemoryLookupResultCache>(), dictionary);
    QList<LookupResult> saved;
    auto voice = std::make_shared<FakeVoice>();
    auto *view = new LookupPanelView(
        viewModel, UserSettings(), LookupPanelStartAction::lookupCapturedText(QStringLiteral("apple")),
        [&](const LookupResult &result) -> QCoro::Task<void> { saved.append(result); co_return; },
        [&](const LookupResult &result) -> QCoro::Task<void> { saved.removeAll(result); co_return; },
        [&](const LookupResult &result) -> QCoro::Task<bool> { co_return saved.contains(result); },
        {nullptr, nullptr, nullptr, voice, voice});
    QPointer<LookupPanelWindow> window = new LookupPanelWindow(view);
    EXPECT_TRUE(ai->lookups.empty()) << "the lookup waits for the panel to be shown";
    window->show();
    ASSERT_EQ(ai->lookups.size(), 1u);
    ASSERT_TRUE(shown<LookupLoadingPage>(view));
    QStringList glance;
    for (const QLabel *label : shown<LookupLoadingPage>(view)->findChildren<QLabel *>())
        if (label->isVisible() && (label->text().contains(QStringLiteral("中文")) || label->text().contains(QStringLiteral("æ"))))
            glance.append(label->text());
    EXPECT_EQ(glance, (QStringList{QStringLiteral("ˈæpl"), QStringLiteral("中文：苹果")})) << "the offline glosses come first";

    LookupResult result;
    result.selectedText = QStringLiteral("apple");
    result.contextualMeaning = QStringLiteral("<b>苹果</b> & co");
    ai->lookups[0]->answer.resolve(result);
    LookupResultPage *page = shown<LookupResultPage>(view);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->textField()->text(), QStringLiteral("apple"));
    EXPECT_TRUE(page->sectionsView()->displayedTexts().contains(result.contextualMeaning));
    for (const QLabel *label : page->sectionsView()->findChildren<QLabel *>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << "model text is never read as markup";
    page->pronounceButton()->click();
    EXPECT_EQ(voice->spoken, QStringList{QStringLiteral("apple")});
    EXPECT_EQ(page->pronounceButton()->symbolName(), QStringLiteral("speaker.wave.2.fill"));
    voice->utterance.reject(AppError::textToSpeechFailed(QStringLiteral("没有声音")));
    EXPECT_EQ(page->pronounceButton()->symbolName(), QStringLiteral("speaker.wave.2"));
    const auto labels = page->findChildren<QLabel *>();
    EXPECT_EQ(std::count_if(labels.begin(), labels.end(), [](const QLabel *label) {
                  return label->isVisible() && label->text() == QStringLiteral("发音失败：没有声音");
              }), 1) << "the failure shows as the error line";
    page->saveButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.size() == 1; }));
    expectLegibleInBothSchemes(window);
    QTest::keyClicks(page->textField()->textView(), QStringLiteral(" pie"));
    QTest::keyClick(page->textField()->textView(), Qt::Key_Return);
    ASSERT_EQ(ai->lookups.size(), 2u);
    EXPECT_EQ(ai->lookups[1]->text, QStringLiteral("apple pie"));
    window->pinButton()->click();
    EXPECT_TRUE(window->isPinned());
    window->close();
    EXPECT_TRUE(ai->lookups[1]->isCancelled()) << "closing cancels the lookup";
    delete window.data();
}

} // namespace

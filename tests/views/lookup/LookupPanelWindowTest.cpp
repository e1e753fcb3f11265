#include "views/lookup/LookupPanelWindow.h"

#include "preferences/InMemoryAPIKeyStore.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "views/lookup/LookupPanelPresenter.h"
#include "views/lookup/LookupPanelView.h"
#include "views/common/PanelColors.h"
#include "views/common/SymbolButton.h"
#include "views/ViewTestSupport.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class LookupPanelWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        delete m_other.data();
        for (const QPointer<LookupPanelWindow> &window : m_windows) {
            delete window.data();
        }
    }

    LookupPanelWindow *makeWindow(LookupPanelStartAction startAction = LookupPanelStartAction::none())
    {
        UserSettings settings;
        settings.apiKey = QStringLiteral("sk-test");
        auto viewModel = std::make_shared<LookupViewModel>(capture, ai, std::make_shared<InMemoryAPIKeyStore>(),
                                                           std::make_shared<InMemoryLookupResultCache>(),
                                                           std::make_shared<FakeSystemDictionary>());
        auto *window = new LookupPanelWindow(
            new LookupPanelView(viewModel, settings, std::move(startAction), {}, {}, {}));
        m_windows.append(window);
        return window;
    }

    // Moves the focus to another window of ours, as a click elsewhere would.
    void focusElsewhere()
    {
        if (!m_other) {
            m_other = new QWidget;
            m_other->resize(100, 100);
            m_other->show();
        }
        m_other->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return m_other->isActiveWindow(); }));
    }

    static void focus(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return window->isActiveWindow(); }));
    }

    std::shared_ptr<FakeSelectionCaptureService> capture = std::make_shared<FakeSelectionCaptureService>();
    std::shared_ptr<FakeAIClient> ai = std::make_shared<FakeAIClient>();

private:
    QList<QPointer<LookupPanelWindow>> m_windows;
    QPointer<QWidget> m_other;
};

TEST_F(LookupPanelWindowTest, IsAFloatingToolWindowTitledForWindowManagersOnly)
{
    LookupPanelWindow *window = makeWindow();
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("查词"));
    EXPECT_EQ(window->windowHandle()->title(), QStringLiteral("查词"));
    EXPECT_EQ(window->windowType(), Qt::Tool) << "tool windows get no taskbar entry";
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->palette().color(QPalette::Window), PanelColors::appPageBackground());
}

TEST_F(LookupPanelWindowTest, ThePinButtonSwitchesLooksAndKeepsTheWindowAbove)
{
    LookupPanelWindow *window = makeWindow();
    window->show();
    QList<bool> applied;
    window->setWorkspacePinning([&](QWindow *, bool pinned) { applied.append(pinned); });
    applied.clear();
    SymbolButton *pin = window->pinButton();
    EXPECT_EQ(pin->symbolName(), QStringLiteral("pin"));
    EXPECT_EQ(pin->toolTip(), QStringLiteral("固定窗口"));
    EXPECT_EQ(pin->tint(), PanelColors::secondaryLabel());
    const QSize size = window->size();

    pin->click();
    EXPECT_TRUE(window->isPinned());
    EXPECT_EQ(pin->symbolName(), QStringLiteral("pin.fill"));
    EXPECT_EQ(pin->toolTip(), QStringLiteral("取消固定"));
    EXPECT_EQ(pin->tint(), PanelColors::accent());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible()) << "the window stays on screen while the hint changes";
    EXPECT_EQ(window->size(), size);
    ASSERT_FALSE(applied.isEmpty());
    EXPECT_TRUE(applied.back()) << "pinned windows go on every workspace";

    pin->click();
    EXPECT_EQ(pin->symbolName(), QStringLiteral("pin"));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(applied.back());
}

TEST_F(LookupPanelWindowTest, AnUnpinnedPanelClosesShortlyAfterLosingFocus)
{
    QPointer<LookupPanelWindow> window = makeWindow(LookupPanelStartAction::lookupCapturedText(QStringLiteral("take off")));
    window->show();
    focus(window);
    focusElsewhere();
    EXPECT_TRUE(window && window->isVisible()) << "not at once";
    EXPECT_TRUE(waitUntil([&] { return !window || !window->isVisible(); }, 1000ms));
    ASSERT_EQ(ai->lookups.size(), 1u);
    EXPECT_TRUE(ai->lookups.front()->isCancelled()) << "closing cancels the lookup";
}

TEST_F(LookupPanelWindowTest, APinnedPanelOrOneRefocusedInTimeStaysOpen)
{
    QPointer<LookupPanelWindow> window = makeWindow();
    window->show();
    focus(window);
    window->togglePin();
    focus(window);
    focusElsewhere();
    QTest::qWait(200);
    EXPECT_TRUE(window && window->isVisible());

    window->togglePin();
    focus(window);
    focusElsewhere();
    focus(window);
    QTest::qWait(200);
    EXPECT_TRUE(window && window->isVisible());
}

TEST_F(LookupPanelWindowTest, OnePanelAtATimeAndANewOneIsNeverPinned)
{
    LookupPanelPresenter presenter;
    QPointer<LookupPanelWindow> first = makeWindow(LookupPanelStartAction::lookupCapturedText(QStringLiteral("take off")));
    presenter.present(first);
    EXPECT_TRUE(first->isVisible());
    first->togglePin();
    EXPECT_TRUE(presenter.isCurrentPanelPinned());

    QPointer<LookupPanelWindow> second = makeWindow();
    presenter.present(second);
    EXPECT_TRUE(!first || !first->isVisible());
    EXPECT_TRUE(ai->lookups.front()->isCancelled());
    EXPECT_EQ(presenter.currentPanel(), second.data());
    EXPECT_FALSE(presenter.isCurrentPanelPinned());
    EXPECT_FALSE(second->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    second->close();
    EXPECT_EQ(presenter.currentPanel(), nullptr);
}

} // namespace

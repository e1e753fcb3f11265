#include "viewmodels/LookupSaveStateController.h"

#include "support/TestSupport.h"
#include "utilities/CancellationError.h"

#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <coroutine>
#include <memory>
#include <stdexcept>
#include <vector>

using State = LookupSaveStateController::State;

void PrintTo(const State &state, std::ostream *os)
{
    static const char *const names[] = {"idle", "saving", "saved", "failed"};
    *os << names[static_cast<int>(state.kind())];
    if (!state.message().isEmpty()) {
        *os << '(' << state.message().toStdString() << ')';
    }
}

namespace {

// One call of an action that stays suspended until the test settles it, in any order.
class PendingCall {
public:
    enum class Outcome { pending, yes, no, failure, cancelled };

    // What the action co_awaits. It shares the call rather than referring to it, because
    // the compiler may copy an awaited object before suspending on the copy.
    struct Awaiter {
        std::shared_ptr<PendingCall> call;

        bool await_ready() const noexcept { return call->m_outcome != Outcome::pending; }
        void await_suspend(std::coroutine_handle<> waiter) const noexcept { call->m_waiter = waiter; }
        bool await_resume() const
        {
            if (call->m_outcome == Outcome::failure) {
                throw std::runtime_error("store failed");
            }
            if (call->m_outcome == Outcome::cancelled) {
                throw CancellationError();
            }
            return call->m_outcome == Outcome::yes;
        }
    };

    // Resumes the waiting action at once, so the controller's state changes before this returns.
    void settle(Outcome outcome)
    {
        m_outcome = outcome;
        if (auto waiter = std::exchange(m_waiter, nullptr)) {
            waiter.resume();
        }
    }

private:
    Outcome m_outcome = Outcome::pending;
    std::coroutine_handle<> m_waiter;
};

// A fake store action: every call is recorded and waits for the test.
class ManualAction {
public:
    LookupSaveStateController::CheckAction check()
    {
        return [this](const LookupResult &result) -> QCoro::Task<bool> {
            co_return co_await PendingCall::Awaiter{begin(result)};
        };
    }

    LookupSaveStateController::ChangeAction change()
    {
        return [this](const LookupResult &result) -> QCoro::Task<void> {
            co_await PendingCall::Awaiter{begin(result)};
        };
    }

    size_t callCount() const { return m_calls.size(); }
    PendingCall &call(size_t index) { return *m_calls.at(index); }
    const QString &textOfCall(size_t index) const { return m_texts.at(index); }

private:
    std::shared_ptr<PendingCall> begin(const LookupResult &result)
    {
        m_texts.push_back(result.selectedText);
        return m_calls.emplace_back(std::make_shared<PendingCall>());
    }

    std::vector<std::shared_ptr<PendingCall>> m_calls;
    std::vector<QString> m_texts;
};

LookupResult resultFor(const QString &text)
{
    LookupResult result;
    result.selectedText = text;
    return result;
}

// Lets the controller's one-turn yield pass so the action actually starts.
void letEventLoopTurn() { QCoro::waitFor(QCoro::sleepFor(std::chrono::milliseconds(5))); }

using Outcome = PendingCall::Outcome;

class LookupSaveStateControllerTest : public ::testing::Test {
protected:
    QCoro::Task<void> press() { return controller.toggle(result, saveAction.change(), removeAction.change()); }
    QCoro::Task<void> refresh() { return controller.refresh(result, checkAction.check()); }

    // Leaves the controller in `saved` through a successful press.
    void saveSuccessfully()
    {
        auto task = press();
        letEventLoopTurn();
        saveAction.call(saveAction.callCount() - 1).settle(Outcome::yes);
        ASSERT_TRUE(task.isReady());
        ASSERT_EQ(controller.state(), State::saved());
    }

    LookupResult result = resultFor(QStringLiteral("apple"));
    LookupSaveStateController controller;
    ManualAction checkAction;
    ManualAction saveAction;
    ManualAction removeAction;
};

TEST_F(LookupSaveStateControllerTest, PressSavesAfterShowingProgress)
{
    int changes = 0;
    QObject::connect(&controller, &LookupSaveStateController::stateChanged, [&] { ++changes; });

    auto task = press();
    EXPECT_EQ(controller.state(), State::saving());
    EXPECT_EQ(saveAction.callCount(), 0u) << "the action starts only after the panel could redraw";

    letEventLoopTurn();
    ASSERT_EQ(saveAction.callCount(), 1u);
    EXPECT_EQ(saveAction.textOfCall(0), QStringLiteral("apple"));
    saveAction.call(0).settle(Outcome::yes);

    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(controller.state(), State::saved());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(removeAction.callCount(), 0u);
}

TEST_F(LookupSaveStateControllerTest, PressWhileBusyIsIgnored)
{
    auto first = press();
    auto second = press();
    EXPECT_TRUE(second.isReady());
    letEventLoopTurn();
    auto third = press();
    EXPECT_TRUE(third.isReady());

    ASSERT_EQ(saveAction.callCount(), 1u);
    saveAction.call(0).settle(Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());
    EXPECT_EQ(removeAction.callCount(), 0u);
}

TEST_F(LookupSaveStateControllerTest, FailedSaveShowsMessageAndNextPressRetries)
{
    auto task = press();
    letEventLoopTurn();
    saveAction.call(0).settle(Outcome::failure);

    EXPECT_EQ(controller.state(), State::failed(QStringLiteral("收藏保存失败。")));
    EXPECT_EQ(controller.buttonAppearance(),
              (LookupSaveStateController::ButtonAppearance{QStringLiteral("star"), QStringLiteral("收藏"), false}));

    saveSuccessfully();
    EXPECT_EQ(saveAction.callCount(), 2u);
}

TEST_F(LookupSaveStateControllerTest, PressOnSavedRemovesAndReturnsToIdle)
{
    saveSuccessfully();
    EXPECT_EQ(controller.buttonAppearance(), (LookupSaveStateController::ButtonAppearance{
                                                 QStringLiteral("star.fill"), QStringLiteral("取消收藏"), true}));

    auto task = press();
    EXPECT_EQ(controller.buttonAppearance(),
              (LookupSaveStateController::ButtonAppearance{QStringLiteral("clock"), QStringLiteral("收藏中"), false}));
    letEventLoopTurn();
    ASSERT_EQ(removeAction.callCount(), 1u);
    removeAction.call(0).settle(Outcome::yes);

    EXPECT_EQ(controller.state(), State::idle());
    EXPECT_EQ(controller.buttonAppearance().symbolName, QStringLiteral("star"));
    EXPECT_EQ(saveAction.callCount(), 1u);
}

TEST_F(LookupSaveStateControllerTest, FailedRemoveShowsMessageAndNextPressSavesAgain)
{
    saveSuccessfully();
    auto task = press();
    letEventLoopTurn();
    removeAction.call(0).settle(Outcome::failure);
    EXPECT_EQ(controller.state(), State::failed(QStringLiteral("取消收藏失败。")));

    // A failed state does not remember what was being done: the press means "save".
    saveSuccessfully();
    EXPECT_EQ(removeAction.callCount(), 1u);
}

TEST_F(LookupSaveStateControllerTest, RefreshReportsStoreAnswer)
{
    auto saved = refresh();
    checkAction.call(0).settle(Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());

    auto notSaved = refresh();
    checkAction.call(1).settle(Outcome::no);
    EXPECT_EQ(controller.state(), State::idle());
}

TEST_F(LookupSaveStateControllerTest, FailedRefreshThenPressSaves)
{
    auto check = refresh();
    checkAction.call(0).settle(Outcome::failure);
    EXPECT_EQ(controller.state(), State::failed(QStringLiteral("收藏状态读取失败。")));

    saveSuccessfully();
}

TEST_F(LookupSaveStateControllerTest, RefreshDuringSavingIsSkipped)
{
    auto save = press();
    auto check = refresh();
    EXPECT_TRUE(check.isReady());
    EXPECT_EQ(checkAction.callCount(), 0u);
    EXPECT_EQ(controller.state(), State::saving());

    letEventLoopTurn();
    saveAction.call(0).settle(Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());
}

TEST_F(LookupSaveStateControllerTest, CheckOvertakenByPressOrNewerRefreshIsDropped)
{
    // The check began before the press; its "not saved" must not unlock the busy button.
    auto staleCheck = refresh();
    auto save = press();
    letEventLoopTurn();
    checkAction.call(0).settle(Outcome::no);
    EXPECT_EQ(controller.state(), State::saving());
    saveAction.call(0).settle(Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());

    // Two refreshes answered out of order: the newer one wins.
    auto older = refresh();
    auto newer = refresh();
    checkAction.call(2).settle(Outcome::yes);
    checkAction.call(1).settle(Outcome::failure);
    EXPECT_EQ(controller.state(), State::saved());
}

TEST_F(LookupSaveStateControllerTest, CancellationIsNeverShown)
{
    auto check = refresh();
    checkAction.call(0).settle(Outcome::cancelled);
    EXPECT_EQ(controller.state(), State::idle());

    auto save = press();
    letEventLoopTurn();
    saveAction.call(0).settle(Outcome::cancelled);
    EXPECT_EQ(controller.state(), State::idle());

    saveSuccessfully();
    auto remove = press();
    letEventLoopTurn();
    removeAction.call(0).settle(Outcome::cancelled);
    EXPECT_EQ(controller.state(), State::saved());
}

TEST(LookupSaveStateControllerLifetimeTest, ActionFinishingAfterControllerIsGoneIsHarmless)
{
    ManualAction saveAction;
    ManualAction removeAction;
    auto controller = std::make_unique<LookupSaveStateController>();
    auto task = controller->toggle(resultFor(QStringLiteral("apple")), saveAction.change(), removeAction.change());
    letEventLoopTurn();
    ASSERT_EQ(saveAction.callCount(), 1u);

    controller.reset();
    saveAction.call(0).settle(Outcome::failure);
    EXPECT_TRUE(task.isReady());

    // Closing the panel before the yield ends means the action never starts.
    controller = std::make_unique<LookupSaveStateController>();
    auto early = controller->toggle(resultFor(QStringLiteral("pear")), saveAction.change(), removeAction.change());
    controller.reset();
    letEventLoopTurn();
    EXPECT_TRUE(early.isReady());
    EXPECT_EQ(saveAction.callCount(), 1u);
}

} // namespace

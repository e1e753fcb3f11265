#include "viewmodels/lookup/LookupSaveStateController.h"

#include "support/TestSupport.h"
#include "foundation/CancellationError.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <QCoro/QCoroTimer>

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <vector>

using State = LookupSaveStateController::State;

void PrintTo(const State &state, std::ostream *os)
{
    *os << static_cast<int>(state.kind()) << ' ' << state.message().toStdString();
}

namespace {

enum class Outcome { yes, no, failure, cancelled };

// A store action whose calls stay suspended until the test settles them, in any order.
// Settling resumes the call at once, so the controller's state has changed on return.
class ManualAction {
public:
    LookupSaveStateController::CheckAction check()
    {
        return [this](const LookupResult &) -> QCoro::Task<bool> { co_return co_await m_calls.emplace_back(); };
    }
    LookupSaveStateController::ChangeAction change()
    {
        return [this](const LookupResult &) -> QCoro::Task<void> { co_await m_calls.emplace_back(); };
    }

    size_t callCount() const { return m_calls.size(); }
    void settle(size_t index, Outcome outcome)
    {
        Deferred<bool> &call = m_calls.at(index);
        if (outcome == Outcome::failure)
            call.reject(std::runtime_error("store failed"));
        else if (outcome == Outcome::cancelled)
            call.reject(CancellationError());
        else
            call.resolve(outcome == Outcome::yes);
    }

private:
    std::deque<Deferred<bool>> m_calls;
};

// Lets the controller's one-turn yield pass so the action actually starts.
void letEventLoopTurn() { QCoro::waitFor(QCoro::sleepFor(std::chrono::milliseconds(5))); }

class LookupSaveStateControllerTest : public ::testing::Test {
protected:
    QCoro::Task<void> press() { return controller.toggle(LookupResult{}, save.change(), remove.change()); }
    QCoro::Task<void> refresh() { return controller.refresh(LookupResult{}, check.check()); }

    // Presses and settles the save (or remove) the press started.
    void pressAndSettle(ManualAction &action, Outcome outcome)
    {
        auto task = press();
        letEventLoopTurn();
        action.settle(action.callCount() - 1, outcome);
        EXPECT_TRUE(task.isReady());
    }

    LookupSaveStateController controller;
    ManualAction check, save, remove;
};

TEST_F(LookupSaveStateControllerTest, PressingTwiceQuicklySavesOnce)
{
    auto first = press();
    EXPECT_EQ(controller.state(), State::saving());
    EXPECT_EQ(save.callCount(), 0u) << "the action starts only after the panel could redraw";
    auto second = press();
    letEventLoopTurn();
    auto third = press();

    ASSERT_EQ(save.callCount(), 1u);
    save.settle(0, Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());
    EXPECT_EQ(remove.callCount(), 0u);
}

TEST_F(LookupSaveStateControllerTest, FailedSaveShowsMessageAndNextPressRetries)
{
    pressAndSettle(save, Outcome::failure);
    EXPECT_EQ(controller.state().kind(), State::Kind::failed);

    pressAndSettle(save, Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());
    EXPECT_EQ(save.callCount(), 2u);
}

TEST_F(LookupSaveStateControllerTest, PressOnSavedRemoves)
{
    pressAndSettle(save, Outcome::yes);
    pressAndSettle(remove, Outcome::failure);
    EXPECT_EQ(controller.state().kind(), State::Kind::failed);

    // A failed state does not remember what was being done: the next press saves.
    pressAndSettle(save, Outcome::yes);
    pressAndSettle(remove, Outcome::yes);
    EXPECT_EQ(controller.state(), State::idle());
}

TEST_F(LookupSaveStateControllerTest, RefreshShowsStoreAnswerAndFailedRefreshStillLetsPressSave)
{
    auto yes = refresh();
    check.settle(0, Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());

    auto failing = refresh();
    check.settle(1, Outcome::failure);
    EXPECT_EQ(controller.state().kind(), State::Kind::failed);

    pressAndSettle(save, Outcome::yes);
    EXPECT_EQ(controller.state(), State::saved());
}

TEST_F(LookupSaveStateControllerTest, RefreshNeverOverridesNewerState)
{
    auto saving = press();
    auto skipped = refresh();
    EXPECT_EQ(check.callCount(), 0u) << "a refresh while saving is skipped";
    letEventLoopTurn();
    save.settle(0, Outcome::yes);

    // A check begun before a press must not unlock the busy button with its stale answer.
    auto stale = refresh();
    auto removing = press();
    letEventLoopTurn();
    check.settle(0, Outcome::yes);
    EXPECT_EQ(controller.state(), State::saving());
    remove.settle(0, Outcome::yes);
    EXPECT_EQ(controller.state(), State::idle());

    // Two checks answered out of order: the newer one wins.
    auto older = refresh();
    auto newer = refresh();
    check.settle(2, Outcome::yes);
    check.settle(1, Outcome::failure);
    EXPECT_EQ(controller.state(), State::saved());
}

TEST_F(LookupSaveStateControllerTest, CancellationIsNeverShown)
{
    auto cancelledCheck = refresh();
    check.settle(0, Outcome::cancelled);
    EXPECT_EQ(controller.state(), State::idle());

    pressAndSettle(save, Outcome::cancelled);
    EXPECT_EQ(controller.state(), State::idle());

    pressAndSettle(save, Outcome::yes);
    pressAndSettle(remove, Outcome::cancelled);
    EXPECT_EQ(controller.state(), State::saved());
}

TEST(LookupSaveStateControllerLifetimeTest, ClosingThePanelMidActionIsHarmless)
{
    ManualAction save, remove;
    auto controller = std::make_unique<LookupSaveStateController>();
    auto running = controller->toggle(LookupResult{}, save.change(), remove.change());
    letEventLoopTurn();
    controller.reset();
    save.settle(0, Outcome::failure);
    EXPECT_TRUE(running.isReady());

    // Closed before the yield ends: the action never starts.
    controller = std::make_unique<LookupSaveStateController>();
    auto early = controller->toggle(LookupResult{}, save.change(), remove.change());
    controller.reset();
    letEventLoopTurn();
    EXPECT_TRUE(early.isReady());
    EXPECT_EQ(save.callCount(), 1u);
}

} // namespace

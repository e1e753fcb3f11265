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
struct ManualAction {
    LookupSaveStateController::CheckAction check()
    {
        return [this](const LookupResult &) -> QCoro::Task<bool> { co_return co_await calls.emplace_back(); };
    }
    LookupSaveStateController::ChangeAction change()
    {
        return [this](const LookupResult &) -> QCoro::Task<void> { co_await calls.emplace_back(); };
    }

    size_t callCount() const { return calls.size(); }
    void settle(size_t index, Outcome outcome)
    {
        Deferred<bool> &call = calls.at(index);
        if (outcome == Outcome::failure)
            call.reject(std::runtime_error("store failed"));
        else if (outcome == Outcome::cancelled)
            call.reject(CancellationError());
        else
            call.resolve(outcome == Outcome::yes);
    }

    std::deque<Deferred<bool>> calls;
};

// Lets the controller's one-turn yield pass so the action actually starts.
void letEventLoopTurn() { QCoro::waitFor(QCoro::sleepFor(std::chrono::milliseconds(5))); }

class LookupSaveStateControllerTest : public ::testing::Test {
protected:
    QCoro::Task<void> press() { return controller.toggle(LookupResult{}, save.change(), remove.change()); }
    QCoro::Task<void> refresh() { return controller.refresh(LookupResult{}, check.check()); }

    LookupSaveStateController controller;
    ManualAction check, save, remove;
};

TEST(LookupSaveStateControllerStates, ACheckThenAPressEndInTheirOwnStateAndACancellationIsNeverShown)
{
    using Kind = State::Kind;
    struct Case {
        Outcome check;
        Kind afterCheck;
        Outcome press;
        bool removes;
        Kind afterPress;
    };
    const Case cases[] = {
        {Outcome::no, Kind::idle, Outcome::yes, false, Kind::saved},
        {Outcome::no, Kind::idle, Outcome::failure, false, Kind::failed},
        {Outcome::no, Kind::idle, Outcome::cancelled, false, Kind::idle},
        {Outcome::yes, Kind::saved, Outcome::yes, true, Kind::idle},
        {Outcome::yes, Kind::saved, Outcome::cancelled, true, Kind::saved},
        // A failed state does not remember what was being done: the next press saves.
        {Outcome::failure, Kind::failed, Outcome::yes, false, Kind::saved},
        {Outcome::cancelled, Kind::idle, Outcome::yes, false, Kind::saved},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        LookupSaveStateController controller;
        ManualAction check, save, remove;
        auto checking = controller.refresh(LookupResult{}, check.check());
        check.settle(0, c.check);
        EXPECT_EQ(controller.state().kind(), c.afterCheck);
        auto pressing = controller.toggle(LookupResult{}, save.change(), remove.change());
        EXPECT_EQ(controller.state(), State::saving());
        letEventLoopTurn();
        ASSERT_EQ(remove.callCount(), c.removes ? 1u : 0u);
        ASSERT_EQ(save.callCount(), c.removes ? 0u : 1u);
        (c.removes ? remove : save).settle(0, c.press);
        EXPECT_TRUE(pressing.isReady());
        EXPECT_EQ(controller.state().kind(), c.afterPress);
        EXPECT_EQ(controller.state().message().isEmpty(), c.afterPress != Kind::failed);
    }
}

TEST_F(LookupSaveStateControllerTest, PressingTwiceQuicklySavesOnce)
{
    auto first = press();
    EXPECT_EQ(save.callCount(), 0u) << "the action starts only after the panel could redraw";
    auto second = press();
    letEventLoopTurn();
    auto third = press();
    ASSERT_EQ(save.callCount(), 1u);
    save.settle(0, Outcome::yes);
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

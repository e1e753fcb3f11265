#include "badge/SelectionBadgeController.h"

#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "foundation/CancellationError.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <coroutine>
#include <vector>

namespace {

struct FakePresenter : SelectionBadgePresenting {
    struct Shown {
        QString text;
        QPointF near;
    };
    std::vector<Shown> shown;
    std::function<void()> onClick;
    bool visible = false;
    int hides = 0;

    void show(const QString &selectedText, QPointF near, std::function<void()> action) override
    {
        shown.push_back({selectedText, near});
        onClick = std::move(action);
        visible = true;
    }
    void hide() override
    {
        ++hides;
        visible = false;
        onClick = nullptr;
    }
    void click()
    {
        // The presenter drops its action when hidden, as a window does while handling a click.
        auto action = onClick;
        if (action)
            action();
    }
};

// Virtual time: a sleep ends when the test advances past its deadline, or at the next advance
// after its token fires (as a timer would, on a later turn of the event loop).
class FakeClock {
public:
    QCoro::Task<void> sleep(std::chrono::milliseconds duration, CancellationToken cancellation)
    {
        cancellation.throwIfCancelled();
        auto entry = std::make_shared<Entry>(Entry{m_now + duration, cancellation, nullptr, false});
        m_entries.push_back(entry);
        Entry *pending = entry.get();
        co_await Awaiter{pending};
        cancellation.throwIfCancelled();
    }

    void advance(std::chrono::milliseconds duration)
    {
        m_now += duration;
        const auto entries = std::exchange(m_entries, {});
        for (const auto &entry : entries) {
            if (entry->woken)
                continue;
            if (entry->deadline > m_now && !entry->cancellation.isCancelled()) {
                m_entries.push_back(entry);
                continue;
            }
            entry->woken = true;
            if (entry->handle)
                std::exchange(entry->handle, nullptr).resume();
        }
    }

private:
    struct Entry {
        std::chrono::milliseconds deadline;
        CancellationToken cancellation;
        std::coroutine_handle<> handle;
        bool woken;
    };
    // Holds a plain pointer: the entry outlives the suspension in m_entries.
    struct Awaiter {
        Entry *entry;
        bool await_ready() const { return entry->woken; }
        void await_suspend(std::coroutine_handle<> handle) { entry->handle = handle; }
        void await_resume() const {}
    };

    std::chrono::milliseconds m_now{0};
    std::vector<std::shared_ptr<Entry>> m_entries;
};

struct FakeCapture : SelectedTextCapturing {
    std::function<QString()> answer;
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation) override
    {
        cancellation.throwIfCancelled();
        co_return answer();
    }
};

struct FakeMonitor : SelectionMouseMonitoring {
    bool *running;
    bool available = true;
    explicit FakeMonitor(bool *flag) : running(flag) {}
    bool start(std::function<void(const SelectionMouseEvent &)>) override { return *running = available; }
    void stop() override { *running = false; }
};

class SelectionBadgeControllerTest : public ::testing::Test {
protected:
    SelectionBadgeControllerTest()
    {
        SelectionBadgeController::Environment environment;
        environment.makeMonitor = [this] {
            ++monitorsMade;
            auto monitor = std::make_unique<FakeMonitor>(&monitorRunning);
            monitor->available = monitorAvailable;
            return monitor;
        };
        environment.makePresenter = [this] {
            auto presenter = std::make_unique<FakePresenter>();
            this->presenter = presenter.get();
            return presenter;
        };
        environment.makeCapture = [this] {
            ++captures;
            auto capture = std::make_unique<FakeCapture>();
            capture->answer = [this] {
                if (captureError)
                    throw *captureError;
                return selection;
            };
            return capture;
        };
        environment.pointerLocation = [this] { return pointer; };
        environment.isScreenCaptureInterfaceActive = [this] { return screenCaptureActive; };
        environment.sleep = [this](std::chrono::milliseconds duration, CancellationToken cancellation) {
            return clock.sleep(duration, cancellation);
        };
        environment.logError = [this](const char *context, const std::exception &) { logged.push_back(context); };
        controller = std::make_unique<SelectionBadgeController>(
            [this](const QString &text) { lookups.push_back(text); }, std::move(environment));
    }

    void send(SelectionMouseEvent::Kind kind, QPointF at, int clickCount = 1)
    {
        controller->handleSelectionMouseEvent({kind, at, clickCount});
    }
    void press(QPointF at) { send(SelectionMouseEvent::Kind::leftMouseDown, at); }
    void release(QPointF at, int clickCount = 1) { send(SelectionMouseEvent::Kind::leftMouseUp, at, clickCount); }
    void drag(QPointF from, QPointF to)
    {
        press(from);
        send(SelectionMouseEvent::Kind::leftMouseDragged, to);
        release(to);
    }

    FakeClock clock;
    FakePresenter *presenter = nullptr;
    bool monitorRunning = false;
    bool monitorAvailable = true;
    int monitorsMade = 0;
    int captures = 0;
    QString selection = QStringLiteral("  hello world\n");
    std::optional<AppError> captureError;
    QPointF pointer{300, 200};
    bool screenCaptureActive = false;
    std::vector<QString> lookups;
    std::vector<std::string> logged;
    std::unique_ptr<SelectionBadgeController> controller;
};

} // namespace

TEST_F(SelectionBadgeControllerTest, ADragShowsTheTrimmedSelectionAtThePointerAfterTheDelay)
{
    controller->configure(true);
    drag({10, 10}, {80, 10});
    EXPECT_TRUE(controller->hasPendingCapture());
    clock.advance(std::chrono::milliseconds(179));
    EXPECT_EQ(captures, 0);

    pointer = {90, 12};
    clock.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(captures, 1);
    ASSERT_EQ(presenter->shown.size(), 1u);
    EXPECT_EQ(presenter->shown[0].text, QStringLiteral("hello world"));
    EXPECT_EQ(presenter->shown[0].near, QPointF(90, 12));
    EXPECT_FALSE(controller->hasPendingCapture());
}

TEST_F(SelectionBadgeControllerTest, ClickingTheBadgeLooksUpItsTextOnceAndHidesIt)
{
    controller->configure(true);
    press({5, 5});
    release({5, 5}, 2);
    clock.advance(std::chrono::milliseconds(180));
    ASSERT_TRUE(presenter->visible);

    presenter->click();
    EXPECT_EQ(lookups, std::vector{QStringLiteral("hello world")});
    EXPECT_FALSE(presenter->visible);
    EXPECT_FALSE(controller->service()->selectedText());

    // A click that arrives after the badge was hidden finds no text.
    controller->service()->show(QStringLiteral("again"), {0, 0});
    auto staleClick = presenter->onClick;
    controller->service()->hide();
    staleClick();
    EXPECT_EQ(lookups.size(), 1u);
}

TEST_F(SelectionBadgeControllerTest, APlainClickHidesTheBadgeAndCapturesNothing)
{
    controller->configure(true);
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    ASSERT_TRUE(presenter->visible);

    press({200, 200});
    release({201, 200});
    clock.advance(std::chrono::milliseconds(500));
    EXPECT_FALSE(presenter->visible);
    EXPECT_EQ(captures, 1);
}

TEST_F(SelectionBadgeControllerTest, ASecondSelectionWithinTheDelayCancelsTheFirstCapture)
{
    controller->configure(true);
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(100));
    selection = QStringLiteral("second");
    drag({10, 50}, {80, 50});
    clock.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(captures, 0);
    clock.advance(std::chrono::milliseconds(80));
    EXPECT_EQ(captures, 1);
    ASSERT_EQ(presenter->shown.size(), 1u);
    EXPECT_EQ(presenter->shown[0].text, QStringLiteral("second"));
}

TEST_F(SelectionBadgeControllerTest, OnlySelectionsWithALatinLetterGetABadge)
{
    EXPECT_FALSE(shouldShowSelectionBadge(QStringLiteral("你好")));
    EXPECT_FALSE(shouldShowSelectionBadge(QStringLiteral("12 345 é")));
    EXPECT_TRUE(shouldShowSelectionBadge(QStringLiteral("a你好")));

    controller->configure(true);
    selection = QStringLiteral("你好");
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_TRUE(presenter->shown.empty());
    EXPECT_GE(presenter->hides, 1);
    EXPECT_TRUE(logged.empty());
}

TEST_F(SelectionBadgeControllerTest, AFailedOrEmptyCaptureIsLoggedAndHidesTheBadge)
{
    controller->configure(true);
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    ASSERT_TRUE(presenter->visible);

    captureError = AppError::selectedTextUnavailable();
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_FALSE(presenter->visible);

    captureError.reset();
    selection = QStringLiteral(" \n ");
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_EQ(logged, (std::vector<std::string>(2, SelectionBadgeController::captureFailureContext)));
}

TEST_F(SelectionBadgeControllerTest, WhileAScreenCaptureToolRunsEventsOnlyHideTheBadge)
{
    controller->configure(true);
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    ASSERT_TRUE(presenter->visible);

    screenCaptureActive = true;
    drag({10, 10}, {80, 10});
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_FALSE(presenter->visible);
    EXPECT_EQ(captures, 1);
    EXPECT_FALSE(controller->dragTracker().mouseDownPoint);

    // A capture already waiting is called off too.
    screenCaptureActive = false;
    drag({10, 10}, {80, 10});
    screenCaptureActive = true;
    press({10, 10});
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_EQ(captures, 1);
}

TEST_F(SelectionBadgeControllerTest, TurningTheBadgeOffStopsTheMonitorAndThePendingCapture)
{
    AppNotificationCenter center;
    bool enabled = true;
    controller->followTriggerPreferences(center, [&] { return enabled; });
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(monitorRunning);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(monitorsMade, 1);

    drag({10, 10}, {80, 10});
    enabled = false;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_FALSE(monitorRunning);
    EXPECT_FALSE(controller->isMonitoring());
    EXPECT_EQ(captures, 0);
    // The badge service stays for the program's life.
    EXPECT_NE(controller->service(), nullptr);
}

TEST_F(SelectionBadgeControllerTest, AMonitorThatCannotStartIsLoggedAndRetriedLater)
{
    monitorAvailable = false;
    controller->configure(true);
    EXPECT_FALSE(controller->isMonitoring());
    EXPECT_EQ(logged, std::vector<std::string>{SelectionBadgeController::monitorFailureContext});

    monitorAvailable = true;
    controller->configure(true);
    EXPECT_TRUE(controller->isMonitoring());
}

TEST_F(SelectionBadgeControllerTest, ACaptureOutlivingTheControllerDoesNothing)
{
    controller->configure(true);
    drag({10, 10}, {80, 10});
    controller.reset();
    clock.advance(std::chrono::milliseconds(180));
    EXPECT_EQ(captures, 0);
    EXPECT_TRUE(logged.empty());
}

TEST(SelectionBadgeTimerSleepTest, EndsEarlyWithCancellation)
{
    CancellationToken cancellation;
    QTimer::singleShot(10, [cancellation] { cancellation.cancel(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_THROW(waitForTask(SelectionBadgeController::timerSleep(std::chrono::seconds(5), cancellation)),
                 CancellationError);
    EXPECT_LT(elapsed.elapsed(), 2000);
}

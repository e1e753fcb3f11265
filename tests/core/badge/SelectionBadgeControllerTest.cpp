#include "badge/SelectionBadgeController.h"

#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "foundation/CancellationError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <coroutine>
#include <sstream>

using namespace std::chrono_literals;

namespace {

struct FakePresenter : SelectionBadgePresenting {
    QStringList shown;
    QPointF near;
    std::function<void()> onClick;
    void show(const QString &text, QPointF at, std::function<void()> action) override
    {
        shown << text;
        near = at;
        onClick = std::move(action);
    }
    void hide() override { onClick = nullptr; }
    bool visible() const { return bool(onClick); }
};

// Sleeps end only when the test calls wake(); a cancelled one then throws.
struct FakeClock {
    std::vector<std::coroutine_handle<>> sleepers;
    std::vector<std::chrono::milliseconds> asked;
    struct Awaiter {
        FakeClock *clock;
        bool await_ready() const { return false; }
        void await_suspend(std::coroutine_handle<> handle) { clock->sleepers.push_back(handle); }
        void await_resume() const {}
    };
    QCoro::Task<void> sleep(std::chrono::milliseconds duration, CancellationToken cancellation)
    {
        asked.push_back(duration);
        co_await Awaiter{this};
        cancellation.throwIfCancelled();
    }
    void wake()
    {
        for (auto handle : std::exchange(sleepers, {}))
            handle.resume();
    }
};

struct FakeCapture : SelectedTextCapturing {
    std::function<QString()> answer;
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken) override { co_return answer(); }
};

struct FakeMonitor : SelectionMouseMonitoring {
    bool &running, available;
    FakeMonitor(bool &flag, bool available) : running(flag), available(available) {}
    bool start(std::function<void(const SelectionMouseEvent &)>) override { return running = available; }
    void stop() override { running = false; }
};

// The controller over fakes, driven by scripts of steps: down (press at 10,10), up (release at
// 80,10), drag (down, move, up), double (a double click in place), click (a click at 200,200),
// wait (pending sleeps end), shot/noshot (a screen capture tool starts/ends), off, or
// "=text" (what a capture finds from now on).
struct Harness {
    Harness()
    {
        SelectionBadgeController::Environment environment;
        environment.makeMonitor = [this] {
            ++monitorsMade;
            return std::make_unique<FakeMonitor>(monitorRunning, monitorAvailable);
        };
        environment.makePresenter = [this] {
            auto made = std::make_unique<FakePresenter>();
            presenter = made.get();
            return made;
        };
        environment.makeCapture = [this] {
            ++captures;
            auto capture = std::make_unique<FakeCapture>();
            capture->answer = [this] {
                if (selection == "fail")
                    throw AppError::selectedTextUnavailable();
                return selection;
            };
            return capture;
        };
        environment.pointerLocation = [] { return QPointF(90, 12); };
        environment.isScreenCaptureInterfaceActive = [this] { return screenCaptureActive; };
        environment.sleep = [this](std::chrono::milliseconds d, CancellationToken c) { return clock.sleep(d, c); };
        environment.logError = [this](const char *context, const std::exception &) { logged << context; };
        controller = std::make_unique<SelectionBadgeController>([this](const QString &text) { lookups << text; },
                                                                std::move(environment));
    }
    ~Harness()
    {
        controller.reset();
        clock.wake(); // ends the sleeps left pending
    }

    void send(SelectionMouseEvent::Kind kind, QPointF at, int clicks = 1)
    {
        controller->handleSelectionMouseEvent({kind, at, clicks});
    }
    void run(const std::string &script)
    {
        using K = SelectionMouseEvent::Kind;
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (step == "down" || step == "drag")
                send(K::leftMouseDown, {10, 10});
            if (step == "drag")
                send(K::leftMouseDragged, {80, 10});
            if (step == "up" || step == "drag")
                send(K::leftMouseUp, {80, 10});
            if (step == "double" || step == "click") {
                const QPointF at = step == "double" ? QPointF(5, 5) : QPointF(200, 200);
                send(K::leftMouseDown, at);
                send(K::leftMouseUp, at, step == "double" ? 2 : 1);
            }
            if (step == "wait")
                clock.wake();
            if (step == "shot" || step == "noshot")
                screenCaptureActive = step == "shot";
            if (step == "off")
                controller->configure(false);
            if (step.front() == '=')
                selection = QString::fromStdString(step.substr(1));
        }
    }

    FakeClock clock;
    FakePresenter *presenter = nullptr;
    bool monitorRunning = false, monitorAvailable = true, screenCaptureActive = false;
    int captures = 0, monitorsMade = 0;
    QString selection = QStringLiteral("  hello world\n");
    QStringList lookups, logged;
    std::unique_ptr<SelectionBadgeController> controller;
};

TEST(SelectionBadgeControllerTest, GestureSequences)
{
    const QString failure = SelectionBadgeController::captureFailureContext;
    const QString hello = QStringLiteral("hello world");
    struct Row {
        QString selection;
        const char *script;
        int captures;
        QStringList shown;
        bool visible;
        QStringList logged;
    };
    const Row rows[] = {
        {{}, "drag", 0, {}, false, {}},
        {{}, "drag wait", 1, {hello}, true, {}},
        {{}, "double wait", 1, {hello}, true, {}},
        {{}, "down up wait", 1, {hello}, true, {}},
        {{}, "up wait", 0, {}, false, {}},
        {{}, "drag wait click wait", 1, {hello}, false, {}},
        {{}, "drag =second drag wait", 1, {"second"}, true, {}},
        {"你好", "drag wait", 1, {}, false, {}},
        {"12 345 é", "drag wait", 1, {}, false, {}},
        {{}, "drag wait =fail drag wait", 2, {hello}, false, {failure}},
        {" \n ", "drag wait", 1, {}, false, {failure}},
        {{}, "drag wait shot drag wait", 1, {hello}, false, {}},
        {{}, "drag shot click noshot wait", 0, {}, false, {}},
        {{}, "down shot up noshot up wait", 0, {}, false, {}},
        {{}, "drag off wait", 0, {}, false, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.script);
        Harness h;
        if (!row.selection.isNull())
            h.selection = row.selection;
        h.controller->configure(true);
        h.run(row.script);
        EXPECT_EQ(h.captures, row.captures);
        EXPECT_EQ(h.presenter->shown, row.shown);
        EXPECT_EQ(h.presenter->visible(), row.visible);
        EXPECT_EQ(h.logged, row.logged);
        EXPECT_EQ(h.controller->hasPendingCapture(), !h.clock.sleepers.empty());
    }
    EXPECT_TRUE(shouldShowSelectionBadge(QStringLiteral("a你好")));
}

TEST(SelectionBadgeControllerTest, ShowsAtThePointerAfterTheDelayAndAClickLooksUpOnce)
{
    Harness h;
    h.controller->configure(true);
    h.run("drag wait");
    EXPECT_EQ(h.clock.asked, std::vector{SelectionBadgeController::captureDelay});
    EXPECT_EQ(h.presenter->near, QPointF(90, 12));

    const auto click = h.presenter->onClick;
    click();
    click();
    EXPECT_EQ(h.lookups, QStringList{QStringLiteral("hello world")}) << "a later click finds no text";
    EXPECT_FALSE(h.presenter->visible());
}

TEST(SelectionBadgeControllerTest, FollowsThePreferenceAndRetriesAMonitorThatCannotStart)
{
    Harness h;
    AppNotificationCenter center;
    bool enabled = true;
    h.monitorAvailable = false;
    h.controller->followTriggerPreferences(center, [&] { return enabled; });
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_FALSE(h.controller->isMonitoring());
    EXPECT_EQ(h.logged, QStringList{SelectionBadgeController::monitorFailureContext});

    h.monitorAvailable = true;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(h.monitorRunning);
    EXPECT_EQ(h.monitorsMade, 2);
    enabled = false;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_FALSE(h.monitorRunning);
    EXPECT_FALSE(h.controller->isMonitoring());
}

TEST(SelectionBadgeControllerTest, ACaptureOutlivingTheControllerDoesNothing)
{
    Harness h;
    h.controller->configure(true);
    h.run("drag");
    h.controller.reset();
    h.clock.wake();
    EXPECT_EQ(h.captures, 0);
    EXPECT_TRUE(h.logged.isEmpty());

    // The default sleep ends with the cancellation.
    CancellationToken cancelled;
    cancelled.cancel();
    EXPECT_THROW(waitForTask(SelectionBadgeController::timerSleep(5s, cancelled)), CancellationError);
}

} // namespace

#include "badge/SelectionBadgeController.h"

#include "capture/QTimerSelectionCaptureClock.h"
#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "foundation/CancellationError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <coroutine>
#include <sstream>

using namespace std::chrono_literals;

namespace {

struct FakePresenter : SelectionBadgePresenting {
    QStringList shown;
    QPointF near;
    std::function<void()> onClick; // set while the badge is visible
    void show(const QString &text, QPointF at, std::function<void()> action) override
    {
        shown << text;
        near = at;
        onClick = std::move(action);
    }
    void hide() override { onClick = nullptr; }
};

struct FakeMonitor : SelectionMouseMonitoring {
    bool &running, available;
    FakeMonitor(bool &running, bool available) : running(running), available(available) {}
    bool start(std::function<void(const SelectionMouseEvent &)>) override { return running = available; }
    void stop() override { running = false; }
};

struct FakeCapture : SelectedTextCapturing {
    QString text;
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken) override
    {
        if (text == "fail")
            throw AppError::selectedTextUnavailable();
        co_return text;
    }
};

// The controller over fakes; sleeps end only when the script says "wait".
struct Harness {
    struct Sleep {
        Harness *h;
        bool await_ready() const { return false; }
        void await_suspend(std::coroutine_handle<> handle) { h->sleepers.push_back(handle); }
        void await_resume() const {}
    };

    Harness()
    {
        SelectionBadgeController::Environment environment;
        environment.makeMonitor = [this] {
            ++monitorsMade;
            return std::make_unique<FakeMonitor>(monitorRunning, monitorAvailable);
        };
        environment.makePresenter = [this] { return std::unique_ptr<FakePresenter>(presenter = new FakePresenter); };
        environment.makeCapture = [this] {
            ++captures;
            auto capture = std::make_unique<FakeCapture>();
            capture->text = selection;
            return capture;
        };
        environment.pointerLocation = [] { return QPointF(90, 12); };
        environment.isScreenCaptureInterfaceActive = [this] { return screenCaptureActive; };
        environment.sleep = [this](std::chrono::milliseconds duration, CancellationToken cancellation) -> QCoro::Task<void> {
            EXPECT_EQ(duration, SelectionBadgeController::captureDelay);
            co_await Sleep{this};
            cancellation.throwIfCancelled();
        };
        environment.logError = [this](const char *context, const std::exception &) { logged << context; };
        controller = std::make_unique<SelectionBadgeController>([this](const QString &text) { lookups << text; },
                                                                std::move(environment));
    }
    ~Harness()
    {
        controller.reset();
        wake();
    }
    void wake()
    {
        for (auto handle : std::exchange(sleepers, {}))
            handle.resume();
    }

    // Steps: down (a press at 10,10), up (a release at 80,10), drag (down, a move, up), double
    // (a double click), click (a click elsewhere), wait, shot/noshot (a screen capture tool
    // starts/ends), off, tap (on the badge), or "=text" (what captures find from now on).
    void run(const std::string &script)
    {
        using K = SelectionMouseEvent::Kind;
        const auto send = [this](K kind, QPointF at, int clicks = 1) {
            controller->handleSelectionMouseEvent({kind, at, clicks});
        };
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
                send(K::leftMouseUp, at + QPointF(1, 0), step == "double" ? 2 : 1);
            }
            if (step == "tap" && tap)
                tap();
            if (step == "wait")
                wake();
            if (step == "shot" || step == "noshot")
                screenCaptureActive = step == "shot";
            if (step == "off")
                controller->configure(false);
            if (step.front() == '=')
                selection = QString::fromStdString(step.substr(1));
            if (presenter && presenter->onClick)
                tap = presenter->onClick; // a click may still arrive after the badge is gone
        }
    }

    std::vector<std::coroutine_handle<>> sleepers;
    FakePresenter *presenter = nullptr;
    std::function<void()> tap;
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
        QStringList shown, lookups, logged;
        bool visible;
    };
    const Row rows[] = {
        {{}, "drag", 0, {}, {}, {}, false},
        {{}, "drag wait", 1, {hello}, {}, {}, true},
        {{}, "double wait", 1, {hello}, {}, {}, true},
        {{}, "down up wait", 1, {hello}, {}, {}, true},
        {{}, "up wait", 0, {}, {}, {}, false},
        {{}, "drag wait tap tap", 1, {hello}, {hello}, {}, false},
        {{}, "drag wait click wait tap", 1, {hello}, {}, {}, false},
        {{}, "drag =second drag wait", 1, {"second"}, {}, {}, true},
        {"你好", "drag wait", 1, {}, {}, {}, false},
        {"12 345 é", "drag wait", 1, {}, {}, {}, false},
        {"a你好", "drag wait", 1, {"a你好"}, {}, {}, true},
        {{}, "drag wait =fail drag wait", 2, {hello}, {}, {failure}, false},
        {" \n ", "drag wait", 1, {}, {}, {failure}, false},
        {{}, "drag wait shot drag wait", 1, {hello}, {}, {}, false},
        {{}, "drag shot click noshot wait", 0, {}, {}, {}, false},
        {{}, "down shot up noshot up wait", 0, {}, {}, {}, false},
        {{}, "drag off wait", 0, {}, {}, {}, false},
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
        EXPECT_EQ(h.lookups, row.lookups);
        EXPECT_EQ(h.logged, row.logged);
        EXPECT_EQ(bool(h.presenter->onClick), row.visible);
        EXPECT_EQ(h.presenter->near, row.shown.isEmpty() ? QPointF() : QPointF(90, 12));
        EXPECT_EQ(h.controller->hasPendingCapture(), !h.sleepers.empty());
    }
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
    h.wake();
    EXPECT_EQ(h.captures, 0);
    EXPECT_TRUE(h.logged.isEmpty());
}

// The real sleeps, of the badge and of the capture, end early when cancelled.
TEST(SelectionBadgeControllerTest, TimerSleepsEndWithTheirCancellation)
{
    CancellationToken cancellation;
    QTimer::singleShot(10, [cancellation] { cancellation.cancel(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_THROW(waitForTask(SelectionBadgeController::timerSleep(10s, cancellation)), CancellationError);
    EXPECT_LT(elapsed.elapsed(), 2000);
    EXPECT_THROW(waitForTask(QTimerSelectionCaptureClock().sleep(10'000'000'000, cancellation)), CancellationError);
}

} // namespace

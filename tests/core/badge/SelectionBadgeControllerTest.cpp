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
using Kind = SelectionMouseEvent::Kind;

namespace {

// What the desktop around the controller saw; the fakes below write into it.
struct Desk {
    QStringList shown, lookups, logged;
    QPointF near;
    std::function<void()> onClick; // set while the badge is visible
    bool monitorRunning = false, monitorAvailable = true, screenCaptureActive = false;
    int captures = 0, monitorsMade = 0;
    QString selection = QStringLiteral("  hello world\n");
    std::vector<std::coroutine_handle<>> sleepers;
};

struct FakePresenter : SelectionBadgePresenting {
    Desk &d;
    explicit FakePresenter(Desk &d) : d(d) {}
    void show(const QString &text, QPointF at, std::function<void()> action) override
    {
        d.shown << text;
        d.near = at;
        d.onClick = std::move(action);
    }
    void hide() override { d.onClick = nullptr; }
};

struct FakeMonitor : SelectionMouseMonitoring {
    Desk &d;
    explicit FakeMonitor(Desk &d) : d(d) {}
    bool start(std::function<void(const SelectionMouseEvent &)>) override { return d.monitorRunning = d.monitorAvailable; }
    void stop() override { d.monitorRunning = false; }
};

struct FakeCapture : SelectedTextCapturing {
    QString text;
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken) override
    {
        co_return text == "fail" ? throw AppError::selectedTextUnavailable() : text;
    }
};

// A sleep that ends when the test wakes the sleepers.
struct Sleep {
    Desk &d;
    bool await_ready() const { return false; }
    void await_suspend(std::coroutine_handle<> handle) { d.sleepers.push_back(handle); }
    void await_resume() const {}
};

struct Harness : Desk {
    Harness()
    {
        SelectionBadgeController::Environment environment;
        environment.makeMonitor = [this] {
            ++monitorsMade;
            return std::make_unique<FakeMonitor>(*this);
        };
        environment.makePresenter = [this] { return std::make_unique<FakePresenter>(*this); };
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
            co_await Sleep{*this};
            cancellation.throwIfCancelled();
        };
        environment.logError = [this](const char *context, const std::exception &) { logged << context; };
        controller = std::make_unique<SelectionBadgeController>([this](const QString &text) { lookups << text; },
                                                                std::move(environment));
    }
    ~Harness() { controller.reset(), wake(); }
    void wake() { for (auto handle : std::exchange(sleepers, {})) handle.resume(); }

    // Steps: down (a press at 10,10), up (a release at 80,10), drag (down, a move, up), double
    // (a double click), click (elsewhere), wait (sleeps end), shot/noshot (a screen capture tool
    // starts/ends), off, tap (on the badge, also after it is gone), gone (the controller is
    // destroyed), or "=text" (what captures find from now on).
    void run(const std::string &script)
    {
        const auto send = [this](Kind kind, QPointF at, int clicks = 1) { controller->handleSelectionMouseEvent({kind, at, clicks}); };
        std::function<void()> tap;
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (step == "down" || step == "drag")
                send(Kind::leftMouseDown, {10, 10});
            if (step == "drag")
                send(Kind::leftMouseDragged, {80, 10});
            if (step == "up" || step == "drag")
                send(Kind::leftMouseUp, {80, 10});
            if (step == "double" || step == "click") {
                const QPointF at = step == "double" ? QPointF(5, 5) : QPointF(200, 200);
                send(Kind::leftMouseDown, at);
                send(Kind::leftMouseUp, at + QPointF(1, 0), step == "double" ? 2 : 1);
            }
            if (step == "tap" && tap)
                tap();
            if (step == "wait")
                wake();
            if (step == "shot" || step == "noshot")
                screenCaptureActive = step == "shot";
            if (step == "off")
                controller->configure(false);
            if (step == "gone")
                controller.reset();
            if (step.front() == '=')
                selection = QString::fromStdString(step.substr(1));
            if (onClick)
                tap = onClick;
        }
    }

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
        {"12 345 é", "drag wait", 1, {}, {}, {}, false},
        {"a你好", "drag wait", 1, {"a你好"}, {}, {}, true},
        {{}, "drag wait =fail drag wait", 2, {hello}, {}, {failure}, false},
        {" \n ", "drag wait", 1, {}, {}, {failure}, false},
        {{}, "drag wait shot drag wait", 1, {hello}, {}, {}, false},
        {{}, "drag shot click noshot wait", 0, {}, {}, {}, false},
        {{}, "down shot up noshot up wait", 0, {}, {}, {}, false},
        {{}, "drag off wait", 0, {}, {}, {}, false},
        {{}, "drag gone wait", 0, {}, {}, {}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.script);
        Harness h;
        h.selection = row.selection.isNull() ? h.selection : row.selection;
        h.controller->configure(true);
        h.run(row.script);
        EXPECT_EQ(h.captures, row.captures);
        EXPECT_EQ(h.shown, row.shown);
        EXPECT_EQ(h.lookups, row.lookups);
        EXPECT_EQ(h.logged, row.logged);
        EXPECT_EQ(bool(h.onClick), row.visible);
        EXPECT_EQ(h.near, row.shown.isEmpty() ? QPointF() : QPointF(90, 12));
        EXPECT_EQ(h.controller && h.controller->hasPendingCapture(), h.controller && !h.sleepers.empty());
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
    EXPECT_FALSE(h.monitorRunning || h.controller->isMonitoring());
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

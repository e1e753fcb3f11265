// Capture latency under a real X server (run it inside scripts/with-desktop-session.sh):
// the PRIMARY read, and the copy keystroke with the clipboard saved and put back. The copy
// path is dominated by how fast the target application answers Ctrl+C.

#include "helpers/HelperProcess.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11PrimarySelectionReader.h"
#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "capture/SelectionCaptureService.h"
#include "support/CoroutineTestSupport.h"

#include <QGuiApplication>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

class NoSelectionReader : public AccessibilitySelectedTextReading {
public:
    std::optional<QString> selectedText() override { return std::nullopt; }
};

SelectionCaptureService makeService(std::shared_ptr<SelectionPasteboard> pasteboard,
                                    std::shared_ptr<AccessibilitySelectedTextReading> reader)
{
    return SelectionCaptureService(std::move(pasteboard), std::make_shared<XTestCopyEventPoster>(),
                                   std::make_shared<QTimerSelectionCaptureClock>(), std::move(reader),
                                   [] { return X11PermissionService().isAccessibilityTrusted(); }, 500'000'000,
                                   20'000'000, std::make_shared<SelectionCaptureGate>());
}

SelectionPasteboardItemSnapshot userClipboard()
{
    SelectionPasteboardItemSnapshot contents;
    contents.setData(QStringLiteral("text/plain"), "what the user copied before");
    contents.setData(QStringLiteral("text/html"), "<p>what the user <b>copied</b> before</p>");
    contents.setData(QStringLiteral("image/png"), QByteArray(20'000, '\x42'));
    contents.setData(QStringLiteral("application/x-rarozezev-bench"), QByteArray(2'000, '\x07'));
    return contents;
}

void reportPercentiles(benchmark::State &state, std::vector<double> milliseconds, int failures)
{
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto at = [&](double fraction) {
        return milliseconds.empty()
            ? 0.0
            : milliseconds[static_cast<std::size_t>(fraction * static_cast<double>(milliseconds.size() - 1))];
    };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p90_ms"] = at(0.90);
    state.counters["p99_ms"] = at(0.99);
    state.counters["failures"] = failures;
}

void BM_CapturePrimarySelection(benchmark::State &state)
{
    HelperProcess owner(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), {});
    if (!waitForTask(owner.start())
        || waitForTask(owner.request("primary " + QByteArray("  a selected phrase \n").toBase64())) != "ok") {
        state.SkipWithError("clipboard_owner did not start");
        return;
    }
    std::vector<double> latencies;
    int failures = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        try {
            auto service = makeService(std::make_shared<X11SelectionPasteboard>(),
                                       std::make_shared<X11PrimarySelectionReader>());
            benchmark::DoNotOptimize(waitForTask(service.captureSelectedTextUsingClipboardFallback()));
        } catch (const std::exception &) {
            ++failures;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        latencies.push_back(elapsed.count() * 1e3);
    }
    reportPercentiles(state, std::move(latencies), failures);
}
BENCHMARK(BM_CapturePrimarySelection)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

void BM_CaptureByCopyKeystroke(benchmark::State &state)
{
    HelperProcess owner(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), {});
    HelperProcess target(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), {});
    if (!waitForTask(owner.start()) || !waitForTask(target.start())) {
        state.SkipWithError("the helper programs did not start");
        return;
    }
    std::vector<double> latencies;
    int failures = 0;
    for (auto _ : state) {
        // Each capture starts from a clipboard that another application owns, as after a copy.
        auto pasteboard = std::make_shared<X11SelectionPasteboard>();
        const qint64 before = pasteboard->changeCount();
        if (waitForTask(owner.request(clipboardSetCommand(userClipboard()))) != "ok") {
            state.SkipWithError("clipboard_owner stopped answering");
            return;
        }
        for (int i = 0; i < 400 && pasteboard->changeCount() == before; ++i)
            waitForTask(QTimerSelectionCaptureClock().sleep(5'000'000, {}));

        const auto start = std::chrono::steady_clock::now();
        try {
            auto service = makeService(pasteboard, std::make_shared<NoSelectionReader>());
            benchmark::DoNotOptimize(waitForTask(service.captureSelectedTextUsingClipboardFallback()));
        } catch (const std::exception &) {
            ++failures;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        latencies.push_back(elapsed.count() * 1e3);
    }
    reportPercentiles(state, std::move(latencies), failures);
}
BENCHMARK(BM_CaptureByCopyKeystroke)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    return runBenchmarks<QGuiApplication>(argc, argv);
}

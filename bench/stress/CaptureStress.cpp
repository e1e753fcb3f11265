// Runs many captures through the copy keystroke, each with different random clipboard
// contents owned by another process, and counts the captures that left the clipboard
// different from what it held before. Needs an X server with a window manager.
//   capture_stress [count] [seed]

#include "HelperProcess.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "capture/SelectionCaptureService.h"
#include "foundation/AppError.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

class NoSelectionReader : public AccessibilitySelectedTextReading {
public:
    std::optional<QString> selectedText() override { return std::nullopt; }
};

QString randomWords(QRandomGenerator &random)
{
    static const QStringList words{QStringLiteral("take"),  QStringLiteral("off"),   QStringLiteral("ubiquitous"),
                                   QStringLiteral("剪贴板"), QStringLiteral("naïve"), QStringLiteral("résumé"),
                                   QStringLiteral("run"),   QStringLiteral("up"),    QStringLiteral("a")};
    QStringList picked;
    const int count = random.bounded(1, 8);
    for (int i = 0; i < count; ++i)
        picked << words[random.bounded(static_cast<int>(words.size()))];
    return picked.join(QLatin1Char(' '));
}

QByteArray randomBytes(QRandomGenerator &random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

SelectionPasteboardItemSnapshot randomContents(QRandomGenerator &random)
{
    SelectionPasteboardItemSnapshot contents;
    if (random.bounded(4) != 0)
        contents.setData(QStringLiteral("text/plain"), randomWords(random).toUtf8());
    if (random.bounded(2) == 0)
        contents.setData(QStringLiteral("text/html"), "<p>" + randomWords(random).toUtf8() + "</p>");
    if (random.bounded(3) == 0)
        contents.setData(QStringLiteral("image/png"), "\x89PNG" + randomBytes(random, random.bounded(1, 4096)));
    const int customTypes = random.bounded(3);
    for (int i = 0; i < customTypes; ++i) {
        // Now and then larger than one X request, so that it travels in INCR chunks.
        const int size = random.bounded(20) == 0 ? random.bounded(300'000, 600'000) : random.bounded(1, 2000);
        contents.setData(QStringLiteral("application/x-stress-%1").arg(random.bounded(1000)), randomBytes(random, size));
    }
    if (contents.contentsByType.isEmpty())
        contents.setData(QStringLiteral("text/plain"), "plain");
    return contents;
}

QString describe(const SelectionPasteboardItemSnapshot &contents)
{
    QStringList parts;
    for (const auto &[type, bytes] : contents.contentsByType)
        parts << QStringLiteral("%1 (%2 bytes)").arg(type).arg(bytes.size());
    return parts.join(QStringLiteral(", "));
}

QCoro::Task<int> run(int count, quint32 seed)
{
    QTextStream out(stdout);
    QRandomGenerator random(seed);
    HelperProcess owner(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), {});
    HelperProcess target(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), {});
    if (!co_await owner.start() || !co_await target.start()) {
        out << "capture_stress: the helper programs did not start\n";
        co_return 2;
    }

    int different = 0;
    int failedCaptures = 0;
    int wrongTexts = 0;
    std::vector<qint64> latencies;
    for (int i = 0; i < count; ++i) {
        const QString selected = randomWords(random);
        const SelectionPasteboardItemSnapshot contents = randomContents(random);
        auto pasteboard = std::make_shared<X11SelectionPasteboard>();
        const qint64 changeCount = pasteboard->changeCount();
        if (co_await target.request("select " + selected.toUtf8().toBase64()) != QByteArray("ok")
            || co_await owner.request(clipboardSetCommand(contents)) != QByteArray("ok")) {
            out << "capture_stress: a helper stopped answering at capture " << i << "\n";
            co_return 2;
        }
        // The hotkey comes long after the user's last copy, when Qt has heard of it: wait as long.
        QElapsedTimer waited;
        waited.start();
        while (pasteboard->changeCount() == changeCount && waited.elapsed() < 2000)
            co_await QTimerSelectionCaptureClock().sleep(2'000'000, {});

        SelectionCaptureService service(pasteboard, std::make_shared<XTestCopyEventPoster>(),
                                        std::make_shared<QTimerSelectionCaptureClock>(),
                                        std::make_shared<NoSelectionReader>(),
                                        [] { return X11PermissionService().isAccessibilityTrusted(); }, 500'000'000,
                                        20'000'000, std::make_shared<SelectionCaptureGate>());
        QElapsedTimer elapsed;
        elapsed.start();
        try {
            const QString text = co_await service.captureSelectedTextUsingClipboardFallback();
            latencies.push_back(elapsed.nsecsElapsed());
            if (text != selected)
                ++wrongTexts;
        } catch (const AppError &error) {
            ++failedCaptures;
            out << "capture " << i << " after " << elapsed.elapsed() << " ms: " << error.errorDescription() << " with "
                << describe(contents) << "\n";
        }

        const auto dumped = co_await owner.request("dump", std::chrono::seconds(60));
        const auto after = dumped ? parseClipboardDump(*dumped) : std::nullopt;
        if (!after || *after != contents) {
            ++different;
            out << "capture " << i << ": the clipboard was left different: " << describe(contents) << " became "
                << (after ? describe(*after) : QStringLiteral("unreadable")) << "\n";
        }
        if ((i + 1) % 100 == 0) {
            out << (i + 1) << " captures\n";
            out.flush();
        }
    }

    std::sort(latencies.begin(), latencies.end());
    const double p50 = latencies.empty() ? 0.0 : latencies[latencies.size() / 2] / 1e6;
    out << "captures: " << count << ", failed: " << failedCaptures << ", wrong text: " << wrongTexts
        << ", clipboard left different: " << different << ", p50 latency: " << p50 << " ms\n";
    co_return different == 0 && failedCaptures == 0 && wrongTexts == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    const int count = arguments.size() > 1 ? arguments[1].toInt() : 1000;
    const quint32 seed = arguments.size() > 2 ? arguments[2].toUInt() : QRandomGenerator::global()->generate();
    std::printf("capture_stress: %d captures, seed %u\n", count, seed);
    std::fflush(stdout);

    int exitCode = 2;
    QCoro::Task<void> driver;
    QTimer::singleShot(0, [&] {
        driver = run(count, seed).then([&](int code) {
            exitCode = code;
            QCoreApplication::quit();
        });
    });
    app.exec();
    return exitCode;
}

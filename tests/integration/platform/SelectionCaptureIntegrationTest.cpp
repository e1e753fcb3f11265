#include "helpers/HelperProcess.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "capture/SelectionCaptureService.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "foundation/AppError.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString kUnavailable = AppError::selectedTextUnavailable().errorDescription();

struct NoSelectionReader : AccessibilitySelectedTextReading {
    std::optional<QString> selectedText() override { return std::nullopt; }
};

SelectionPasteboardItemSnapshot formerClipboard()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    SelectionPasteboardItemSnapshot contents;
    contents.setData(QStringLiteral("text/plain"), QStringLiteral("former clipboard — 剪贴板").toUtf8());
    contents.setData(QStringLiteral("text/html"), "<p>former <b>clipboard</b></p>");
    contents.setData(QStringLiteral("image/png"), png);
    contents.setData(QStringLiteral("application/x-rarozezev-test"), QByteArray("\0\1\2custom\xff", 10));
    return contents;
}

void sleepOnEventLoop(int milliseconds)
{
    waitForTask(QTimerSelectionCaptureClock().sleep(quint64(milliseconds) * 1'000'000, {}));
}

// The test command runs these inside a desktop session (Xvfb with openbox); the target and
// the clipboard owner are other X11 clients, as the user's applications would be.
class SelectionCaptureIntegrationTest : public ::testing::Test {
protected:
    HelperProcess owner{QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), {}};
    std::unique_ptr<HelperProcess> target;

    void SetUp() override { ASSERT_TRUE(waitForTask(owner.start())); }

    void TearDown() override
    {
        target.reset();
        // Let the window manager move the focus away from the closed window.
        sleepOnEventLoop(100);
    }

    void startTarget(QStringList arguments, const QString &selected)
    {
        target = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CAPTURE_TARGET), std::move(arguments));
        ASSERT_TRUE(waitForTask(target->start())) << "the target window never got the focus";
        ASSERT_EQ(waitForTask(target->request("select " + selected.toUtf8().toBase64())), "ok");
    }

    void ownClipboard(const SelectionPasteboardItemSnapshot &contents)
    {
        const X11SelectionPasteboard watcher;
        const qint64 changeCount = watcher.changeCount();
        ASSERT_EQ(waitForTask(owner.request(clipboardSetCommand(contents))), "ok");
        // A capture starts long after the user's copy, when Qt has heard of it; wait as long.
        for (int i = 0; i < 400 && watcher.changeCount() == changeCount; ++i)
            sleepOnEventLoop(5);
    }

    // The clipboard as another client sees it.
    SelectionPasteboardItemSnapshot clipboardSeenByOwner()
    {
        const auto line = waitForTask(owner.request("dump"));
        return line ? parseClipboardDump(*line).value_or(SelectionPasteboardItemSnapshot{})
                    : SelectionPasteboardItemSnapshot{};
    }

    // The captured text, or the error's message; no PRIMARY, so the copy keystroke goes out.
    static QString capture()
    {
        SelectionCaptureService service(std::make_shared<X11SelectionPasteboard>(),
                                        std::make_shared<XTestCopyEventPoster>(),
                                        std::make_shared<QTimerSelectionCaptureClock>(), std::make_shared<NoSelectionReader>(),
                                        [] { return X11PermissionService().isAccessibilityTrusted(); }, 500'000'000,
                                        20'000'000, std::make_shared<SelectionCaptureGate>());
        try {
            return waitForTask(service.captureSelectedTextUsingClipboardFallback());
        } catch (const AppError &error) {
            return error.errorDescription();
        }
    }
};

// Alt is still held from the hotkey when the copy keystroke goes out.
TEST_F(SelectionCaptureIntegrationTest, CopyKeystrokeCapturesAndEveryFormatComesBackWhileAltIsHeld)
{
    ownClipboard(formerClipboard());
    startTarget({}, QStringLiteral("  copied selection "));
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("keydown"), QStringLiteral("Alt_L")}), 0);
    const QString text = capture();
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("Alt_L")});
    EXPECT_EQ(text, QStringLiteral("copied selection"));
    EXPECT_EQ(clipboardSeenByOwner(), formerClipboard());
}

TEST_F(SelectionCaptureIntegrationTest, TerminalsNeverReceiveTheKeystroke)
{
    ownClipboard(formerClipboard());
    // Qt's -name option sets the instance name in WM_CLASS.
    startTarget({QStringLiteral("-name"), QStringLiteral("xterm")}, QStringLiteral("would be interrupted"));
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(capture(), kUnavailable) << "the terminal received Ctrl+C and copied";
    EXPECT_LT(elapsed.elapsed(), 400) << "nothing to wait for when no keystroke was posted";
    EXPECT_EQ(clipboardSeenByOwner(), formerClipboard());
}

} // namespace

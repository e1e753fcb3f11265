#include "foundation/AppError.h"
#include "platform/wayland/WaylandDataControlSelection.h"
#include "platform/wayland/WaylandSelectionCapture.h"
#include "support/CoroutineTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

using Selection = WaylandDataControlSelection::Selection;

// wl-clipboard on the session's headless sway; its standard output.
QString wlClipboard(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), qEnvironmentVariable("RAROZEZEV_TEST_WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    // wl-copy leaves a server behind, which must not hold our pipe.
    if (program == QLatin1String("wl-copy"))
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(10000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The primary selection and the clipboard are read from a compositor where this program has
// no window, and both stay with their owner.
TEST(WaylandDataControlSelection, ReadsBothSelectionsAndLeavesThemWithTheirOwner)
{
    const QByteArray display = qgetenv("RAROZEZEV_TEST_WAYLAND_DISPLAY");
    ASSERT_FALSE(display.isEmpty()) << "run inside scripts/with-desktop-session.sh";
    const WaylandDataControlSelection selection(display);
    ASSERT_TRUE(selection.isAvailable());
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("former clipboard — 剪贴板")});
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--primary"), QStringLiteral("  take off\n")});

    EXPECT_EQ(selection.text(Selection::clipboard), QStringLiteral("former clipboard — 剪贴板"));
    EXPECT_EQ(selection.text(Selection::primary), QStringLiteral("  take off\n"));
    EXPECT_EQ(waitForTask(WaylandSelectionCapture(selection).captureSelectedTextUsingClipboardFallback()),
              QStringLiteral("take off"));
    EXPECT_EQ(wlClipboard(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}),
              QStringLiteral("former clipboard — 剪贴板"));

    // Nothing selected: the learner is told what to do, and the clipboard is not read instead.
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--primary"), QStringLiteral("--clear")});
    EXPECT_EQ(selection.text(Selection::primary), std::nullopt);
    EXPECT_THROW(waitForTask(WaylandSelectionCapture(selection).captureSelectedTextUsingClipboardFallback()), AppError);
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--clear")});
}

} // namespace

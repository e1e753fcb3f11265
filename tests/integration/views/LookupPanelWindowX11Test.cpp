#include "views/lookup/LookupPanelWindow.h"

#include "platform/x11/X11WorkspacePinning.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "views/lookup/LookupPanelPresenter.h"
#include "views/lookup/LookupPanelView.h"

#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// A property of the window as the window manager set it, in xprop's words.
QString property(QWindow *window, const char *name)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()), QString::fromLatin1(name)});
    xprop.waitForFinished(5000);
    return QString::fromLatin1(xprop.readAllStandardOutput());
}

bool hasState(QWindow *window, const char *state)
{
    return property(window, "_NET_WM_STATE").contains(QString::fromLatin1(state));
}

bool isOnAllDesktops(QWindow *window)
{
    return hasState(window, "_NET_WM_STATE_STICKY") || property(window, "_NET_WM_DESKTOP").contains(QStringLiteral("= 4294967295"));
}

// The panel as the shell presents it, against a real window manager.
class LookupPanelWindowX11Test : public ::testing::Test {
protected:
    void SetUp() override { other.setGeometry(20, 20, 200, 150); }

    QPointer<LookupPanelWindow> present()
    {
        auto viewModel = std::make_shared<LookupViewModel>(
            std::make_shared<FakeSelectionCaptureService>(), std::make_shared<FakeAIClient>(),
            std::make_shared<InMemoryAPIKeyStore>(), std::make_shared<InMemoryLookupResultCache>(),
            std::make_shared<FakeSystemDictionary>());
        auto *window =
            new LookupPanelWindow(new LookupPanelView(viewModel, UserSettings(), LookupPanelStartAction::none(), {}, {}, {}));
        window->setWorkspacePinning(&X11WorkspacePinning::apply);
        presenter.present(window);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }));
        return window;
    }
    bool focusElsewhere()
    {
        other.show();
        other.activateWindow();
        return QTest::qWaitFor([&] { return other.isActiveWindow(); });
    }

    LookupPanelPresenter presenter;
    QWidget other;
};

TEST_F(LookupPanelWindowX11Test, PinningKeepsThePanelAboveOnEveryDesktopWithoutUnmappingIt)
{
    QPointer<LookupPanelWindow> panel = present();
    QWindow *window = panel->windowHandle();
    EXPECT_TRUE(QTest::qWaitFor([&] { return hasState(window, "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_FALSE(hasState(window, "_NET_WM_STATE_ABOVE"));
    EXPECT_FALSE(isOnAllDesktops(window));

    panel->togglePin();
    EXPECT_TRUE(QTest::qWaitFor([&] { return hasState(window, "_NET_WM_STATE_ABOVE") && isOnAllDesktops(window); }));
    EXPECT_EQ(panel->windowHandle(), window) << "the native window was not recreated";

    panel->togglePin();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hasState(window, "_NET_WM_STATE_ABOVE") && !isOnAllDesktops(window); }));
    EXPECT_TRUE(panel->isActiveWindow()) << "unpinning keeps the focus, so the panel stays";
}

TEST_F(LookupPanelWindowX11Test, FocusElsewhereClosesAnUnpinnedPanelButNotAPinnedOne)
{
    QPointer<LookupPanelWindow> pinned = present();
    pinned->togglePin();
    ASSERT_TRUE(focusElsewhere());
    QTest::qWait(300);
    EXPECT_TRUE(pinned && pinned->isVisible());

    QPointer<LookupPanelWindow> unpinned = present();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pinned; })) << "a new panel replaces the old one";
    ASSERT_TRUE(focusElsewhere());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !unpinned; }, 1000));
}

} // namespace

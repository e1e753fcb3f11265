#include "views/lookup/LookupPanelWindow.h"

#include "platform/x11/X11WorkspacePinning.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "views/lookup/LookupPanelPresenter.h"
#include "views/lookup/LookupPanelView.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace std::chrono_literals;

xcb_connection_t *connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 0, uint16_t(qstrlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(0);
}

QList<quint32> property(QWindow *window, const char *name, xcb_atom_t type)
{
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection(),
                               xcb_get_property(connection(), 0, xcb_window_t(window->winId()), atom(name), type, 0, 64),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    return QList<quint32>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

bool hasState(QWindow *window, const char *state)
{
    return property(window, "_NET_WM_STATE", XCB_ATOM_ATOM).contains(atom(state));
}

bool isOnAllDesktops(QWindow *window)
{
    return hasState(window, "_NET_WM_STATE_STICKY") ||
           property(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL).contains(0xFFFFFFFFu);
}

bool eventually(const std::function<bool()> &condition, int milliseconds = 3000)
{
    return QTest::qWaitFor(condition, milliseconds);
}

class LookupPanelWindowX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "needs an X server";
        }
    }
    void TearDown() override { delete m_other.data(); }

    LookupPanelWindow *makeWindow()
    {
        auto viewModel = std::make_shared<LookupViewModel>(
            std::make_shared<FakeSelectionCaptureService>(), std::make_shared<FakeAIClient>(),
            std::make_shared<InMemoryAPIKeyStore>(), std::make_shared<InMemoryLookupResultCache>(),
            std::make_shared<FakeSystemDictionary>());
        auto *window =
            new LookupPanelWindow(new LookupPanelView(viewModel, UserSettings(), LookupPanelStartAction::none(), {}, {}, {}));
        window->setWorkspacePinning(&X11WorkspacePinning::apply);
        return window;
    }

    QWidget *otherWindow()
    {
        if (!m_other) {
            m_other = new QWidget;
            m_other->setWindowTitle(QStringLiteral("elsewhere"));
            m_other->setGeometry(20, 20, 200, 150);
            m_other->show();
        }
        return m_other;
    }

    LookupPanelPresenter presenter;

private:
    QPointer<QWidget> m_other;
};

TEST_F(LookupPanelWindowX11Test, PinningKeepsThePanelAboveOnEveryDesktopWithoutUnmappingIt)
{
    QPointer<LookupPanelWindow> panel = makeWindow();
    presenter.present(panel);
    ASSERT_TRUE(eventually([&] { return panel->isActiveWindow(); }));
    QWindow *window = panel->windowHandle();
    EXPECT_TRUE(eventually([&] { return hasState(window, "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_FALSE(hasState(window, "_NET_WM_STATE_ABOVE"));
    EXPECT_FALSE(isOnAllDesktops(window));

    panel->togglePin();
    EXPECT_TRUE(eventually([&] { return hasState(window, "_NET_WM_STATE_ABOVE"); }));
    EXPECT_TRUE(eventually([&] { return isOnAllDesktops(window); }));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowHandle(), window) << "the native window was not recreated";

    panel->togglePin();
    EXPECT_TRUE(eventually([&] { return !hasState(window, "_NET_WM_STATE_ABOVE"); }));
    EXPECT_TRUE(eventually([&] { return !isOnAllDesktops(window); }));
    EXPECT_TRUE(panel->isActiveWindow()) << "unpinning keeps the focus, so the panel stays";
}

TEST_F(LookupPanelWindowX11Test, FocusElsewhereClosesAnUnpinnedPanelButNotAPinnedOne)
{
    QPointer<LookupPanelWindow> pinned = makeWindow();
    presenter.present(pinned);
    ASSERT_TRUE(eventually([&] { return pinned->isActiveWindow(); }));
    pinned->togglePin();
    otherWindow()->activateWindow();
    ASSERT_TRUE(eventually([&] { return otherWindow()->isActiveWindow(); }));
    QTest::qWait(300);
    EXPECT_TRUE(pinned && pinned->isVisible());

    QPointer<LookupPanelWindow> unpinned = makeWindow();
    presenter.present(unpinned);
    EXPECT_TRUE(eventually([&] { return !pinned; })) << "a new panel replaces the old one";
    ASSERT_TRUE(eventually([&] { return unpinned->isActiveWindow(); }));
    otherWindow()->activateWindow();
    EXPECT_TRUE(eventually([&] { return !unpinned; }, 1000));
}

} // namespace

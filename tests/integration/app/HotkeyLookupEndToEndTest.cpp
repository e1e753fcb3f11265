#include "integration/app/TrayApplicationHarness.h"

namespace {

using HotkeyLookupEndToEndTest = TrayApplicationHarness;

// The learner selects text in another application and presses Alt+D.
TEST_F(HotkeyLookupEndToEndTest, AltDExplainsTheSelectionInTheLookupPanel)
{
    configureService();
    ASSERT_TRUE(startApplication());
    startTarget(QStringLiteral("take off"));
    // Selected from the keyboard, so that the text becomes the PRIMARY selection.
    xdotool({"windowactivate", "--sync", targetWindow});
    xdotool({"key", "End", "shift+Home"});

    xdotool({"key", "alt+d"});
    ASSERT_TRUE(serverReceivedPromptWith(QStringLiteral("take off")));
    EXPECT_EQ(server.requests().first().header("Authorization"), "Bearer " + apiKey);
    const QJsonObject panel = loadedPanel();
    EXPECT_EQ(panel["selectedText"].toString(), QStringLiteral("take off"));
    EXPECT_EQ(panel["explanation"].toString(), explanation);
    EXPECT_TRUE(panel["active"].toBool());
    EXPECT_EQ(visibleWindows(), QStringList{panel["windowId"].toString()});
}

} // namespace

#include "viewmodels/lookup/LookupPanelPinController.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(LookupPanelPinControllerTest, StartsUnpinnedAndTheButtonFollowsEachToggle)
{
    LookupPanelPinController pin;
    int changes = 0;
    QObject::connect(&pin, &LookupPanelPinController::changed, [&] { ++changes; });
    EXPECT_FALSE(pin.isPinned());
    EXPECT_EQ(pin.systemImageName(), QStringLiteral("pin"));
    EXPECT_EQ(pin.helpText(), QStringLiteral("固定窗口"));

    pin.toggle();
    EXPECT_TRUE(pin.isPinned());
    EXPECT_EQ(pin.systemImageName(), QStringLiteral("pin.fill"));
    EXPECT_EQ(pin.helpText(), QStringLiteral("取消固定"));

    pin.toggle();
    EXPECT_FALSE(pin.isPinned());
    EXPECT_EQ(pin.helpText(), QStringLiteral("固定窗口"));
    EXPECT_EQ(changes, 2);
}

#include "services/HotkeyController.h"

#include "FakeHotkeyRegistrationBackend.h"
#include "support/TestSupport.h"
#include "utilities/AppNotificationCenter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class HotkeyControllerTest : public ::testing::Test {
protected:
    HotkeyBackendRecord record;
    int backendsMade = 0;
    FakeHotkeyFailure nextRegisterFailure = FakeHotkeyFailure::none;
    FakeHotkeyRegistrationBackend *latestBackend = nullptr;
    QStringList logged;
    int presses = 0;

    std::unique_ptr<HotkeyController> makeController()
    {
        return std::make_unique<HotkeyController>(
            [this] { ++presses; },
            [this] {
                ++backendsMade;
                auto backend = std::make_unique<FakeHotkeyRegistrationBackend>(record);
                backend->registerFailure = nextRegisterFailure;
                latestBackend = backend.get();
                return backend;
            },
            [this](const char *context, const std::exception &error) {
                logged << QString::fromUtf8(context) + QStringLiteral(": ") + QString::fromUtf8(error.what());
            });
    }
};

TEST_F(HotkeyControllerTest, EnablingRegistersAndDisablingUnregistersAndDropsTheService)
{
    auto controller = makeController();
    controller->configure(true);
    controller->configure(true);
    EXPECT_TRUE(controller->isRegistered());
    EXPECT_EQ(backendsMade, 1);
    record.press();
    EXPECT_EQ(presses, 1);

    controller->configure(false);
    EXPECT_EQ(controller->service(), nullptr);
    EXPECT_EQ(record.calls, QStringList({"install 1", "register 2", "unregister 2", "remove 1"}));
    controller->configure(false);
    EXPECT_EQ(record.calls.size(), 4) << "disabling twice is harmless";

    // Enabling again registers afresh, over a new backend.
    controller->configure(true);
    EXPECT_TRUE(controller->isRegistered());
    EXPECT_EQ(backendsMade, 2);
    EXPECT_TRUE(logged.isEmpty());
}

TEST_F(HotkeyControllerTest, AFailedRegistrationIsLoggedAndTheServiceStaysForALaterTry)
{
    nextRegisterFailure = FakeHotkeyFailure::throws;
    auto controller = makeController();
    controller->configure(true);

    EXPECT_EQ(logged, QStringList({"Failed to register global hotkey Option+D: hotkeyRegistrationFailed"}));
    ASSERT_NE(controller->service(), nullptr);
    EXPECT_FALSE(controller->isRegistered());
    EXPECT_EQ(record.installedHandlers, 0);

    latestBackend->registerFailure = FakeHotkeyFailure::none;
    controller->configure(true);
    EXPECT_TRUE(controller->isRegistered());
    EXPECT_EQ(backendsMade, 1);
    EXPECT_EQ(logged.size(), 1);
}

TEST_F(HotkeyControllerTest, FollowsTheTriggerPreferencesNotification)
{
    AppNotificationCenter center;
    bool enabled = true;
    auto controller = makeController();
    controller->followTriggerPreferences(center, [&] { return enabled; });

    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(controller->isRegistered());

    enabled = false;
    center.post(AppNotification::openCollection);
    EXPECT_TRUE(controller->isRegistered()) << "other notifications change nothing";
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(controller->service(), nullptr);

    enabled = true;
    controller.reset();
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(backendsMade, 1) << "a destroyed controller no longer listens";
}

} // namespace

#include "hotkey/HotkeyController.h"
#include "hotkey/GlobalShortcut.h"
#include "hotkey/HotkeyRegistrationError.h"

#include "foundation/AppNotificationCenter.h"
#include "support/TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

enum class Failure { none, throws, returnsNull };
using Kind = HotkeyRegistrationError::Kind;

// A platform that records its calls ("install", "register", ...) and keeps the installed action.
struct Platform : HotkeyRegistrationBackend {
    struct Token : HotkeyHandlerToken, RegisteredHotkeyToken {};

    QStringList calls;
    std::function<void()> action;
    Failure install = Failure::none, registration = Failure::none;

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override
    {
        if (!succeeds("install", install, HotkeyRegistrationError::eventHandlerInstallationFailed()))
            return nullptr;
        action = std::move(onTrigger);
        return std::make_unique<Token>();
    }
    void removeHandler(std::unique_ptr<HotkeyHandlerToken>) override { calls << "remove", action = nullptr; }
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override
    {
        const bool registered = succeeds("register", registration, HotkeyRegistrationError::hotkeyRegistrationFailed());
        return registered ? std::make_unique<Token>() : nullptr;
    }
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken>) override { calls << "unregister"; }

    bool succeeds(const char *call, Failure failure, const HotkeyRegistrationError &error)
    {
        if (failure == Failure::throws)
            throw error;
        if (failure == Failure::none)
            calls << call;
        return failure == Failure::none;
    }
};

// Hands the controller backends that forward to one platform.
struct Forwarder : HotkeyRegistrationBackend {
    Platform &p;
    explicit Forwarder(Platform &p) : p(p) {}
    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> f) override { return p.installHandler(std::move(f)); }
    void removeHandler(std::unique_ptr<HotkeyHandlerToken> t) override { p.removeHandler(std::move(t)); }
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override { return p.registerDefaultHotkey(); }
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> t) override { p.unregisterHotkey(std::move(t)); }
};

const QStringList registeredThenReleased{"install", "register", "unregister", "remove"};

struct Controlled {
    explicit Controlled(Platform &platform) : platform(platform) {}
    Platform &platform;
    int backendsMade = 0;
    QList<Kind> logged;
    HotkeyController controller{[] {},
                                [this](const GlobalShortcut &) {
                                    ++backendsMade;
                                    return std::make_unique<Forwarder>(platform);
                                },
                                [this](const char *context, const std::exception &error) {
                                    EXPECT_STREQ(context, HotkeyController::registrationFailureContext);
                                    logged << dynamic_cast<const HotkeyRegistrationError &>(error).kind();
                                }};
};

// Whatever fails, it is logged, nothing stays installed, and the service stays for a later try.
TEST(HotkeyControllerTest, AFailedRegistrationIsLoggedLeavesNothingHeldAndIsRetriedLater)
{
    const std::tuple<Failure, Failure, Kind, QStringList> rows[] = {
        {Failure::throws, Failure::none, Kind::eventHandlerInstallationFailed, {}},
        {Failure::returnsNull, Failure::none, Kind::eventHandlerInstallationFailed, {}},
        {Failure::none, Failure::throws, Kind::hotkeyRegistrationFailed, {"install", "remove"}},
        {Failure::none, Failure::returnsNull, Kind::hotkeyRegistrationFailed, {"install", "remove"}},
    };
    for (const auto &[install, registration, expected, calls] : rows) {
        Platform platform;
        Controlled c(platform);
        c.platform.install = install;
        c.platform.registration = registration;
        c.controller.configure(true);
        EXPECT_EQ(c.logged, QList<Kind>{expected});
        EXPECT_FALSE(c.controller.isRegistered());
        EXPECT_EQ(c.platform.calls, calls);
        EXPECT_FALSE(c.platform.action);

        c.platform.install = c.platform.registration = Failure::none;
        c.controller.configure(true);
        EXPECT_TRUE(c.controller.isRegistered());
        EXPECT_EQ(c.backendsMade, 1);
    }
}

TEST(HotkeyControllerTest, FollowsTheTriggerPreferenceUntilDestroyed)
{
    AppNotificationCenter center;
    Platform platform;
    auto c = std::make_unique<Controlled>(platform);
    bool enabled = true;
    c->controller.followTriggerPreferences(center, [&] { return enabled; });
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(c->controller.isRegistered());
    enabled = false;
    center.post(AppNotification::openCollection);
    EXPECT_TRUE(c->controller.isRegistered()) << "other notifications change nothing";
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(c->controller.service(), nullptr);
    EXPECT_EQ(c->platform.calls, registeredThenReleased);
    enabled = true;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(c->controller.isRegistered());
    EXPECT_EQ(c->backendsMade, 2) << "a new backend after disabling";

    c.reset();
    const QStringList calls = platform.calls;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(platform.calls, calls) << "a destroyed controller no longer listens";
}


// The new combination is claimed before the old one is let go; a refused one leaves the old.
TEST(HotkeyControllerTest, AnotherCombinationIsClaimedBeforeTheOldIsReleased)
{
    Platform platform;
    Controlled c(platform);
    c.controller.configure(true);
    const GlobalShortcut other = *GlobalShortcut::parse(QStringLiteral("Ctrl+Alt+K"));
    platform.registration = Failure::throws;
    EXPECT_FALSE(c.controller.changeShortcut(other));
    EXPECT_EQ(platform.calls, QStringList({"install", "register", "install", "remove"}));
    EXPECT_EQ(c.controller.shortcut(), GlobalShortcut::defaultShortcut());

    platform.registration = Failure::none;
    platform.calls.clear();
    EXPECT_TRUE(c.controller.changeShortcut(other));
    EXPECT_EQ(platform.calls, QStringList({"install", "register", "unregister", "remove"}));
    EXPECT_EQ(c.controller.shortcut(), other);
}

} // namespace

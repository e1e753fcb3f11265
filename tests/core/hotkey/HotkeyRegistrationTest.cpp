#include "hotkey/HotkeyController.h"
#include "hotkey/HotkeyRegistrationError.h"

#include "foundation/AppNotificationCenter.h"
#include "support/TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

enum class Failure { none, throws, returnsNull };
using Kind = HotkeyRegistrationError::Kind;

// Records the platform calls ("install 1", "register 2", ...) and keeps the installed action.
struct Platform {
    QStringList calls;
    std::function<void()> action;
    Failure install = Failure::none;
    Failure registration = Failure::none;
    int nextId = 0;
};

struct Token : HotkeyHandlerToken, RegisteredHotkeyToken {
    int id = 0;
};

class FakeBackend : public HotkeyRegistrationBackend {
public:
    explicit FakeBackend(Platform &platform) : p(platform) {}

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override
    {
        if (!succeeds(p.install, HotkeyRegistrationError::eventHandlerInstallationFailed()))
            return nullptr;
        p.action = std::move(onTrigger);
        return issue("install");
    }
    void removeHandler(std::unique_ptr<HotkeyHandlerToken> token) override
    {
        record("remove", static_cast<Token &>(*token).id);
        p.action = nullptr;
    }
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override
    {
        return succeeds(p.registration, HotkeyRegistrationError::hotkeyRegistrationFailed()) ? issue("register")
                                                                                            : nullptr;
    }
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token) override
    {
        record("unregister", static_cast<Token &>(*token).id);
    }

private:
    static bool succeeds(Failure failure, const HotkeyRegistrationError &error)
    {
        if (failure == Failure::throws)
            throw error;
        return failure == Failure::none;
    }
    std::unique_ptr<Token> issue(const char *call)
    {
        auto token = std::make_unique<Token>();
        record(call, token->id = ++p.nextId);
        return token;
    }
    void record(const char *call, int id) { p.calls << QStringLiteral("%1 %2").arg(QLatin1String(call)).arg(id); }
    Platform &p;
};

const QStringList registeredThenReleased{"install 1", "register 2", "unregister 2", "remove 1"};

TEST(DefaultHotkeyRegistrarTest, RegistersOnceAndGivesEverythingBackOnceInReverseOrder)
{
    Platform platform;
    auto registrar = std::make_unique<DefaultHotkeyRegistrar>(std::make_unique<FakeBackend>(platform));
    registrar->unregister();
    int presses = 0;
    registrar->registerDefaultHotkey([&] { ++presses; });
    registrar->registerDefaultHotkey([&] { presses += 100; });
    platform.action();
    EXPECT_EQ(presses, 1) << "the second registration changed nothing";
    registrar->unregister();
    registrar->unregister();
    EXPECT_FALSE(registrar->isRegistered());
    EXPECT_EQ(platform.calls, registeredThenReleased);

    registrar->registerDefaultHotkey([] {});
    registrar.reset(); // releasing the registrar unregisters
    EXPECT_EQ(platform.calls, registeredThenReleased + QStringList({"install 3", "register 4", "unregister 4", "remove 3"}));
}

struct Controlled {
    explicit Controlled(Platform &platform) : platform(platform) {}
    Platform &platform;
    int backendsMade = 0;
    QList<Kind> logged;
    HotkeyController controller{[] {},
                                [this] {
                                    ++backendsMade;
                                    return std::make_unique<FakeBackend>(platform);
                                },
                                [this](const char *context, const std::exception &error) {
                                    EXPECT_STREQ(context, HotkeyController::registrationFailureContext);
                                    logged << dynamic_cast<const HotkeyRegistrationError &>(error).kind();
                                }};
};

// Whatever fails, it is logged, nothing stays installed, and the service stays for a later try.
TEST(HotkeyControllerTest, AFailedRegistrationIsLoggedLeavesNothingHeldAndIsRetriedLater)
{
    struct Row {
        Failure install, registration;
        Kind expected;
        QStringList calls;
    };
    const Row rows[] = {
        {Failure::throws, Failure::none, Kind::eventHandlerInstallationFailed, {}},
        {Failure::returnsNull, Failure::none, Kind::eventHandlerInstallationFailed, {}},
        {Failure::none, Failure::throws, Kind::hotkeyRegistrationFailed, {"install 1", "remove 1"}},
        {Failure::none, Failure::returnsNull, Kind::hotkeyRegistrationFailed, {"install 1", "remove 1"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.calls.size());
        Platform platform;
        Controlled c(platform);
        c.platform.install = row.install;
        c.platform.registration = row.registration;
        c.controller.configure(true);
        EXPECT_EQ(c.logged, QList<Kind>{row.expected});
        EXPECT_FALSE(c.controller.isRegistered());
        EXPECT_NE(c.controller.service(), nullptr);
        EXPECT_EQ(c.platform.calls, row.calls);
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
    EXPECT_TRUE(c->logged.isEmpty());

    c.reset();
    const QStringList calls = platform.calls;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(platform.calls, calls) << "a destroyed controller no longer listens";
}

} // namespace

#include "hotkey/DefaultHotkeyRegistrar.h"
#include "hotkey/HotkeyController.h"
#include "hotkey/HotkeyRegistrationError.h"

#include "support/TestSupport.h"
#include "foundation/AppNotificationCenter.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

enum class Failure { none, throws, returnsNull };

// Records the platform calls of every backend a test makes ("install 1", "remove 1", ...)
// and keeps the installed action, so a test can press the hotkey.
struct Platform {
    QStringList calls;
    std::function<void()> installedAction;
    Failure installFailure = Failure::none;
    Failure registerFailure = Failure::none;
    int nextId = 0;
};

class FakeBackend : public HotkeyRegistrationBackend {
public:
    explicit FakeBackend(Platform &platform) : m_platform(platform) {}

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override
    {
        if (!succeeds(m_platform.installFailure, HotkeyRegistrationError::eventHandlerInstallationFailed()))
            return nullptr;
        m_platform.installedAction = std::move(onTrigger);
        return issue<HotkeyHandlerToken>("install");
    }
    void removeHandler(std::unique_ptr<HotkeyHandlerToken> token) override
    {
        if (takeBack(dynamic_cast<Token *>(token.get()), "remove"))
            m_platform.installedAction = nullptr;
    }
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override
    {
        if (!succeeds(m_platform.registerFailure, HotkeyRegistrationError::hotkeyRegistrationFailed()))
            return nullptr;
        return issue<RegisteredHotkeyToken>("register");
    }
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token) override
    {
        takeBack(dynamic_cast<Token *>(token.get()), "unregister");
    }

private:
    struct Token : HotkeyHandlerToken, RegisteredHotkeyToken {
        int id = 0;
    };

    static bool succeeds(Failure failure, const HotkeyRegistrationError &error)
    {
        if (failure == Failure::throws)
            throw error;
        return failure == Failure::none;
    }
    template <typename Base>
    std::unique_ptr<Base> issue(const char *call)
    {
        auto token = std::make_unique<Token>();
        token->id = ++m_platform.nextId;
        m_platform.calls << QStringLiteral("%1 %2").arg(QLatin1String(call)).arg(token->id);
        return token;
    }
    bool takeBack(const Token *token, const char *call)
    {
        if (token)
            m_platform.calls << QStringLiteral("%1 %2").arg(QLatin1String(call)).arg(token->id);
        return token;
    }

    Platform &m_platform;
};

const QStringList registeredThenReleased{"install 1", "register 2", "unregister 2", "remove 1"};

TEST(DefaultHotkeyRegistrarTest, RegistersOnceAndGivesEverythingBackOnceInReverseOrder)
{
    Platform platform;
    auto registrar = std::make_unique<DefaultHotkeyRegistrar>(std::make_unique<FakeBackend>(platform));
    registrar->unregister();
    EXPECT_TRUE(platform.calls.isEmpty()) << "nothing to give back yet";

    int presses = 0;
    registrar->registerDefaultHotkey([&] { ++presses; });
    registrar->registerDefaultHotkey([&] { presses += 100; });
    EXPECT_TRUE(registrar->isRegistered());
    platform.installedAction();
    EXPECT_EQ(presses, 1) << "the second registration changed nothing";

    registrar->unregister();
    registrar->unregister();
    EXPECT_FALSE(registrar->isRegistered());
    EXPECT_EQ(platform.calls, registeredThenReleased);

    // Registering afresh works, and releasing the registrar unregisters.
    registrar->registerDefaultHotkey([] {});
    registrar.reset();
    const QStringList again{"install 3", "register 4", "unregister 4", "remove 3"};
    EXPECT_EQ(platform.calls, registeredThenReleased + again);
}

// Whatever fails, the handler of the attempt is removed again and nothing stays held.
TEST(DefaultHotkeyRegistrarTest, AFailedRegistrationLeavesNothingInstalled)
{
    using Kind = HotkeyRegistrationError::Kind;
    struct Row {
        const char *name;
        Failure install;
        Failure registration;
        Kind expected;
        QStringList calls;
    };
    const Row rows[] = {
        {"handler refused", Failure::throws, Failure::none, Kind::eventHandlerInstallationFailed, {}},
        {"no handler token", Failure::returnsNull, Failure::none, Kind::eventHandlerInstallationFailed, {}},
        {"hotkey taken", Failure::none, Failure::throws, Kind::hotkeyRegistrationFailed, {"install 1", "remove 1"}},
        {"no hotkey token", Failure::none, Failure::returnsNull, Kind::hotkeyRegistrationFailed,
         {"install 1", "remove 1"}},
    };
    for (const Row &row : rows) {
        Platform platform;
        platform.installFailure = row.install;
        platform.registerFailure = row.registration;
        DefaultHotkeyRegistrar registrar(std::make_unique<FakeBackend>(platform));
        try {
            registrar.registerDefaultHotkey([] {});
            ADD_FAILURE() << row.name << ": no HotkeyRegistrationError";
        } catch (const HotkeyRegistrationError &error) {
            EXPECT_EQ(error.kind(), row.expected) << row.name;
        }
        EXPECT_FALSE(registrar.isRegistered()) << row.name;
        registrar.unregister();
        EXPECT_EQ(platform.calls, row.calls) << row.name;
        EXPECT_FALSE(platform.installedAction) << row.name;
    }
}

class HotkeyControllerTest : public ::testing::Test {
protected:
    Platform platform;
    int backendsMade = 0;
    int presses = 0;
    QStringList logged;
    HotkeyController controller{
        [this] { ++presses; },
        [this] {
            ++backendsMade;
            return std::make_unique<FakeBackend>(platform);
        },
        [this](const char *context, const std::exception &error) {
            logged << QString::fromUtf8(context) + QStringLiteral(": ") + QString::fromUtf8(error.what());
        }};
};

TEST_F(HotkeyControllerTest, FollowsTheTriggerPreferenceAtOnce)
{
    AppNotificationCenter center;
    bool enabled = true;
    controller.followTriggerPreferences(center, [&] { return enabled; });
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(controller.isRegistered());
    platform.installedAction();
    EXPECT_EQ(presses, 1);

    enabled = false;
    center.post(AppNotification::openCollection);
    EXPECT_TRUE(controller.isRegistered()) << "other notifications change nothing";
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(controller.service(), nullptr);
    EXPECT_EQ(platform.calls, registeredThenReleased);

    // Enabling again registers afresh, over a new backend.
    enabled = true;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(controller.isRegistered());
    EXPECT_EQ(backendsMade, 2);
    EXPECT_TRUE(logged.isEmpty());
}

TEST_F(HotkeyControllerTest, AFailedRegistrationIsLoggedAndTheServiceStaysForALaterTry)
{
    platform.registerFailure = Failure::throws;
    controller.configure(true);
    EXPECT_EQ(logged, QStringList{"Failed to register global hotkey Option+D: hotkeyRegistrationFailed"});
    EXPECT_NE(controller.service(), nullptr);
    EXPECT_FALSE(controller.isRegistered());

    platform.registerFailure = Failure::none;
    controller.configure(true);
    EXPECT_TRUE(controller.isRegistered());
    EXPECT_EQ(backendsMade, 1);
}

TEST(HotkeyControllerLifetimeTest, StopsListeningWhenDestroyed)
{
    AppNotificationCenter center;
    Platform platform;
    auto controller =
        std::make_unique<HotkeyController>([] {}, [&] { return std::make_unique<FakeBackend>(platform); });
    controller->followTriggerPreferences(center, [] { return true; });
    controller.reset();
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(platform.calls.isEmpty());
}

} // namespace

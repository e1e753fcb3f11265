#include "services/DefaultHotkeyRegistrar.h"
#include "services/HotkeyService.h"

#include "FakeHotkeyRegistrationBackend.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

class DefaultHotkeyRegistrarTest : public ::testing::Test {
protected:
    HotkeyBackendRecord record;
    FakeHotkeyRegistrationBackend *backend = nullptr;

    std::unique_ptr<DefaultHotkeyRegistrar> makeRegistrar()
    {
        auto owned = std::make_unique<FakeHotkeyRegistrationBackend>(record);
        backend = owned.get();
        return std::make_unique<DefaultHotkeyRegistrar>(std::move(owned));
    }
};

TEST_F(DefaultHotkeyRegistrarTest, RegisteringTwiceInstallsOneHandlerAndOneHotkey)
{
    auto registrar = makeRegistrar();
    int presses = 0;
    registrar->registerDefaultHotkey([&] { ++presses; });
    registrar->registerDefaultHotkey([&] { presses += 100; });

    EXPECT_TRUE(registrar->isRegistered());
    EXPECT_EQ(record.calls, QStringList({"install 1", "register 2"}));
    record.press();
    EXPECT_EQ(presses, 1) << "the first action stays";
}

TEST_F(DefaultHotkeyRegistrarTest, UnregisterGivesBackTheHotkeyThenTheHandlerOnce)
{
    auto registrar = makeRegistrar();
    registrar->registerDefaultHotkey([] {});
    registrar->unregister();
    registrar->unregister();

    EXPECT_FALSE(registrar->isRegistered());
    EXPECT_EQ(record.calls, QStringList({"install 1", "register 2", "unregister 2", "remove 1"}));
}

TEST_F(DefaultHotkeyRegistrarTest, UnregisterWhenNothingIsRegisteredMakesNoCall)
{
    auto registrar = makeRegistrar();
    registrar->unregister();
    registrar.reset();
    EXPECT_TRUE(record.calls.isEmpty());
}

TEST_F(DefaultHotkeyRegistrarTest, ReleasingTheRegistrarUnregisters)
{
    auto registrar = makeRegistrar();
    registrar->registerDefaultHotkey([] {});
    registrar.reset();

    EXPECT_EQ(record.calls, QStringList({"install 1", "register 2", "unregister 2", "remove 1"}));
    EXPECT_EQ(record.installedHandlers, 0);
    EXPECT_EQ(record.registeredHotkeys, 0);
}

TEST_F(DefaultHotkeyRegistrarTest, RegistersAfreshAfterUnregistering)
{
    auto registrar = makeRegistrar();
    registrar->registerDefaultHotkey([] {});
    registrar->unregister();
    registrar->registerDefaultHotkey([] {});

    EXPECT_TRUE(registrar->isRegistered());
    EXPECT_EQ(record.calls,
              QStringList({"install 1", "register 2", "unregister 2", "remove 1", "install 3", "register 4"}));
}

struct FailureCase {
    const char *name;
    FakeHotkeyFailure installFailure;
    FakeHotkeyFailure registerFailure;
    HotkeyRegistrationError::Kind expected;
    QStringList calls;
};

void PrintTo(const FailureCase &failure, std::ostream *os) { *os << failure.name; }

class DefaultHotkeyRegistrarFailureTest : public DefaultHotkeyRegistrarTest,
                                          public ::testing::WithParamInterface<FailureCase> {};

// Whatever fails, nothing stays installed and a later attempt starts from scratch.
TEST_P(DefaultHotkeyRegistrarFailureTest, LeavesNothingInstalledAndRethrows)
{
    const FailureCase &failure = GetParam();
    auto registrar = makeRegistrar();
    backend->installFailure = failure.installFailure;
    backend->registerFailure = failure.registerFailure;

    try {
        registrar->registerDefaultHotkey([] {});
        ADD_FAILURE() << "no HotkeyRegistrationError";
    } catch (const HotkeyRegistrationError &error) {
        EXPECT_EQ(error.kind(), failure.expected);
    }
    EXPECT_FALSE(registrar->isRegistered());
    EXPECT_EQ(record.calls, failure.calls);
    EXPECT_EQ(record.installedHandlers, 0);

    registrar->unregister();
    EXPECT_EQ(record.calls, failure.calls) << "nothing left to give back";

    backend->installFailure = FakeHotkeyFailure::none;
    backend->registerFailure = FakeHotkeyFailure::none;
    registrar->registerDefaultHotkey([] {});
    EXPECT_TRUE(registrar->isRegistered());
    EXPECT_EQ(record.installedHandlers, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DefaultHotkeyRegistrarFailureTest,
    ::testing::Values(
        FailureCase{"handlerRefused", FakeHotkeyFailure::throws, FakeHotkeyFailure::none,
                    HotkeyRegistrationError::Kind::eventHandlerInstallationFailed, {}},
        FailureCase{"noHandlerToken", FakeHotkeyFailure::returnsNull, FakeHotkeyFailure::none,
                    HotkeyRegistrationError::Kind::eventHandlerInstallationFailed, {}},
        FailureCase{"hotkeyTaken", FakeHotkeyFailure::none, FakeHotkeyFailure::throws,
                    HotkeyRegistrationError::Kind::hotkeyRegistrationFailed, {"install 1", "remove 1"}},
        FailureCase{"noHotkeyToken", FakeHotkeyFailure::none, FakeHotkeyFailure::returnsNull,
                    HotkeyRegistrationError::Kind::hotkeyRegistrationFailed, {"install 1", "remove 1"}}),
    [](const auto &testInfo) { return std::string(testInfo.param.name); });

TEST(HotkeyServiceTest, PressesRunTheActionOnlyWhileRegistered)
{
    HotkeyBackendRecord record;
    int presses = 0;
    HotkeyService service([&] { ++presses; }, std::make_unique<DefaultHotkeyRegistrar>(
                                                  std::make_unique<FakeHotkeyRegistrationBackend>(record)));
    service.registerDefaultHotkey();
    record.press();
    record.press();
    EXPECT_EQ(presses, 2);

    service.unregister();
    record.press();
    EXPECT_EQ(presses, 2);
    EXPECT_FALSE(service.isRegistered());
}

} // namespace

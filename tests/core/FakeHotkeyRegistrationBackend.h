#pragma once

#include "services/HotkeyRegistrationBackend.h"
#include "services/HotkeyRegistrationError.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// What the fake backends of one test did, in order ("install 1", "register 1", "unregister 1",
// "remove 1"), and the actions of the handlers still installed. Owned by the test, so it
// outlives the registrars that own the backends.
struct HotkeyBackendRecord {
    QStringList calls;
    std::function<void()> installedAction;
    int installedHandlers = 0;
    int registeredHotkeys = 0;

    // Presses the hotkey, as the platform would while a handler is installed.
    void press() const
    {
        if (installedAction)
            installedAction();
    }
};

// How the next attempt fails: a throw, or a backend breaking its promise with a null token.
enum class FakeHotkeyFailure { none, throws, returnsNull };

class FakeHotkeyRegistrationBackend : public HotkeyRegistrationBackend {
public:
    explicit FakeHotkeyRegistrationBackend(HotkeyBackendRecord &record) : m_record(record) {}

    FakeHotkeyFailure installFailure = FakeHotkeyFailure::none;
    FakeHotkeyFailure registerFailure = FakeHotkeyFailure::none;

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override
    {
        if (installFailure == FakeHotkeyFailure::throws)
            throw HotkeyRegistrationError::eventHandlerInstallationFailed();
        if (installFailure == FakeHotkeyFailure::returnsNull)
            return nullptr;
        auto token = std::make_unique<Handler>(++m_nextId);
        m_record.calls << QStringLiteral("install %1").arg(token->id);
        m_record.installedAction = std::move(onTrigger);
        ++m_record.installedHandlers;
        return token;
    }

    void removeHandler(std::unique_ptr<HotkeyHandlerToken> token) override
    {
        auto *handler = dynamic_cast<Handler *>(token.get());
        if (!handler)
            return;
        m_record.calls << QStringLiteral("remove %1").arg(handler->id);
        m_record.installedAction = nullptr;
        --m_record.installedHandlers;
    }

    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override
    {
        if (registerFailure == FakeHotkeyFailure::throws)
            throw HotkeyRegistrationError::hotkeyRegistrationFailed();
        if (registerFailure == FakeHotkeyFailure::returnsNull)
            return nullptr;
        auto token = std::make_unique<Hotkey>(++m_nextId);
        m_record.calls << QStringLiteral("register %1").arg(token->id);
        ++m_record.registeredHotkeys;
        return token;
    }

    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token) override
    {
        auto *hotkey = dynamic_cast<Hotkey *>(token.get());
        if (!hotkey)
            return;
        m_record.calls << QStringLiteral("unregister %1").arg(hotkey->id);
        --m_record.registeredHotkeys;
    }

private:
    struct Handler : HotkeyHandlerToken {
        explicit Handler(int id) : id(id) {}
        int id;
    };
    struct Hotkey : RegisteredHotkeyToken {
        explicit Hotkey(int id) : id(id) {}
        int id;
    };

    HotkeyBackendRecord &m_record;
    int m_nextId = 0;
};

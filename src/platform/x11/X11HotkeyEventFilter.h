#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

// Watches the X events Qt reads from its connection for presses of the grabbed hotkey on the
// root window: the given key code with exactly the given modifiers (Alt, Mod1, by default) and
// no other but Caps Lock and Num Lock. Each physical press calls onTrigger once, queued on the main thread's event loop so
// that event handling is never held up; auto-repeat while the key is held is ignored.
// Install it with QCoreApplication::installNativeEventFilter; it does not install itself.
class X11HotkeyEventFilter : public QAbstractNativeEventFilter {
public:
    X11HotkeyEventFilter(std::uint32_t rootWindow, std::uint8_t keycode, std::uint16_t numLockMask,
                         std::function<void()> onTrigger, std::uint16_t modifiers = alt);

    // X's Mod1 mask, which carries Alt on every standard keymap.
    static constexpr std::uint16_t alt = 1u << 3;

    // Consumes our own key events; lets everything else through.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    std::uint32_t rootWindow() const { return m_rootWindow; }
    std::uint8_t keycode() const { return m_keycode; }

private:
    bool modifiersMatch(std::uint16_t state) const;
    void handlePress(std::uint32_t time);

    std::uint32_t m_rootWindow;
    std::uint8_t m_keycode;
    std::uint16_t m_numLockMask;
    std::uint16_t m_modifiers;
    std::function<void()> m_onTrigger;
    // Queued triggers die with it, so none runs after the handler is removed.
    QObject m_context;
    bool m_held = false;
    std::uint32_t m_lastPressTime = 0;
    std::optional<std::uint32_t> m_lastReleaseTime;
};

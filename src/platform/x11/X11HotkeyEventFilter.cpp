#include "platform/x11/X11HotkeyEventFilter.h"

#include <QByteArray>
#include <QMetaObject>

#include <utility>

#include <xcb/xcb.h>

namespace {

// Modifier bits of the core protocol; higher bits of a key event's state are mouse buttons
// and, with XKB, the keyboard group.
constexpr std::uint16_t coreModifierBits = 0xFF;
// With detectable auto-repeat a held key repeats as presses without releases, at most about a
// second apart; a longer pause means the release went missing and this is a new press.
constexpr std::uint32_t repeatWindowMs = 1500;

} // namespace

X11HotkeyEventFilter::X11HotkeyEventFilter(std::uint32_t rootWindow, std::uint8_t keycode, std::uint16_t numLockMask,
                                           std::function<void()> onTrigger, std::uint16_t modifiers)
    : m_rootWindow(rootWindow),
      m_keycode(keycode),
      m_numLockMask(numLockMask),
      m_modifiers(modifiers),
      m_onTrigger(std::move(onTrigger))
{
}

bool X11HotkeyEventFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // The top bit only says the event came from a SendEvent request.
    const std::uint8_t type = event->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    // Press and release events share one layout.
    const auto *key = static_cast<const xcb_key_press_event_t *>(message);
    if (key->event != m_rootWindow || key->detail != m_keycode)
        return false;

    if (type == XCB_KEY_RELEASE) {
        // Alt may be let go before D, so the release is ours whatever the modifiers.
        m_held = false;
        m_lastReleaseTime = key->time;
        return true;
    }
    if (!modifiersMatch(key->state))
        return false;
    handlePress(key->time);
    return true;
}

bool X11HotkeyEventFilter::modifiersMatch(std::uint16_t state) const
{
    const std::uint16_t ignored = XCB_MOD_MASK_LOCK | m_numLockMask;
    return (state & coreModifierBits & ~ignored) == m_modifiers;
}

void X11HotkeyEventFilter::handlePress(std::uint32_t time)
{
    // Unsigned subtraction keeps working when the server's millisecond clock wraps.
    const bool repeatWhileHeld = m_held && time - m_lastPressTime < repeatWindowMs;
    // Without detectable auto-repeat the server sends a release and a press with the same
    // time stamp for every repeat.
    const bool repeatAfterSyntheticRelease = !m_held && m_lastReleaseTime == time;
    m_held = true;
    m_lastPressTime = time;
    if (repeatWhileHeld || repeatAfterSyntheticRelease)
        return;
    QMetaObject::invokeMethod(&m_context, m_onTrigger, Qt::QueuedConnection);
}

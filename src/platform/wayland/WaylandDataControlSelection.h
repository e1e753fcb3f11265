#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>
#include <utility>

// The clipboard and the primary selection of a Wayland compositor that offers the wlroots
// data-control protocol (sway and the other wlroots compositors, KDE Plasma), which lets a
// client without a focused window read them; core Wayland does not. Each call opens its own
// connection and closes it again: the selection's owner keeps its selection, and nothing
// waits on the event loop between captures.
class WaylandDataControlSelection {
public:
    enum class Selection { clipboard, primary };

    // `display` is a socket name or an absolute path; empty: WAYLAND_DISPLAY. `timeout` bounds
    // each call, including the owner's answer.
    explicit WaylandDataControlSelection(QByteArray display = {},
                                         std::chrono::milliseconds timeout = std::chrono::milliseconds(500));

    const QByteArray &display() const { return m_display; }
    // Whether the compositor offers data-control with the primary selection.
    bool isAvailable() const;
    // The selection's text as its owner sends it; nothing when it is empty, holds no text,
    // or the owner does not answer in time.
    std::optional<QString> text(Selection selection) const;

    // Every type the clipboard's owner offers, with its data, as a copy keystroke would
    // overwrite it; empty for an empty clipboard, nothing without data-control.
    using Contents = QList<std::pair<QString, QByteArray>>;
    std::optional<Contents> clipboardContents() const;

private:
    QByteArray m_display;
    std::chrono::milliseconds m_timeout;
};

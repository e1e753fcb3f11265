#pragma once

#include "session/DesktopSession.h"

#include <QCoroTask>
#include <QList>
#include <QString>

#include <functional>

// Which mechanisms the program relies on work on the desktop at hand, each as one line with
// a one-line remedy when it does not, and whether the main job (looking up a selection)
// works at all. Shared by the settings' permission section and `rarozezev doctor`; the
// probes are the platform's, passed in, so the verdict is tested without a desktop. An X11
// session and a Wayland session are checked with different items, as their mechanisms
// differ.
class DesktopCheck {
public:
    enum class Item {
        displaySession,
        trayHost,
        notificationServer,
        secretService,
        soundServer,
        hotkeyGrab,
        primarySelection,
        xtest,
        record,
        dictionaryData,
        aiEndpoint,
        // Wayland: the selection through data-control, the desktop portal's global shortcuts
        // and keyboard (the copy fallback), and the badge's mouse watch, which Wayland forbids.
        dataControlSelection,
        portalShortcut,
        portalKeyboard,
        waylandMouseWatch,
    };

    struct ProbeResult {
        bool ok = false;
        // What was found ("X11，会话类型 x11"); may be empty.
        QString detail;
        // Not working, but a weaker way stands in (XWayland for data-control, a desktop
        // shortcut bound to `rarozezev trigger` for the portal): still ✗ with its remedy, but
        // the verdict counts it as working.
        bool fallbackWorks = false;
        // Replaces the item's remedy where it depends on the desktop at hand; may be empty.
        QString remedy = {};
    };

    using Probe = std::function<QCoro::Task<ProbeResult>()>;

    struct Line {
        Item item;
        bool ok = false;
        QString detail;
        bool fallbackWorks = false;
        QString specificRemedy = {};

        QString title() const;
        // Empty when the line is fine.
        QString remedy() const;
        // "✓ 标题：detail" or "✗ 标题：detail —— remedy".
        QString text() const;
    };

    struct Report {
        QList<Line> lines;
        bool mainJobWorks = false;

        // One line per item, then the verdict.
        QString text() const;
    };

    // Runs the probes one after another, in the order given; a probe that throws counts as
    // failed with the exception's text.
    static QCoro::Task<Report> run(QList<std::pair<Item, Probe>> probes);
    // A selection can be read (PRIMARY, or data-control or XWayland on Wayland), something
    // triggers a lookup (the hotkey or the badge's mouse watch; on Wayland the portal's
    // shortcut or the desktop's own running `rarozezev trigger`) and something answers it:
    // the AI service (reachable, and its key can be read from the keyring) or, for single
    // words, the dictionary. Items not probed count as working.
    static bool mainJobWorks(const QList<Line> &lines);
    static QString title(Item item);
    static QString remedy(Item item);
    // Where the desktop's portal hands out no global shortcut: how to bind `rarozezev trigger`
    // on `desktop`.
    static QString bindTriggerRemedy(DesktopSession::Desktop desktop);
};

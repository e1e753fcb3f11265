#pragma once

#include <QCoroTask>
#include <QList>
#include <QString>

#include <functional>

// Which mechanisms the program relies on work on the desktop at hand, each as one line with
// a one-line remedy when it does not, and whether the main job (looking up a selection)
// works at all. Shared by the settings' permission section and `rarozezev doctor`; the
// probes are the platform's, passed in, so the verdict is tested without a desktop.
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
    };

    struct ProbeResult {
        bool ok = false;
        // What was found ("X11，会话类型 x11"); may be empty.
        QString detail;
    };

    using Probe = std::function<QCoro::Task<ProbeResult>()>;

    struct Line {
        Item item;
        bool ok = false;
        QString detail;

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
    // A selection can be read (PRIMARY), something triggers a lookup (the hotkey, or the
    // badge's mouse watch) and something answers it: the AI service (reachable, and its key
    // can be read from the keyring) or, for single words, the dictionary. Items not probed
    // count as working.
    static bool mainJobWorks(const QList<Line> &lines);
    static QString title(Item item);
    static QString remedy(Item item);
};

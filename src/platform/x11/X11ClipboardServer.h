#pragma once

#include "capture/SelectionPasteboardSnapshot.h"

#include <QByteArray>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

// Keeps a clipboard snapshot on CLIPBOARD from a process of its own. On X11 a selection's
// data lives in the process that owns it, so a short-lived command that puts the user's
// clipboard back would take it away again when it exits; this server, started detached by
// X11ClipboardServerProcess, holds it instead, as long as nobody else takes the clipboard.
class X11ClipboardServer {
public:
    // The hidden command line that runs the server.
    static inline const QString subcommand = QStringLiteral("__serve-clipboard");
    // What the server answers once it owns the clipboard, and when it could not take it.
    static constexpr char ownedReply[] = "owned";
    static constexpr char failedReply[] = "failed";
    // However long nobody else takes the clipboard, the server stops after this; a clipboard
    // manager running then is offered the contents as the server exits.
    static constexpr std::chrono::hours maximumLifetime{24};
    // How long the server waits for its snapshot before giving up without touching anything.
    static constexpr std::chrono::seconds snapshotTimeout{60};

    // The snapshot as the server reads it: a header, the items, and an end mark, so that a
    // sender that dies halfway leaves something the server refuses.
    static QByteArray encode(const SelectionPasteboardSnapshot &snapshot);
    // Nothing unless the bytes are exactly one complete encoding.
    static std::optional<SelectionPasteboardSnapshot> decode(const QByteArray &bytes);

    // The server's whole life: reads the snapshot from `input` up to its end, takes CLIPBOARD
    // with it, answers on `output`, and serves it until another client takes the clipboard or
    // `lifetime` has passed. An incomplete or empty snapshot is left alone. Both descriptors
    // point to /dev/null once answered. Needs a QGuiApplication on the xcb platform. Returns
    // the exit code.
    static QCoro::Task<int> serve(int input = 0, int output = 1, std::chrono::milliseconds lifetime = maximumLifetime);
};

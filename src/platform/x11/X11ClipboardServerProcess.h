#pragma once

#include "capture/SelectionPasteboardKeeping.h"

#include <QString>

#include <chrono>
#include <memory>

class DetachedProcess;

// Keeps the clipboard in a detached X11ClipboardServer: our own program run again with the
// server's hidden command. The server starts at once and waits for its snapshot.
class X11ClipboardServerProcess : public SelectionPasteboardKeeping {
public:
    // How long keep() waits for the server to start, read the snapshot and take the clipboard.
    static constexpr std::chrono::seconds handOverTimeout{5};

    ~X11ClipboardServerProcess() override;

    // Null when the program cannot be started. `program` is our own executable.
    static std::unique_ptr<X11ClipboardServerProcess> start(const QString &program);

    bool keep(const SelectionPasteboardSnapshot &snapshot) override;

private:
    explicit X11ClipboardServerProcess(std::unique_ptr<DetachedProcess> process);

    std::unique_ptr<DetachedProcess> m_process;
};

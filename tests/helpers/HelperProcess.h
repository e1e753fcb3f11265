#pragma once

#include "capture/SelectionPasteboardItemSnapshot.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QProcess>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

// One of the helper programs (capture_target, clipboard_owner), driven line by line. Every wait
// runs the event loop, so that this process keeps answering clipboard requests meanwhile.
class HelperProcess {
public:
    HelperProcess(QString program, QStringList arguments);
    // Asks the helper to quit and kills it if it lingers.
    ~HelperProcess();
    HelperProcess(const HelperProcess &) = delete;
    HelperProcess &operator=(const HelperProcess &) = delete;

    // Starts the program and waits for its "ready" line.
    QCoro::Task<bool> start(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Sends one command and waits for the one-line answer; nothing on timeout.
    QCoro::Task<std::optional<QByteArray>> request(QByteArray command,
                                                   std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    QCoro::Task<std::optional<QByteArray>> readLine(std::chrono::milliseconds timeout);

    std::unique_ptr<QProcess> m_process;
    QByteArray m_received;
};

// clipboard_owner's command that makes it own CLIPBOARD with these formats.
QByteArray clipboardSetCommand(const SelectionPasteboardItemSnapshot &contents);
// The formats of clipboard_owner's answer to "dump", in the order listed.
std::optional<SelectionPasteboardItemSnapshot> parseClipboardDump(const QByteArray &line);

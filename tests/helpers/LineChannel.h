#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <functional>

#include <unistd.h>

// Hands the helper programs their commands from standard input, one line at a time, on the
// event loop, so that they keep serving the clipboard while they wait.
class LineChannel : public QObject {
public:
    explicit LineChannel(std::function<void(const QByteArray &)> onLine)
        : m_notifier(STDIN_FILENO, QSocketNotifier::Read), m_onLine(std::move(onLine))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readAvailable(); });
    }

    static void reply(const QByteArray &line)
    {
        const QByteArray text = line + '\n';
        qsizetype written = 0;
        while (written < text.size()) {
            const ssize_t n = ::write(STDOUT_FILENO, text.constData() + written, text.size() - written);
            if (n <= 0)
                return;
            written += n;
        }
    }

private:
    void readAvailable()
    {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            // The test is gone; nobody will ask for anything again.
            m_notifier.setEnabled(false);
            m_onLine("quit");
            return;
        }
        m_buffer.append(chunk, n);
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            m_onLine(line);
        }
    }

    QSocketNotifier m_notifier;
    std::function<void(const QByteArray &)> m_onLine;
    QByteArray m_buffer;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QObject>
#include <QSocketNotifier>

#include <cstdio>
#include <functional>
#include <utility>

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
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
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

// The clipboard commands carry formats as " <type64>:<bytes64>" each.
inline QByteArray encodeFormat(const QString &type, const QByteArray &bytes)
{
    return ' ' + type.toUtf8().toBase64() + ':' + bytes.toBase64();
}

inline QList<std::pair<QString, QByteArray>> decodeFormats(const QByteArray &encoded)
{
    QList<std::pair<QString, QByteArray>> formats;
    for (const QByteArray &pair : encoded.split(' ')) {
        if (const qsizetype colon = pair.indexOf(':'); colon >= 0)
            formats.append({QString::fromUtf8(QByteArray::fromBase64(pair.left(colon))),
                            QByteArray::fromBase64(pair.mid(colon + 1))});
    }
    return formats;
}

#include "platform/x11/X11ClipboardServer.h"

#include "platform/x11/X11SelectionPasteboard.h"

#include <QClipboard>
#include <QDataStream>
#include <QGuiApplication>
#include <QIODevice>

#include <QCoro/QCoroSignal>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr quint32 headerMark = 0x525a4342;  // "RZCB"
constexpr quint32 formatVersion = 1;
constexpr quint32 endMark = 0x454e4421;     // "END!"
constexpr auto streamVersion = QDataStream::Qt_6_4;

using Clock = std::chrono::steady_clock;

// Everything up to the end of the input; nothing when it does not end in time.
std::optional<QByteArray> readToEnd(int input, Clock::time_point deadline)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        pollfd descriptor{input, POLLIN, 0};
        const int ready = ::poll(&descriptor, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        const ssize_t received = ::read(input, buffer, sizeof buffer);
        if (received == 0)
            return bytes;
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return std::nullopt;
        }
        bytes.append(buffer, received);
    }
}

void reply(int output, const char *line)
{
    const QByteArray text = QByteArray(line) + '\n';
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(output, text.constData() + written, static_cast<size_t>(text.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        written += n;
    }
}

// The sender stops listening once it has its answer; nothing may be written to it later.
void detach(int input, int output)
{
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0)
        return;
    ::dup2(devNull, input);
    ::dup2(devNull, output);
    ::close(devNull);
}

} // namespace

QByteArray X11ClipboardServer::encode(const SelectionPasteboardSnapshot &snapshot)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(streamVersion);
    stream << headerMark << formatVersion << static_cast<quint32>(snapshot.items.size());
    for (const SelectionPasteboardItemSnapshot &item : snapshot.items) {
        stream << static_cast<quint32>(item.contentsByType.size());
        for (const auto &[type, data] : item.contentsByType)
            stream << type << data;
    }
    stream << endMark;
    return bytes;
}

std::optional<SelectionPasteboardSnapshot> X11ClipboardServer::decode(const QByteArray &bytes)
{
    QDataStream stream(bytes);
    stream.setVersion(streamVersion);
    quint32 header = 0;
    quint32 version = 0;
    quint32 itemCount = 0;
    stream >> header >> version >> itemCount;
    if (stream.status() != QDataStream::Ok || header != headerMark || version != formatVersion)
        return std::nullopt;

    SelectionPasteboardSnapshot snapshot;
    for (quint32 i = 0; i < itemCount && stream.status() == QDataStream::Ok; ++i) {
        quint32 typeCount = 0;
        stream >> typeCount;
        SelectionPasteboardItemSnapshot item;
        for (quint32 j = 0; j < typeCount && stream.status() == QDataStream::Ok; ++j) {
            QString type;
            QByteArray data;
            stream >> type >> data;
            item.contentsByType.append({type, data});
        }
        snapshot.items.append(std::move(item));
    }
    quint32 end = 0;
    stream >> end;
    if (stream.status() != QDataStream::Ok || end != endMark || !stream.atEnd())
        return std::nullopt;
    return snapshot;
}

QCoro::Task<int> X11ClipboardServer::serve(int input, int output, std::chrono::milliseconds lifetime)
{
    const std::optional<QByteArray> bytes = readToEnd(input, Clock::now() + snapshotTimeout);
    const std::optional<SelectionPasteboardSnapshot> snapshot = bytes ? decode(*bytes) : std::nullopt;
    if (!snapshot || snapshot->isEmpty()) {
        // Started for a capture that never got as far as putting the clipboard back.
        co_return 0;
    }

    X11SelectionPasteboard pasteboard;
    try {
        pasteboard.restore(*snapshot);
    } catch (...) {
        reply(output, failedReply);
        co_return 1;
    }
    reply(output, ownedReply);
    detach(input, output);

    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto deadline = Clock::now() + lifetime;
    while (clipboard->ownsClipboard()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            break;
        co_await qCoro(clipboard, &QClipboard::changed, left);
    }
    co_return 0;
}

#include "platform/wayland/WaylandClipboardKeeper.h"

#include <wayland-client.h>
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// Writes everything to a pipe whose reader may have gone: SIGPIPE, which would end the
// program, is held back on this thread and any pending one discarded.
void writeAll(int fd, const QByteArray &bytes)
{
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (errno == EPIPE) {
                const timespec now{0, 0};
                sigtimedwait(&pipeSignal, nullptr, &now);
            }
            break;
        }
        written += done;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

WaylandClipboardKeeper::WaylandClipboardKeeper(WaylandDataControlSelection::Contents contents)
    : m_contents(std::move(contents))
{
}

WaylandClipboardKeeper::~WaylandClipboardKeeper()
{
    if (m_server.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &stop, 1);
        m_server.join();
    }
    if (m_source)
        zwlr_data_control_source_v1_destroy(m_source);
    if (m_connection.display)
        wl_display_flush(m_connection.display);
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::unique_ptr<WaylandClipboardKeeper> WaylandClipboardKeeper::take(const QByteArray &display,
                                                                     WaylandDataControlSelection::Contents contents)
{
    std::unique_ptr<WaylandClipboardKeeper> keeper(new WaylandClipboardKeeper(std::move(contents)));
    WaylandDataControlConnection &connection = keeper->m_connection;
    if (!connection.open(display) || !connection.bindDevice() || ::pipe2(keeper->m_wake, O_CLOEXEC) != 0)
        return nullptr;
    if (keeper->m_contents.isEmpty()) {
        // The clipboard was empty: empty it again.
        zwlr_data_control_device_v1_set_selection(connection.device, nullptr);
        return wl_display_roundtrip(connection.display) >= 0 ? std::move(keeper) : nullptr;
    }
    keeper->m_source = zwlr_data_control_manager_v1_create_data_source(connection.manager);
    zwlr_data_control_source_v1_add_listener(keeper->m_source, sourceListener(), keeper.get());
    for (const auto &[type, bytes] : keeper->m_contents)
        zwlr_data_control_source_v1_offer(keeper->m_source, type.toUtf8().constData());
    zwlr_data_control_device_v1_set_selection(connection.device, keeper->m_source);
    keeper->m_owner = true;
    if (wl_display_roundtrip(connection.display) < 0)
        return nullptr;
    keeper->m_server = std::thread([raw = keeper.get()] { raw->serve(); });
    return keeper;
}

void WaylandClipboardKeeper::serve()
{
    wl_display *display = m_connection.display;
    while (m_owner) {
        wl_display_flush(display);
        pollfd ready[2] = {{wl_display_get_fd(display), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(ready, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready[1].revents)
            break;
        // A broken connection takes the clipboard with it.
        if (wl_display_dispatch(display) < 0)
            m_owner = false;
    }
}

void WaylandClipboardKeeper::onSend(void *data, zwlr_data_control_source_v1 *, const char *type, int32_t fd)
{
    const auto *keeper = static_cast<WaylandClipboardKeeper *>(data);
    const QString wanted = QString::fromUtf8(type);
    for (const auto &[offered, bytes] : keeper->m_contents) {
        if (offered == wanted) {
            writeAll(fd, bytes);
            break;
        }
    }
    ::close(fd);
}

void WaylandClipboardKeeper::onCancelled(void *data, zwlr_data_control_source_v1 *source)
{
    auto *keeper = static_cast<WaylandClipboardKeeper *>(data);
    zwlr_data_control_source_v1_destroy(source);
    keeper->m_source = nullptr;
    keeper->m_owner = false;
}

const zwlr_data_control_source_v1_listener *WaylandClipboardKeeper::sourceListener()
{
    static const zwlr_data_control_source_v1_listener listener{&WaylandClipboardKeeper::onSend,
                                                               &WaylandClipboardKeeper::onCancelled};
    return &listener;
}

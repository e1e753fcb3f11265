// A third process for the selection tests: it owns and serves the clipboard, and reads it back
// as any other X11 client would. Commands on standard input, one per line; every command is
// answered with one line:
//   set <type64>:<bytes64> ...   own CLIPBOARD with these formats (base64 names and bytes)   "ok"
//   primary <text64>             own PRIMARY with this text                                   "ok"
//   dump                         "contents <type64>:<bytes64> ..." of CLIPBOARD's real formats
//   quit
// Prints "ready" at start.

#include "LineChannel.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <deque>
#include <functional>

namespace {

// Qt stamps a new selection owner with the time of the last event it saw. This process sees
// few events, often only the notice of the previous owner's change, whose time it would then
// reuse; X accepts an equal time but Qt in the previous owner ignores it and keeps believing
// it owns the clipboard. A real application copies on a fresh key press. This fetches a fresh
// time the same way: it changes a property on a window of ours and runs the action once Qt
// has seen the change notice.
class FreshServerTime : public QAbstractNativeEventFilter {
public:
    FreshServerTime()
    {
        m_window.create();
        m_connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        const char name[] = "_RAROZEZEV_TEST_TIME";
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        m_atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        qGuiApp->installNativeEventFilter(this);
    }

    void then(std::function<void()> action)
    {
        m_pending.push_back(std::move(action));
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(m_window.winId()), m_atom,
                            XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_connection);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->atom == m_atom && !m_pending.empty()) {
            // Qt takes the time from the event after the filters have seen it.
            QTimer::singleShot(0, [action = std::move(m_pending.front())] { action(); });
            m_pending.pop_front();
        }
        return false;
    }

private:
    QWindow m_window;
    xcb_connection_t *m_connection = nullptr;
    xcb_atom_t m_atom = XCB_ATOM_NONE;
    std::deque<std::function<void()>> m_pending;
};

bool isPseudoFormat(const QString &format)
{
    static const QStringList pseudo{"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "INCR"};
    return pseudo.contains(format) || format.startsWith(QLatin1String("application/x-qt-"));
}

QByteArray dump(QClipboard *clipboard)
{
    QByteArray line = "contents";
    const QMimeData *data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data)
        return line;
    for (const QString &format : data->formats()) {
        if (!isPseudoFormat(format))
            line += encodeFormat(format, data->data(format));
    }
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QClipboard *clipboard = QGuiApplication::clipboard();
    FreshServerTime freshTime;

    LineChannel channel([&](const QByteArray &line) {
        if (line.startsWith("set")) {
            auto *data = new QMimeData;
            for (const auto &[type, bytes] : decodeFormats(line.mid(3)))
                data->setData(type, bytes);
            freshTime.then([clipboard, data] {
                clipboard->setMimeData(data, QClipboard::Clipboard);
                LineChannel::reply(clipboard->ownsClipboard() ? "ok" : "failed");
            });
        } else if (line.startsWith("primary ")) {
            const QString text = QString::fromUtf8(QByteArray::fromBase64(line.mid(8)));
            freshTime.then([clipboard, text] {
                clipboard->setText(text, QClipboard::Selection);
                LineChannel::reply(clipboard->ownsSelection() ? "ok" : "failed");
            });
        } else if (line == "dump") {
            LineChannel::reply(dump(clipboard));
        } else if (line == "quit") {
            QCoreApplication::quit();
        }
    });
    LineChannel::reply("ready");
    return app.exec();
}

// Times tray programs inside a desktop session, with nothing but this process in between:
//
//   tray_session_bench start RUNS NAME=BUS_NAME=PROGRAM...
//       starts each program RUNS times, interleaved, and reports start to idle (until its bus
//       name is owned, which happens once its event loop runs) and idle resident memory;
//   tray_session_bench panel PRESSES PROGRAM TARGET
//       starts PROGRAM, has TARGET (the capture_target helper) select a new word before each
//       press, sends Alt+D through XTest and waits for the lookup panel's MapNotify over xcb,
//       then for the quick answer on the panel's bus status; reports p50/p90 of both and the
//       program's memory after the first and the last lookup.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#include <xcb/xcb_keysyms.h>

#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QString appBusName = QStringLiteral("com.rarozezev.Rarozezev");

[[noreturn]] void fail(const char *message)
{
    std::fprintf(stderr, "tray_session_bench: %s\n", message);
    std::exit(1);
}

bool nameOwned(const QString &name) { return QDBusConnection::sessionBus().interface()->isServiceRegistered(name); }

template <typename Condition>
bool waitFor(Condition condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (condition())
            return true;
        QThread::usleep(500);
    }
    return false;
}

QJsonObject panelStatus()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        appBusName, QStringLiteral("/com/rarozezev/Rarozezev"), QStringLiteral("com.rarozezev.Rarozezev"),
        QStringLiteral("LookupPanelStatus")));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return QJsonDocument::fromJson(reply.arguments().first().toString().toUtf8()).object();
}

// One line of the process's memory summary ("Rss:", "Anonymous:"), in MiB.
double memoryMiB(qint64 pid, const QByteArray &field)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 2 && fields[0] == field)
            return fields[1].toDouble() / 1024;
    }
    return 0;
}

// Resident memory, and of it what is the process's own (heap, stacks, written pages) rather
// than mapped from files (code, fonts, data).
QString memoryBreakdown(qint64 pid)
{
    const double rss = memoryMiB(pid, "Rss:");
    const double anonymous = memoryMiB(pid, "Anonymous:");
    return QStringLiteral("%1 MiB (%2 anonymous, %3 from files)")
        .arg(rss, 0, 'f', 1)
        .arg(anonymous, 0, 'f', 1)
        .arg(rss - anonymous, 0, 'f', 1);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())))];
}

void stop(QProcess &process, const QString &busName)
{
    process.terminate();
    process.waitForFinished(10000);
    waitFor([&] { return !nameOwned(busName); }, 10000);
}

int startBench(int runs, const QStringList &specs)
{
    struct Program {
        QString name, busName, path;
        std::vector<double> startMs, idleMiB;
    };
    std::vector<Program> programs;
    for (const QString &spec : specs) {
        const QStringList parts = spec.split(QLatin1Char('='));
        if (parts.size() != 3)
            fail("a program is NAME=BUS_NAME=PATH");
        programs.push_back({parts[0], parts[1], parts[2], {}, {}});
    }
    for (int run = 0; run < runs; ++run) {
        for (Program &program : programs) {
            QProcess process;
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QElapsedTimer timer;
            timer.start();
            process.start(program.path, {});
            // Idle: the tray application answers on the bus once its event loop runs with the
            // delegate started; the floor claims its name from its event loop.
            const auto idle = [&] {
                return program.busName == appBusName ? !panelStatus().isEmpty() : nameOwned(program.busName);
            };
            if (!waitFor(idle, 20000))
                fail("a program never claimed its bus name");
            program.startMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            QThread::sleep(2);
            program.idleMiB.push_back(memoryMiB(process.processId(), "Rss:"));
            stop(process, program.busName);
        }
    }
    for (const Program &program : programs)
        std::printf("%-10s start to idle p50 %6.1f ms (min %6.1f)   idle resident p50 %5.1f MiB\n",
                    qPrintable(program.name), percentile(program.startMs, 0.5), percentile(program.startMs, 0),
                    percentile(program.idleMiB, 0.5));
    return 0;
}

// Keys through XTest and MapNotify from the root window's substructure, over one connection.
class XSession {
public:
    XSession()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            fail("no X display");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(m_connection);
        m_alt = *xcb_key_symbols_get_keycode(symbols, XK_Alt_L);
        m_d = *xcb_key_symbols_get_keycode(symbols, XK_d);
        xcb_key_symbols_free(symbols);
        m_netWmName = atom("_NET_WM_NAME");
        xcb_flush(m_connection);
    }
    ~XSession() { xcb_disconnect(m_connection); }

    void drainEvents()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    void pressAltD()
    {
        for (auto [type, key] : {std::pair{XCB_KEY_PRESS, m_alt}, {XCB_KEY_PRESS, m_d}, {XCB_KEY_RELEASE, m_d},
                                 {XCB_KEY_RELEASE, m_alt}})
            xcb_test_fake_input(m_connection, type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

    // Blocks until a window that is, or holds, `title` is mapped.
    bool waitForMapped(const QByteArray &title)
    {
        while (xcb_generic_event_t *event = xcb_wait_for_event(m_connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = mapped ? reinterpret_cast<xcb_map_notify_event_t *>(event)->window : 0;
            std::free(event);
            if (mapped && holdsTitle(window, title, 2))
                return true;
        }
        return false;
    }

    // Asks the window manager, as a pager would, to activate the client titled `title`.
    void activate(const QByteArray &title)
    {
        xcb_get_property_reply_t *list = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 1024), nullptr);
        if (!list)
            fail("the window manager lists no clients");
        const auto *clients = static_cast<const xcb_window_t *>(xcb_get_property_value(list));
        for (int i = 0; i < xcb_get_property_value_length(list) / 4; ++i) {
            if (!holdsTitle(clients[i], title, 0))
                continue;
            xcb_client_message_event_t message{};
            message.response_type = XCB_CLIENT_MESSAGE;
            message.format = 32;
            message.window = clients[i];
            message.type = atom("_NET_ACTIVE_WINDOW");
            message.data.data32[0] = 2;
            xcb_send_event(m_connection, 0, m_root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                           reinterpret_cast<const char *>(&message));
        }
        std::free(list);
        xcb_flush(m_connection);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    bool holdsTitle(xcb_window_t window, const QByteArray &title, int depth)
    {
        xcb_get_property_reply_t *name = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr);
        bool found = false;
        if (name) {
            found = QByteArray(static_cast<const char *>(xcb_get_property_value(name)),
                               xcb_get_property_value_length(name)) == title;
            std::free(name);
        }
        if (found || depth == 0)
            return found;
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
        if (!tree)
            return false;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i)
            found = holdsTitle(children[i], title, depth - 1);
        std::free(tree);
        return found;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_alt = 0, m_d = 0;
    xcb_atom_t m_netWmName = 0;
};

bool quickAnswerShown(const QJsonObject &status)
{
    return !status.value(QStringLiteral("explanation")).toString().isEmpty()
           || status.value(QStringLiteral("state")).toString() == QLatin1String("failed");
}

int panelBench(int presses, const QString &program, const QString &target)
{
    QProcess app;
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(program, {});
    if (!waitFor([] { return nameOwned(appBusName); }, 20000))
        fail("the tray application never claimed its bus name");
    QProcess holder;
    holder.start(target, {});
    if (!holder.waitForReadyRead(10000) || holder.readLine().trimmed() != "ready")
        fail("the target window never got the focus");

    XSession x;
    std::vector<double> mappedMs, answeredMs;
    QThread::sleep(1);
    const QString idle = memoryBreakdown(app.processId());
    QString first;
    for (int press = 0; press < presses; ++press) {
        // A new word each time, so that every press is a lookup rather than a cache hit.
        holder.write("select " + QStringLiteral("take off %1").arg(press).toUtf8().toBase64() + '\n');
        if (!holder.waitForReadyRead(5000) || holder.readLine().trimmed() != "ok")
            fail("the target window did not select its text");
        // An unpinned panel goes once the focus has left it; the window manager may still be
        // busy with the previous panel when asked the first time.
        const auto panelGone = [] { return !panelStatus().value(QStringLiteral("visible")).toBool(); };
        bool gone = false;
        for (int attempt = 0; attempt < 5 && !gone; ++attempt) {
            x.activate(QByteArrayLiteral("capture target"));
            gone = waitFor(panelGone, 1000);
        }
        if (!gone)
            fail("the previous panel stayed open");
        x.drainEvents();
        QElapsedTimer timer;
        timer.start();
        x.pressAltD();
        if (!x.waitForMapped(QByteArrayLiteral("查词")))
            fail("no lookup panel was mapped");
        mappedMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (!waitFor([] { return quickAnswerShown(panelStatus()); }, 10000))
            fail("the panel never showed an answer");
        answeredMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (press == 0)
            first = memoryBreakdown(app.processId());
    }
    QThread::msleep(500);
    std::printf("Alt+D to panel mapped:       p50 %6.1f ms  p90 %6.1f ms  (%d presses)\n", percentile(mappedMs, 0.5),
                percentile(mappedMs, 0.9), presses);
    std::printf("Alt+D to quick answer shown: p50 %6.1f ms  p90 %6.1f ms\n", percentile(answeredMs, 0.5),
                percentile(answeredMs, 0.9));
    std::printf("resident memory idle:          %s\n", qPrintable(idle));
    std::printf("resident memory after 1:       %s\n", qPrintable(first));
    std::printf("resident memory after %-4d     %s\n", presses, qPrintable(memoryBreakdown(app.processId())));
    holder.write("quit\n");
    holder.waitForFinished(5000);
    stop(app, appBusName);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() >= 3 && arguments[0] == QLatin1String("start"))
        return startBench(arguments[1].toInt(), arguments.mid(2));
    if (arguments.size() == 4 && arguments[0] == QLatin1String("panel"))
        return panelBench(arguments[1].toInt(), arguments[2], arguments[3]);
    std::fprintf(stderr, "usage: tray_session_bench start RUNS NAME=BUS=PROGRAM... | panel PRESSES PROGRAM TARGET\n");
    return 2;
}

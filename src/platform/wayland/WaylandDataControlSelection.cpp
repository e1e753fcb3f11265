#include "platform/wayland/WaylandDataControlSelection.h"

#include "logging/AppLogger.h"
#include "platform/wayland/WaylandDataControlConnection.h"

#include <algorithm>
#include <iterator>

namespace {

// The text types in the order we prefer them: Wayland's own, then those XWayland bridges.
const char *const kTextTypes[] = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "STRING", "TEXT"};

} // namespace

WaylandDataControlSelection::WaylandDataControlSelection(QByteArray display, std::chrono::milliseconds timeout)
    : m_display(std::move(display)), m_timeout(timeout)
{
}

bool WaylandDataControlSelection::isAvailable() const
{
    WaylandDataControlConnection connection;
    return connection.open(m_display);
}

std::optional<QString> WaylandDataControlSelection::text(Selection selection) const
{
    WaylandDataControlConnection connection;
    if (!connection.open(m_display) || !connection.bindDevice())
        return std::nullopt;
    zwlr_data_control_offer_v1 *offer = selection == Selection::primary ? connection.primary : connection.clipboard;
    if (!offer)
        return std::nullopt;
    const QStringList &types = connection.offers[offer];
    const auto chosen = std::find_if(std::begin(kTextTypes), std::end(kTextTypes),
                                     [&](const char *type) { return types.contains(QLatin1String(type)); });
    if (chosen == std::end(kTextTypes))
        return std::nullopt;
    const std::optional<QByteArray> bytes = connection.receive(offer, QString::fromLatin1(*chosen), m_timeout);
    if (!bytes) {
        AppLogger::error([] { return QStringLiteral("The Wayland selection's owner did not send its text in time."); });
        return std::nullopt;
    }
    return QString::fromUtf8(*bytes);
}

std::optional<WaylandDataControlSelection::Contents> WaylandDataControlSelection::clipboardContents() const
{
    WaylandDataControlConnection connection;
    if (!connection.open(m_display) || !connection.bindDevice())
        return std::nullopt;
    Contents contents;
    if (!connection.clipboard)
        return contents;
    // A type its owner does not send in time is left out rather than kept empty.
    for (const QString &type : connection.offers[connection.clipboard]) {
        if (std::optional<QByteArray> bytes = connection.receive(connection.clipboard, type, m_timeout))
            contents.append({type, std::move(*bytes)});
    }
    return contents;
}

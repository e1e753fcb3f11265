#include "network/PlainHTTPPolicy.h"

#include <QHostAddress>

namespace {

bool isLocalIPv4(quint32 address)
{
    const auto inNetwork = [address](quint32 network, int prefixLength) {
        return (address >> (32 - prefixLength)) == (network >> (32 - prefixLength));
    };
    return inNetwork(0x7F000000, 8) || inNetwork(0x0A000000, 8) || inNetwork(0xAC100000, 12)
        || inNetwork(0xC0A80000, 16) || inNetwork(0xA9FE0000, 16);
}

bool isLocalHost(QString host)
{
    // QUrl gives hosts lower-cased and IPv6 addresses without brackets.
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (host == u"localhost" || host.endsWith(u".localhost") || host.endsWith(u".local"))
        return true;
    const QHostAddress address(host);
    if (address.isNull())
        return false;
    bool isIPv4 = false;
    // Also an IPv4 address written as IPv6 (::ffff:10.0.0.1).
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        return isLocalIPv4(ipv4);
    return address.isLoopback() || address.isUniqueLocalUnicast() || address.isLinkLocal();
}

} // namespace

bool PlainHTTPPolicy::warrantsWarning(const QUrl &url)
{
    return url.scheme().compare(u"http", Qt::CaseInsensitive) == 0 && !isLocalHost(url.host());
}

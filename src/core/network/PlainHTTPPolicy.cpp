#include "network/PlainHTTPPolicy.h"

#include <arpa/inet.h>

#include <array>
#include <optional>

namespace {

bool isLocalIPv4(quint32 address)
{
    const auto inNetwork = [address](quint32 network, int prefixLength) {
        return (address >> (32 - prefixLength)) == (network >> (32 - prefixLength));
    };
    return inNetwork(0x7F000000, 8) || inNetwork(0x0A000000, 8) || inNetwork(0xAC100000, 12)
        || inNetwork(0xC0A80000, 16) || inNetwork(0xA9FE0000, 16);
}

// An IPv4 address in any of the forms a URL may give it (127.1, 0x7f.0.0.1, 2130706433), which
// are inet_aton's; QUrl never gives a host with the spaces inet_aton would stop at.
std::optional<quint32> parseIPv4(const QString &text)
{
    in_addr address{};
    if (inet_aton(text.toLatin1().constData(), &address) == 0)
        return std::nullopt;
    return ntohl(address.s_addr);
}

std::optional<std::array<quint8, 16>> parseIPv6(QStringView text)
{
    // The zone of a link-local address (fe80::1%eth0) says only which interface reaches it.
    if (const qsizetype zone = text.indexOf(u'%'); zone >= 0)
        text = text.left(zone);
    std::array<quint8, 16> address{};
    if (text.isEmpty() || inet_pton(AF_INET6, text.toLatin1().constData(), address.data()) != 1)
        return std::nullopt;
    return address;
}

bool isLocalHost(QString host)
{
    // QUrl gives hosts lower-cased and IPv6 addresses without brackets.
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (host == u"localhost" || host.endsWith(u".localhost") || host.endsWith(u".local"))
        return true;
    if (const std::optional<quint32> ipv4 = parseIPv4(host))
        return isLocalIPv4(*ipv4);
    const std::optional<std::array<quint8, 16>> ipv6 = parseIPv6(host);
    if (!ipv6)
        return false;
    const std::array<quint8, 16> &bytes = *ipv6;
    const auto zeroUpTo = [&bytes](int end) {
        for (int index = 0; index < end; ++index) {
            if (bytes[index] != 0)
                return false;
        }
        return true;
    };
    // Also an IPv4 address written as IPv6 (::ffff:10.0.0.1).
    if (zeroUpTo(10) && bytes[10] == 0xFF && bytes[11] == 0xFF)
        return isLocalIPv4(quint32{bytes[12]} << 24 | quint32{bytes[13]} << 16 | quint32{bytes[14]} << 8 | bytes[15]);
    const bool loopback = zeroUpTo(15) && bytes[15] == 1;
    const bool uniqueLocal = (bytes[0] & 0xFE) == 0xFC;
    const bool linkLocal = bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80;
    return loopback || uniqueLocal || linkLocal;
}

} // namespace

bool PlainHTTPPolicy::warrantsWarning(const QUrl &url)
{
    return url.scheme().compare(u"http", Qt::CaseInsensitive) == 0 && !isLocalHost(url.host());
}

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

int digitValue(char16_t character)
{
    if (character >= u'0' && character <= u'9')
        return character - u'0';
    if (character >= u'a' && character <= u'f')
        return character - u'a' + 10;
    if (character >= u'A' && character <= u'F')
        return character - u'A' + 10;
    return -1;
}

// An IPv4 address in any of the forms a URL may give it (127.1, 0x7f.0.0.1, 2130706433): one
// to four parts, each decimal, octal after a leading 0 or hexadecimal after 0x, the last one
// filling the bytes that are left.
std::optional<quint32> parseIPv4(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() > 4)
        return std::nullopt;
    quint32 address = 0;
    for (qsizetype index = 0; index < parts.size(); ++index) {
        QStringView digits = parts[index];
        int base = 10;
        if (digits.size() > 1 && digits[0] == u'0') {
            const bool hexadecimal = digits[1] == u'x' || digits[1] == u'X';
            base = hexadecimal ? 16 : 8;
            digits = digits.mid(hexadecimal ? 2 : 1);
        }
        if (digits.isEmpty())
            return std::nullopt;
        const bool last = index == parts.size() - 1;
        const quint64 limit = last ? (quint64{1} << (32 - 8 * index)) - 1 : 255;
        quint64 value = 0;
        for (const QChar character : digits) {
            const int digit = digitValue(character.unicode());
            if (digit < 0 || digit >= base)
                return std::nullopt;
            value = value * static_cast<quint64>(base) + static_cast<quint64>(digit);
            if (value > limit)
                return std::nullopt;
        }
        address |= last ? static_cast<quint32>(value) : static_cast<quint32>(value) << (24 - 8 * index);
    }
    return address;
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

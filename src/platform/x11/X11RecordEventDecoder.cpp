#include "platform/x11/X11RecordEventDecoder.h"

#include <QtEndian>

namespace {

// Core protocol event codes and the layout of a button event record.
constexpr quint8 buttonPress = 4;
constexpr quint8 buttonRelease = 5;
constexpr quint8 leftButton = 1;
constexpr std::size_t timeOffset = 4;
constexpr std::size_t rootXOffset = 20;
constexpr std::size_t rootYOffset = 22;

template <typename T>
T field(const quint8 *event, std::size_t offset, bool swapped)
{
    const T value = qFromUnaligned<T>(event + offset);
    return swapped ? qbswap(value) : value;
}

} // namespace

X11RecordEventDecoder::X11RecordEventDecoder(int doubleClickIntervalMilliseconds)
    : m_clicks(doubleClickIntervalMilliseconds)
{
}

int X11RecordEventDecoder::decode(const quint8 *data, std::size_t length, bool swapped,
                                  const std::function<void(const SelectionMouseEvent &)> &deliver)
{
    int delivered = 0;
    for (std::size_t offset = 0; offset + eventSize <= length; offset += eventSize) {
        const quint8 *event = data + offset;
        // The top bit marks events sent by SendEvent; RECORD passes the code as is.
        const quint8 code = event[0] & 0x7f;
        if ((code != buttonPress && code != buttonRelease) || event[1] != leftButton)
            continue;
        const QPointF root(field<qint16>(event, rootXOffset, swapped), field<qint16>(event, rootYOffset, swapped));
        SelectionMouseEvent decoded;
        decoded.location = root;
        if (code == buttonPress) {
            m_pressClickCount = m_clicks.press(root, field<quint32>(event, timeOffset, swapped));
            decoded.kind = SelectionMouseEvent::Kind::leftMouseDown;
        } else {
            decoded.kind = SelectionMouseEvent::Kind::leftMouseUp;
        }
        decoded.clickCount = m_pressClickCount;
        deliver(decoded);
        ++delivered;
    }
    return delivered;
}

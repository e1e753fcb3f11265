#include "platform/x11/X11RecordEventDecoder.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<quint8> buttonEvent(quint8 code, quint8 button, quint32 time, qint16 x, qint16 y)
{
    std::vector<quint8> event(X11RecordEventDecoder::eventSize, 0);
    event[0] = code;
    event[1] = button;
    qToUnaligned(time, event.data() + 4);
    qToUnaligned(x, event.data() + 20);
    qToUnaligned(y, event.data() + 22);
    return event;
}

} // namespace

TEST(X11RecordEventDecoderTest, KeepsLeftButtonEventsWithRootCoordinatesAndRepeatsTheClickCountOnRelease)
{
    std::vector<quint8> stream;
    const auto append = [&](const std::vector<quint8> &event) { stream.insert(stream.end(), event.begin(), event.end()); };
    append(buttonEvent(4, 1, 1000, 300, 200));
    append(buttonEvent(5, 1, 1050, 300, 200));
    append(buttonEvent(4, 3, 1060, 300, 200));  // right button
    append(buttonEvent(2, 38, 1070, 0, 0));     // a key press
    append(buttonEvent(4, 1, 1150, 301, 200));
    append(buttonEvent(5, 1, 1180, 301, 200));
    stream.resize(stream.size() + 7);           // a torn record at the end is ignored

    X11RecordEventDecoder decoder(400);
    std::vector<SelectionMouseEvent> events;
    EXPECT_EQ(decoder.decode(stream.data(), stream.size(), false, [&](const SelectionMouseEvent &e) { events.push_back(e); }), 4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, SelectionMouseEvent::Kind::leftMouseDown);
    EXPECT_EQ(events[0].location, QPointF(300, 200));
    EXPECT_EQ(events[1].kind, SelectionMouseEvent::Kind::leftMouseUp);
    EXPECT_EQ(events[1].clickCount, 1);
    EXPECT_EQ(events[2].clickCount, 2);
    EXPECT_EQ(events[3].clickCount, 2);
}

TEST(X11RecordEventDecoderTest, ReadsSwappedRecordsAndNegativeCoordinates)
{
    auto event = buttonEvent(4, 1, 0, 0, 0);
    qToUnaligned(qbswap(qint16(-20)), event.data() + 20);
    qToUnaligned(qbswap(qint16(1500)), event.data() + 22);
    X11RecordEventDecoder decoder;
    QPointF location;
    decoder.decode(event.data(), event.size(), true, [&](const SelectionMouseEvent &e) { location = e.location; });
    EXPECT_EQ(location, QPointF(-20, 1500));
}

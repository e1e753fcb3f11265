// CPU cost of the badge's mouse watch per recorded event: decoding a RECORD reply's button
// records and feeding them through the drag tracker, as the monitor does on the main thread.

#include "platform/x11/X11RecordEventDecoder.h"
#include "badge/SelectionDragTracker.h"

#include <QtEndian>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Alternating left presses and releases, 4 px apart, 500 ms apart (no double clicks),
// interleaved with other buttons' events the decoder must skip.
std::vector<quint8> recordedClicks(int clicks)
{
    std::vector<quint8> stream;
    const auto append = [&](quint8 code, quint8 button, quint32 time, qint16 x) {
        std::vector<quint8> event(X11RecordEventDecoder::eventSize, 0);
        event[0] = code;
        event[1] = button;
        qToUnaligned(time, event.data() + 4);
        qToUnaligned(x, event.data() + 20);
        qToUnaligned(qint16(300), event.data() + 22);
        stream.insert(stream.end(), event.begin(), event.end());
    };
    for (int i = 0; i < clicks; ++i) {
        const quint32 time = quint32(i) * 500;
        append(4, 1, time, qint16(100 + i % 200));
        append(5, 1, time + 80, qint16(104 + i % 200));
        append(4, 4, time + 90, 0); // a wheel step
    }
    return stream;
}

void BM_DecodeAndTrack(benchmark::State &state)
{
    const std::vector<quint8> stream = recordedClicks(int(state.range(0)));
    X11RecordEventDecoder decoder;
    SelectionDragTracker tracker;
    int selections = 0;
    for (auto _ : state) {
        decoder.decode(stream.data(), stream.size(), false, [&](const SelectionMouseEvent &event) {
            if (event.kind == SelectionMouseEvent::Kind::leftMouseDown)
                tracker.mouseDown(event.location);
            else if (tracker.shouldCaptureOnMouseUp(event.location, event.clickCount))
                ++selections;
        });
    }
    benchmark::DoNotOptimize(selections);
    // Per recorded event, the skipped wheel steps included.
    state.SetItemsProcessed(state.iterations() * int64_t(stream.size() / X11RecordEventDecoder::eventSize));
}
BENCHMARK(BM_DecodeAndTrack)->Arg(1)->Arg(64);

} // namespace

BENCHMARK_MAIN();

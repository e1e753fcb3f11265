#pragma once

#include <QPointF>
#include <QtGlobal>

#include <optional>

// Counts repeated presses of one button the way desktop toolkits do: a press within the
// double-click interval of the previous one and close to it continues the series (2, 3),
// anything else starts a new one. After a triple click the next press starts again at 1.
class SelectionClickCounter {
public:
    // Toolkits allow a few pixels of jitter between the presses of a double click.
    static constexpr double maximumClickDistance = 5.0;

    explicit SelectionClickCounter(int doubleClickIntervalMilliseconds = 400)
        : m_interval(doubleClickIntervalMilliseconds)
    {
    }

    void setDoubleClickInterval(int milliseconds) { m_interval = milliseconds; }

    // `timeMilliseconds` is the event's server time; it may wrap around (32-bit X time).
    int press(QPointF at, quint32 timeMilliseconds);
    void reset() { m_last.reset(); }

private:
    struct LastPress {
        QPointF point;
        quint32 time = 0;
        int count = 0;
    };

    int m_interval;
    std::optional<LastPress> m_last;
};

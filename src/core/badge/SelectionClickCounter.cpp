#include "badge/SelectionClickCounter.h"

#include <cmath>

int SelectionClickCounter::press(QPointF at, quint32 timeMilliseconds)
{
    int count = 1;
    if (m_last) {
        // Unsigned subtraction keeps the interval right across the 49-day wrap of X time.
        const quint32 elapsed = timeMilliseconds - m_last->time;
        const double moved = std::hypot(at.x() - m_last->point.x(), at.y() - m_last->point.y());
        if (m_last->count < 3 && elapsed <= quint32(m_interval) && moved <= maximumClickDistance)
            count = m_last->count + 1;
    }
    m_last = LastPress{at, timeMilliseconds, count};
    return count;
}

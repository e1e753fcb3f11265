#include "capture/SelectionCaptureGate.h"

#include <cassert>

SelectionCaptureGate::Pass::~Pass()
{
    if (m_busy)
        *m_busy = false;
}

SelectionCaptureGate::Pass SelectionCaptureGate::enter()
{
    assert(isOpen());
    *m_busy = true;
    return Pass(m_busy);
}

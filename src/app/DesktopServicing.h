#pragma once

#include "diagnostics/DesktopCheck.h"

class ApplicationInstanceConnecting;
class SelectedTextCapturing;

// What the commands reach the desktop through, made by the desktop module for one AppServices.
class DesktopServicing {
public:
    virtual ~DesktopServicing() = default;

    // The selection of the application in front, for a command that exits right after.
    // Throws AppError when it cannot be read.
    virtual SelectedTextCapturing &commandSelectionCapture() = 0;
    virtual ApplicationInstanceConnecting &applicationInstance() = 0;
    virtual QCoro::Task<DesktopCheck::Report> checkDesktop(bool includeNetwork, bool hotkeyHeldHere) = 0;
};

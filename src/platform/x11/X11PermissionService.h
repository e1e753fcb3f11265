#pragma once

#include "capture/PermissionService.h"

// On X11 any client may read selections; what capture needs beyond that is the XTEST
// extension to post the copy keystroke. There is no prompt to show.
class X11PermissionService : public PermissionService {
public:
    bool isAccessibilityTrusted() const override;
    void requestAccessibility() override {}
};

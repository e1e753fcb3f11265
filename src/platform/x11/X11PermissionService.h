#pragma once

// On X11 any client may read selections; what capture needs beyond that is the XTEST
// extension to post the copy keystroke. There is no prompt to show.
class X11PermissionService {
public:
    // Whether this process may read selections and post keystrokes to other applications.
    bool isAccessibilityTrusted() const;
};

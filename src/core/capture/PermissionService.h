#pragma once

// The permission that selection capture needs from the desktop.
class PermissionService {
public:
    virtual ~PermissionService() = default;

    // Whether this process may read selections and post keystrokes to other applications.
    virtual bool isAccessibilityTrusted() const = 0;
    // Asks the desktop to show its permission prompt, where it has one; the answer arrives
    // later through isAccessibilityTrusted().
    virtual void requestAccessibility() = 0;
};

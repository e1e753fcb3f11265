#pragma once

// Sends the copy keystroke to the application the user is working in.
class SelectionCopyEventPosting {
public:
    virtual ~SelectionCopyEventPosting() = default;

    // Throws AppError::selectedTextUnavailable when the keystroke cannot be delivered.
    virtual void postCopyShortcut() = 0;
};

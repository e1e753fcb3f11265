#pragma once

#include <QString>

#include <exception>

// The Chinese message a command prints for a failure: the text of an AppError or a
// PreferencesWriteError as it is, a key-store status with what it means on this desktop.
class CommandErrorMessage {
public:
    CommandErrorMessage() = delete;

    // `failure` must hold an exception.
    static QString describe(std::exception_ptr failure);
};

#pragma once

#include <QByteArray>

#include <optional>

// What came back. Error statuses are ordinary responses: the caller reads the status.
struct HTTPResponse {
    QByteArray body;
    // Absent when the answer was not an HTTP response (a file: or data: URL, for example).
    std::optional<int> statusCode;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <chrono>
#include <utility>

// One HTTP request as the clients describe it; the transport decides how it is sent.
struct HTTPRequest {
    QUrl url;
    QByteArray method = "GET";
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Longest time without any data moving before the request fails as timed out.
    std::chrono::milliseconds timeout{60000};
    // Longest time for the whole exchange, redirects included, however steadily data moves.
    std::chrono::milliseconds deadline{120000};
};

#pragma once

#include "diagnostics/DesktopCheck.h"

#include <chrono>
#include <memory>

class HTTPTransport;

// Whether the configured AI endpoint answers at all: one short GET without the key. Any HTTP
// answer counts (a 401 or 405 still shows the server is there); no URL, a URL that is not
// http(s), or a transport failure does not.
class AIEndpointProbe {
public:
    static constexpr std::chrono::milliseconds timeout{5000};

    static QCoro::Task<DesktopCheck::ProbeResult> probe(std::shared_ptr<HTTPTransport> transport, QString baseURL);
};

#pragma once

#include "network/HTTPRequest.h"
#include "network/HTTPResponse.h"
#include "foundation/CancellationToken.h"

#include <QCoroTask>

// Sends one request and delivers the whole response body. Shared by the AI, speech and
// article clients.
class HTTPTransport {
public:
    virtual ~HTTPTransport() = default;

    // Resolves with the response, whatever its status. Throws CancellationError when (and
    // only when) `cancellation` fired, and TransportError for every other failure,
    // including a time-out after `request.timeout` without progress or at `request.deadline`.
    virtual QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken cancellation = {}) = 0;
};

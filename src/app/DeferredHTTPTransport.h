#pragma once

#include "network/HTTPTransport.h"

#include <functional>
#include <memory>

// A transport made at the first request: the clients are made with one at start-up, yet only
// a request needs the network libraries.
class DeferredHTTPTransport final : public HTTPTransport {
public:
    using Maker = std::function<std::shared_ptr<HTTPTransport>()>;
    explicit DeferredHTTPTransport(Maker make) : m_make(std::move(make)) {}

    // A failure to make the transport reaches the caller through the task; the next request
    // tries again.
    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken cancellation = {}) override;

private:
    Maker m_make;
    std::shared_ptr<HTTPTransport> m_transport;
};

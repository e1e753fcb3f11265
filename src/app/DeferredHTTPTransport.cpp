#include "app/DeferredHTTPTransport.h"

QCoro::Task<HTTPResponse> DeferredHTTPTransport::data(HTTPRequest request, CancellationToken cancellation)
{
    if (!m_transport)
        m_transport = m_make();
    // Held by the request, since this transport may go away while it is in flight.
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    co_return co_await transport->data(std::move(request), std::move(cancellation));
}

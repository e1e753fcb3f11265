#pragma once

#include <memory>

class HTTPTransport;

// HTTP through Qt's network access, with the TLS, proxy and compression libraries behind it. A
// module of its own, loaded at the first request, so that neither the tray application at rest
// nor a command that sends nothing pays for it.
class NetworkModule {
public:
    virtual ~NetworkModule() = default;

    // The module of this installation, loaded on the first call. Throws std::runtime_error
    // when it cannot be loaded.
    static NetworkModule &load();

    // A transport over the connection pool the module keeps for the whole process. Main thread only.
    virtual std::shared_ptr<HTTPTransport> makeTransport() = 0;
};

#include "app/network/QtNetworkModule.h"

#include "platform/network/QNetworkAccessManagerHTTPTransport.h"

std::shared_ptr<HTTPTransport> QtNetworkModule::makeTransport()
{
    return std::make_shared<QNetworkAccessManagerHTTPTransport>();
}

// Looked up by name when the program loads the module.
extern "C" __attribute__((visibility("default"))) NetworkModule &rarozezevNetworkModule()
{
    static QtNetworkModule module;
    return module;
}

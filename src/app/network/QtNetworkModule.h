#pragma once

#include "app/NetworkModule.h"

// HTTP through QNetworkAccessManager.
class QtNetworkModule final : public NetworkModule {
public:
    std::shared_ptr<HTTPTransport> makeTransport() override;
};

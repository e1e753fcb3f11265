#include "foundation/AppEnvironment.h"

#include <atomic>

namespace {

// Read by the logger from any thread.
std::atomic<bool> runningTests{false};

} // namespace

QString AppEnvironment::versionLabel(DistributionChannel channel)
{
    return channel == DistributionChannel::beta ? QStringLiteral("Beta") : QStringLiteral("Release");
}

QString AppEnvironment::logDirectoryName(DistributionChannel channel)
{
    return channel == DistributionChannel::beta ? QStringLiteral("Beta") : QStringLiteral("Production");
}

QString AppEnvironment::logFileName(DistributionChannel channel)
{
    return channel == DistributionChannel::beta ? QStringLiteral("Rarozezev-Beta.log")
                                                : QStringLiteral("Rarozezev.log");
}

AppEnvironment::DistributionChannel AppEnvironment::distributionChannel(const BundleInfo &bundle)
{
    return hasBundledBetaServiceConfiguration(bundle) ? DistributionChannel::beta : DistributionChannel::release;
}

bool AppEnvironment::hasBundledBetaServiceConfiguration(const BundleInfo &bundle)
{
    return bundleTrimmedValue(QStringLiteral("LQBetaAIBaseURL"), bundle)
           && bundleTrimmedValue(QStringLiteral("LQBetaAIModel"), bundle)
           && bundleTrimmedValue(QStringLiteral("LQBetaAIAPIKey"), bundle);
}

std::optional<QString> AppEnvironment::bundleTrimmedValue(const QString &key, const BundleInfo &bundle)
{
    const std::optional<QString> raw = bundle.value(key);
    if (!raw)
        return std::nullopt;
    const QString trimmed = raw->trimmed();
    // A build that forgot to substitute a variable leaves "$(NAME)" behind.
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("$(")))
        return std::nullopt;
    return trimmed;
}

bool AppEnvironment::isRunningTests() { return runningTests.load(std::memory_order_relaxed); }

void AppEnvironment::markRunningTests(bool running) { runningTests.store(running, std::memory_order_relaxed); }

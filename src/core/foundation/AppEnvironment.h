#pragma once

#include "foundation/BundleInfo.h"

#include <QString>

#include <optional>

// Questions about the running build: its distribution channel (which decides where the
// diagnostic log goes) and whether the process runs under our automated test host.
class AppEnvironment {
public:
    enum class DistributionChannel { beta, release };

    AppEnvironment() = delete;

    // "Beta" / "Release".
    static QString versionLabel(DistributionChannel channel);
    // "Beta" / "Production".
    static QString logDirectoryName(DistributionChannel channel);
    // "Rarozezev-Beta.log" / "Rarozezev.log".
    static QString logFileName(DistributionChannel channel);

    // Beta exactly when the build carries a complete beta AI service configuration.
    static DistributionChannel distributionChannel(const BundleInfo &bundle = BundleInfo::main());
    // True when "LQBetaAIBaseURL", "LQBetaAIModel" and "LQBetaAIAPIKey" all have usable values.
    static bool hasBundledBetaServiceConfiguration(const BundleInfo &bundle = BundleInfo::main());
    // The value trimmed of whitespace and newlines; nothing when the key is absent, the value
    // is empty after trimming, or it is an unexpanded build variable ("$(…").
    static std::optional<QString> bundleTrimmedValue(const QString &key, const BundleInfo &bundle = BundleInfo::main());

    // True when RAROZEZEV_TEST_HOST is set to something other than "" or "0". Read on every
    // call, so a test may switch it within its own process.
    static bool isRunningTests();
};

#pragma once

#include "foundation/BundleInfo.h"

#include <QString>

#include <optional>

// Questions about the running build: its distribution channel (which decides where the
// diagnostic log goes) and whether the process is one of our test executables.
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

    // True inside our test executables, whose main marks the process; never because of the
    // environment, so nothing a shell exports can silence the shipped program.
    static bool isRunningTests();
    // Called by the main of every test executable; a test may lift the mark for a moment.
    static void markRunningTests(bool running = true);
};

#include "app/cli/CommandLineInterface.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct CapturedRun {
    int exitCode;
    QString out;
    QString err;
};

CapturedRun runCli(const QStringList &arguments)
{
    FILE *out = std::tmpfile();
    FILE *err = std::tmpfile();
    CommandLineInterface cli(out, err);
    CapturedRun run{cli.run(arguments), {}, {}};
    auto slurp = [](FILE *file) {
        std::rewind(file);
        QByteArray bytes;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, static_cast<qsizetype>(n));
        std::fclose(file);
        return QString::fromUtf8(bytes);
    };
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

} // namespace

TEST(CommandLineInterface, VersionAndHelpSucceed)
{
    auto version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("rarozezev ")));

    auto help = runCli({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("用法")));
}

TEST(CommandLineInterface, UnknownCommandIsAUsageError)
{
    auto run = runCli({QStringLiteral("--frobnicate")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("--frobnicate")));
}

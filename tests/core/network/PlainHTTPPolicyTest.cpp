#include "network/PlainHTTPPolicy.h"

#include <gtest/gtest.h>

TEST(PlainHTTPPolicy, WarnsOnlyOfPlainHTTPBeyondThisMachineAndPrivateNetworks)
{
    const std::pair<const char *, bool> cases[] = {
        {"https://api.example.com/v1", false},
        {"http://api.example.com/v1", true},
        {"HTTP://8.8.8.8:80/", true},
        {"http://localhost:11434/v1", false},
        {"http://LocalHost./v1", false},
        {"http://ollama.localhost/", false},
        {"http://nas.local:8080/", false},
        {"http://local.example.com/", true},
        {"http://127.0.0.2/", false},
        {"http://[::1]:8000/", false},
        {"http://10.1.2.3/", false},
        {"http://172.16.0.1/", false},
        {"http://172.31.255.255/", false},
        {"http://172.32.0.1/", true},
        {"http://192.168.1.20/", false},
        {"http://192.169.0.1/", true},
        {"http://169.254.1.1/", false},
        {"http://[fd12:3456::1]/", false},
        {"http://[fe80::1]/", false},
        {"http://[2001:db8::1]/", true},
        {"http://[::ffff:10.0.0.1]/", false},
        {"http://[::ffff:8.8.8.8]/", true},
        {"http://11.0.0.1/", true},
    };
    for (const auto &[url, warns] : cases)
        EXPECT_EQ(PlainHTTPPolicy::warrantsWarning(QUrl(QString::fromLatin1(url))), warns) << url;
}

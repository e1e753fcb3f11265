#include "network/PlainHTTPPolicy.h"

#include <gtest/gtest.h>

// With a trailing dot QUrl leaves an address as it was written, in any of the forms an
// address may take (127.1, hexadecimal, octal parts).
TEST(PlainHTTPPolicy, WarnsOnlyOfPlainHTTPBeyondThisMachineAndPrivateNetworks)
{
    for (const char *url : {"https://api.example.com/v1", "http://localhost:11434/v1", "http://LocalHost./v1",
                            "http://ollama.localhost/", "http://nas.local:8080/", "http://127.0.0.2/", "http://[::1]:8000/",
                            "http://10.1.2.3/", "http://172.31.255.255/", "http://192.168.1.20/", "http://169.254.1.1/",
                            "http://[fd12:3456::1]/", "http://[fe80::1]/", "http://[::ffff:10.0.0.1]/",
                            "http://[fe80::1%25eth0]/", "http://127.1./", "http://0x7f.0.0.1./", "http://012.0.0.1./"})
        EXPECT_FALSE(PlainHTTPPolicy::warrantsWarning(QUrl(QString::fromLatin1(url)))) << url;
    for (const char *url : {"http://api.example.com/v1", "HTTP://8.8.8.8:80/", "http://local.example.com/",
                            "http://172.32.0.1/", "http://192.169.0.1/", "http://11.0.0.1/", "http://[2001:db8::1]/",
                            "http://[::ffff:8.8.8.8]/", "http://8.8.8.8./", "http://10.0.0.1.5./", "http://12.0.0.1./"})
        EXPECT_TRUE(PlainHTTPPolicy::warrantsWarning(QUrl(QString::fromLatin1(url)))) << url;
}

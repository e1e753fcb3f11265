#pragma once

#include <QString>
#include <QUrl>

// Plain HTTP carries the API key in clear. That is fine on this machine and on a private
// network (a local model server); anywhere else the user is told so. Shared by the command
// line and the settings.
class PlainHTTPPolicy {
public:
    PlainHTTPPolicy() = delete;

    // Whether requests to `url` send the key unencrypted beyond this machine and the private
    // networks: an http URL whose host is not loopback, private (10/8, 172.16/12,
    // 192.168/16, fc00::/7), link-local, "localhost", "*.localhost" or an mDNS "*.local" name.
    static bool warrantsWarning(const QUrl &url);
    static QString warning() { return QStringLiteral("警告：API 地址使用未加密的 HTTP，密钥将以明文发送。"); }
};

#include "diagnostics/AIEndpointProbe.h"

#include "network/HTTPTransport.h"
#include "network/TransportError.h"

#include <QUrl>

QCoro::Task<DesktopCheck::ProbeResult> AIEndpointProbe::probe(std::shared_ptr<HTTPTransport> transport, QString baseURL)
{
    const QUrl url(baseURL.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (baseURL.trimmed().isEmpty())
        co_return DesktopCheck::ProbeResult{false, QStringLiteral("未配置 Base URL")};
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        co_return DesktopCheck::ProbeResult{false, QStringLiteral("Base URL 无效")};
    HTTPRequest request;
    request.url = url;
    request.timeout = timeout;
    request.deadline = timeout;
    const QString endpoint = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
    try {
        const HTTPResponse response = co_await transport->data(std::move(request));
        co_return DesktopCheck::ProbeResult{true, QStringLiteral("%1 可以访问（HTTP %2）").arg(endpoint).arg(response.statusCode.value_or(0))};
    } catch (const TransportError &error) {
        co_return DesktopCheck::ProbeResult{false, QStringLiteral("%1 无法访问：%2").arg(endpoint, error.errorString())};
    }
}

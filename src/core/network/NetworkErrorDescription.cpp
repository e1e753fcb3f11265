#include "network/NetworkErrorDescription.h"

#include "foundation/CancellationError.h"
#include "network/TransportError.h"

#include <new>

QString readableDescription(TransportError::Code code, const QString &errorText)
{
    switch (code) {
    // Qt reports a missing network either as a failed session or as a temporary failure.
    case TransportError::Code::networkSessionFailed:
    case TransportError::Code::temporaryNetworkFailure:
        return QStringLiteral("网络不可用（notConnectedToInternet）");
    // Our transport aborts an overdue transfer with this code (a plain abort would read as
    // a cancellation).
    case TransportError::Code::timedOut:
        return QStringLiteral("请求超时（timedOut）");
    case TransportError::Code::hostNotFound:
        return QStringLiteral("找不到服务器（cannotFindHost）");
    case TransportError::Code::connectionRefused:
        return QStringLiteral("无法连接服务器（cannotConnectToHost）");
    case TransportError::Code::sslHandshakeFailed:
        return QStringLiteral("安全连接失败（secureConnectionFailed）");
    default:
        break;
    }
    return errorText + QStringLiteral("（") + QString::number(static_cast<int>(code)) + QStringLiteral("）");
}

std::optional<QString> sendFailureDescription(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const CancellationError &) {
        return std::nullopt;
    } catch (const TransportError &error) {
        if (error.code() == TransportError::Code::operationCanceled)
            return std::nullopt;
        return readableDescription(error.code(), error.errorString());
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    }
}

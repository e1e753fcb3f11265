#include "app/cli/CommandErrorMessage.h"

#include "preferences/KeychainAPIKeyStoreError.h"
#include "preferences/PreferencesWriteError.h"
#include "foundation/AppError.h"

namespace {

QString keyringHint(qint32 status)
{
    switch (status) {
    case KeychainAPIKeyStoreError::notAvailableStatus:
        return QStringLiteral("没有可用的 Secret Service 密钥环：请启动并解锁 gnome-keyring 或 KWallet 等密钥服务后重试。");
    case KeychainAPIKeyStoreError::authFailedStatus:
        return QStringLiteral("密钥环已锁定或拒绝访问：请先解锁密钥环。");
    case KeychainAPIKeyStoreError::userCanceledStatus:
        return QStringLiteral("解锁密钥环的请求已被取消。");
    case KeychainAPIKeyStoreError::interactionNotAllowedStatus:
        return QStringLiteral("密钥环没有及时响应。");
    default:
        return {};
    }
}

} // namespace

QString CommandErrorMessage::describe(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const AppError &error) {
        return error.errorDescription();
    } catch (const PreferencesWriteError &error) {
        return error.errorDescription();
    } catch (const KeychainAPIKeyStoreError &error) {
        return QStringLiteral("Keychain 操作失败（OSStatus %1）。").arg(error.status()) + keyringHint(error.status());
    } catch (const std::exception &error) {
        return QStringLiteral("操作失败：%1").arg(QString::fromUtf8(error.what()));
    } catch (...) {
        return QStringLiteral("操作失败：未知错误。");
    }
}

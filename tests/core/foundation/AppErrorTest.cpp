#include "foundation/AppError.h"
#include "network/NetworkErrorDescription.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

struct AppErrorCase {
    const char *name;
    AppError error;
    const char *description;
    const char *debugDescription;
};

static const AppErrorCase kAppErrorCases[] = {
    {"aiRequestFailedDetail", AppError::aiRequestFailedDetail(QStringLiteral("HTTP 401：Invalid API key")),
     "AI 查询失败：HTTP 401：Invalid API key", "aiRequestFailedDetail(HTTP 401：Invalid API key)"},
    {"textToSpeechFailed", AppError::textToSpeechFailed(QStringLiteral("没有可朗读的文本。")),
     "发音失败：没有可朗读的文本。", "textToSpeechFailed(没有可朗读的文本。)"},
    {"permissionDenied", AppError::permissionDenied(QStringLiteral("辅助功能")),
     "缺少权限：辅助功能。请在系统设置中授权后再次查词。", "permissionDenied(辅助功能)"},
    {"invalidAISettings", AppError::invalidAISettings(), "AI 设置不完整，请检查 API Key、Base URL 和模型名称。",
     "invalidAISettings"},
    {"invalidTextToSpeechSettings", AppError::invalidTextToSpeechSettings(),
     "发音设置不完整，请检查 API Key、TTS Base URL、模型和声音。", "invalidTextToSpeechSettings"},
    {"invalidAIResponse", AppError::invalidAIResponse(), "AI 返回格式无法解析。", "invalidAIResponse"},
    {"selectedTextUnavailable", AppError::selectedTextUnavailable(),
     "无法读取选中文本。请先选中英文，并确认已授予辅助功能权限。", "selectedTextUnavailable"},
    {"clipboardSnapshotFailed", AppError::clipboardSnapshotFailed(), "无法保存当前剪贴板内容，已取消本次查词。",
     "clipboardSnapshotFailed"},
    {"clipboardRestoreFailed", AppError::clipboardRestoreFailed(), "无法恢复原剪贴板内容，请检查剪贴板状态。",
     "clipboardRestoreFailed"},
};

TEST(AppErrorTest, EveryCaseCarriesItsMessageVerbatimAndAnEnglishDebugName)
{
    for (const AppErrorCase &row : kAppErrorCases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error.errorDescription(), QString::fromUtf8(row.description));
        // what() is the same message, so a generic catch site still shows the Chinese text.
        EXPECT_STREQ(row.error.what(), row.description);
        EXPECT_EQ(row.error.debugDescription(), QString::fromUtf8(row.debugDescription));
    }
}

TEST(AppErrorTest, EqualityComparesCaseAndPayload)
{
    EXPECT_EQ(AppError::aiRequestFailedDetail(QStringLiteral("x")), AppError::aiRequestFailedDetail(QStringLiteral("x")));
    EXPECT_FALSE(AppError::aiRequestFailedDetail(QStringLiteral("x")) == AppError::aiRequestFailedDetail(QStringLiteral("y")));
    EXPECT_FALSE(AppError::aiRequestFailedDetail(QStringLiteral("x")) == AppError::textToSpeechFailed(QStringLiteral("x")));
    EXPECT_FALSE(AppError::invalidAISettings() == AppError::invalidTextToSpeechSettings());
}

struct NetworkErrorCase {
    QNetworkReply::NetworkError code;
    const char *errorText;
    const char *expected;
};

TEST(NetworkErrorDescriptionTest, NamesTheCommonConditionsAndNumbersTheRest)
{
    const NetworkErrorCase cases[] = {
        {QNetworkReply::HostNotFoundError, "Host example.invalid not found", "找不到服务器（cannotFindHost）"},
        {QNetworkReply::ConnectionRefusedError, "Connection refused", "无法连接服务器（cannotConnectToHost）"},
        {QNetworkReply::TimeoutError, "Operation timed out", "请求超时（timedOut）"},
        {QNetworkReply::SslHandshakeFailedError, "SSL handshake failed", "安全连接失败（secureConnectionFailed）"},
        {QNetworkReply::NetworkSessionFailedError, "Network session error", "网络不可用（notConnectedToInternet）"},
        {QNetworkReply::TemporaryNetworkFailureError, "Temporary failure", "网络不可用（notConnectedToInternet）"},
        {QNetworkReply::RemoteHostClosedError, "Remote host closed the connection",
         "Remote host closed the connection（2）"},
        {QNetworkReply::ProxyAuthenticationRequiredError, "Proxy requires authentication",
         "Proxy requires authentication（105）"},
        {QNetworkReply::UnknownNetworkError, "", "（99）"},
    };
    for (const NetworkErrorCase &row : cases) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(readableDescription(row.code, QString::fromUtf8(row.errorText)), QString::fromUtf8(row.expected));
    }
}

#include "foundation/AppError.h"
#include "network/NetworkErrorDescription.h"

#include "support/TestSupport.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(AppError, EveryCaseHasItsOwnMessageCarryingItsPayload)
{
    const QString payload = "载荷 payload";
    const AppError errors[] = {
        AppError::aiRequestFailedDetail(payload), AppError::textToSpeechFailed(payload),
        AppError::permissionDenied(payload),     AppError::invalidAISettings(),
        AppError::invalidTextToSpeechSettings(), AppError::invalidAIResponse(),
        AppError::selectedTextUnavailable(),     AppError::clipboardSnapshotFailed(),
        AppError::clipboardRestoreFailed(),
    };
    QSet<QString> descriptions, debugNames;
    for (const AppError &error : errors) {
        SCOPED_TRACE(error.debugDescription().toStdString());
        // what() is the same message, so a generic catch site still shows it.
        EXPECT_EQ(QString::fromUtf8(error.what()), error.errorDescription());
        EXPECT_EQ(error.errorDescription().contains(payload), !error.payload().isEmpty());
        EXPECT_EQ(error.debugDescription().contains(payload), !error.payload().isEmpty());
        descriptions.insert(error.errorDescription());
        debugNames.insert(error.debugDescription());
    }
    EXPECT_EQ(descriptions.size(), 9);
    EXPECT_EQ(debugNames.size(), 9);

    EXPECT_EQ(AppError::aiRequestFailedDetail("x"), AppError::aiRequestFailedDetail("x"));
    EXPECT_FALSE(AppError::aiRequestFailedDetail("x") == AppError::aiRequestFailedDetail("y"));
    EXPECT_FALSE(AppError::aiRequestFailedDetail("x") == AppError::textToSpeechFailed("x"));
}

TEST(NetworkErrorDescription, NamesTheCommonConditionsAndNumbersTheRest)
{
    const std::pair<QNetworkReply::NetworkError, const char *> named[] = {
        {QNetworkReply::HostNotFoundError, "（cannotFindHost）"},
        {QNetworkReply::ConnectionRefusedError, "（cannotConnectToHost）"},
        {QNetworkReply::TimeoutError, "（timedOut）"},
        {QNetworkReply::SslHandshakeFailedError, "（secureConnectionFailed）"},
        {QNetworkReply::NetworkSessionFailedError, "（notConnectedToInternet）"},
        {QNetworkReply::TemporaryNetworkFailureError, "（notConnectedToInternet）"},
        {QNetworkReply::RemoteHostClosedError, "Qt's text（2）"},
        {QNetworkReply::UnknownNetworkError, "Qt's text（99）"},
    };
    for (const auto &[code, ending] : named) {
        const QString description = readableDescription(code, "Qt's text");
        EXPECT_TRUE(description.endsWith(QString::fromUtf8(ending))) << description.toStdString();
    }
}

#include "foundation/AppError.h"
#include "network/NetworkErrorDescription.h"

#include "support/TestSupport.h"

#include <QSet>

#include <algorithm>

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
    QSet<QString> named;
    for (const auto code : {TransportError::Code::hostNotFound, TransportError::Code::connectionRefused,
                            TransportError::Code::timedOut, TransportError::Code::sslHandshakeFailed,
                            TransportError::Code::networkSessionFailed, TransportError::Code::temporaryNetworkFailure})
        named.insert(readableDescription(code, "Qt's text"));
    EXPECT_EQ(named.size(), 5) << "a failed session and a temporary failure both mean no network";
    EXPECT_FALSE(std::any_of(named.begin(), named.end(), [](const QString &d) { return d.contains("Qt's text"); }));
    EXPECT_EQ(readableDescription(TransportError::Code::remoteHostClosed, "Qt's text"), "Qt's text（2）");
}

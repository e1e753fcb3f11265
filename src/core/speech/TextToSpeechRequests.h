#pragma once

#include "foundation/CancellationToken.h"
#include "network/HTTPTransport.h"
#include "preferences/UserSettings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// What the HTTP speech clients share: checking the settings before anything is sent, the
// authenticated JSON POST, and turning the transport's outcome into audio bytes or an
// AppError after one log line. Server texts that reach a message have key-like strings masked.
class TextToSpeechRequests {
public:
    // Receives each failure line; the default, AppLogger::error, masks secrets first.
    using FailureLogger = std::function<void(const QString &line)>;
    // The text after "发音失败：" for an HTTP status outside 200–299 and its body.
    using FailureDetail = QString (*)(int statusCode, const QByteArray &body);

    // How the endpoint is taken from the base URL setting: as written, or with the DashScope
    // console's "{WorkspaceId}" placeholder replaced so that it parses.
    enum class URLForm { asWritten, workspacePlaceholderReplaced };

    struct Prepared {
        QString input; // the text without surrounding whitespace
        QUrl url;
    };

    struct Context {
        std::shared_ptr<HTTPTransport> transport;
        FailureLogger failureLogger;
        // When the client was asked for the audio; log lines give the time since.
        std::chrono::steady_clock::time_point startedAt = std::chrono::steady_clock::now();
    };

    TextToSpeechRequests() = delete;

    // Throws invalidTextToSpeechSettings for a blank text, a missing key, model or voice, a
    // key that would break the request's headers or an endpoint that is not an http(s) URL
    // with a host; textToSpeechFailed when the "{WorkspaceId}" placeholder is still there.
    static Prepared prepare(const QString &text, const UserSettings &settings, URLForm form);

    static HTTPRequest authenticatedJSONRequest(const QUrl &url, const QString &apiKey, const QJsonObject &body);
    static HTTPRequest downloadRequest(const QUrl &url);

    // Sends the request and returns the body of a 2xx answer. Throws textToSpeechFailed for
    // any other answer or a network failure, CancellationError when the request was cancelled.
    static QCoro::Task<QByteArray> data(Context context, HTTPRequest request, FailureDetail failureDetail,
                                        QString model, CancellationToken cancellation);

    // Logs one failure line; `url` may be empty.
    static void logFailure(const Context &context, const QString &stage, const QUrl &url, const QString &model,
                           std::optional<int> statusCode, const QString &detail);

    // Every "sk-" followed by six or more key characters becomes "sk-...".
    static QString redactedAPIKeys(const QString &text);
    // A server text for a message: keys masked, trimmed, shortened.
    static QString serverText(const QString &text);
    // The body as text, or nothing when it is not valid UTF-8.
    static std::optional<QString> utf8Text(const QByteArray &body);
    static QString statusText(int statusCode);

    static inline const QString invalidHTTPResponseMessage = QStringLiteral("服务没有返回有效 HTTP 响应。");
    static inline const QString workspacePlaceholder = QStringLiteral("{WorkspaceId}");
};

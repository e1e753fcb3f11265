#pragma once

#include "ai/AIClient.h"
#include "network/HTTPTransport.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// The lookup client for any service that speaks the OpenAI chat-completions protocol. The
// base URL setting is the complete endpoint; one POST carries a fixed system message and
// the prompt, an unparseable answer is asked for once more, and every failure is logged as
// one line before it is thrown as an AppError. Holds no mutable state: several lookups may
// run at once, and a pending one keeps its transport alive by itself.
class OpenAICompatibleAIClient : public AIClient {
public:
    // Receives each failure line. The default, AppLogger::error, masks secrets first.
    using FailureLogger = std::function<void(const QString &line)>;

    static constexpr std::chrono::milliseconds defaultRequestTimeout{60000};
    static inline const QString systemMessage = QStringLiteral("你是严谨的英语学习助手，只输出用户要求的 JSON。");

    explicit OpenAICompatibleAIClient(std::shared_ptr<HTTPTransport> transport, FailureLogger failureLogger = {},
                                      std::chrono::milliseconds requestTimeout = defaultRequestTimeout);

    QCoro::Task<LookupResult> lookup(QString selectedText, std::optional<QString> contextBefore,
                                     std::optional<QString> contextAfter, LearningItemType itemType,
                                     UserSettings settings, CancellationToken cancellation = {}) override;
    QCoro::Task<FastLookupResult> fastLookup(QString selectedText, std::optional<QString> contextBefore,
                                             std::optional<QString> contextAfter, LearningItemType itemType,
                                             UserSettings settings, CancellationToken cancellation = {}) override;

    // Writes "AI request failed operation=… stage=… endpoint=… model=… status=… elapsedMs=…
    // detail=…": the endpoint without credentials, query or fragment ("-" without a URL),
    // "-" for an empty model or a missing status, whole milliseconds since `startedAt`.
    // Shared with the other clients that call the same kind of service.
    static void logFailure(const QString &operation, const QString &stage, const std::optional<QUrl> &url,
                           const QString &model, std::chrono::steady_clock::time_point startedAt,
                           std::optional<int> statusCode, const QString &detail, const FailureLogger &logger = {});
    // An http or https URL with a host, taken exactly as written (no trimming).
    static std::optional<QUrl> validatedURL(const QString &text);
    // "HTTP " + status, then "：" and the service's own shortened message when it sent one.
    static QString failureDetail(int statusCode, const QByteArray &body);
    // Qt writes header values out verbatim, so a key holding these cannot be sent.
    static bool containsControlCharacters(const QString &text);
    // A server's message as the learner sees it: without surrounding whitespace, and at most
    // 500 characters plus "...". Shared with the speech clients.
    static QString shortened(const QString &text);

private:
    // What a request needs once it runs on its own, so that it never reaches back into the
    // client after suspending.
    struct Context {
        std::shared_ptr<HTTPTransport> transport;
        FailureLogger failureLogger;
        std::chrono::milliseconds requestTimeout;
    };

    template <typename Result>
    static QCoro::Task<Result> performLookupRequest(Context context, QString prompt, UserSettings settings,
                                                    Result (*decode)(const QString &content),
                                                    CancellationToken cancellation);
    // Sends the request, turning transport failures into logged AppErrors.
    static QCoro::Task<HTTPResponse> send(Context context, HTTPRequest request, QString model,
                                          std::chrono::steady_clock::time_point startedAt,
                                          CancellationToken cancellation);

    static HTTPRequest makeRequest(const QUrl &url, const UserSettings &settings, const QString &prompt,
                                   std::chrono::milliseconds timeout);
    // The service's own message from an error body, shortened.
    static QString errorMessage(const QByteArray &body);
    static QString safeEndpoint(const std::optional<QUrl> &url);

    Context m_context;
};

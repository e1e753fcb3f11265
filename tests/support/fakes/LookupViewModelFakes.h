#pragma once

#include "ai/AIClient.h"
#include "preferences/APIKeyStoring.h"
#include "lookup/LookupResultCaching.h"
#include "capture/SelectedTextCapturing.h"
#include "dictionary/SystemDictionaryLookingUp.h"
#include "foundation/CancellationError.h"
#include "foundation/CancellationToken.h"

#include <QHash>
#include <QCoro/QCoroTask>

#include <coroutine>
#include <map>
#include <vector>

// An answer the test gives later, in any order. Settling it resumes the waiting coroutine
// at once, so whatever the view model does with the answer has happened when settle returns.
template <typename T>
class Deferred {
public:
    void resolve(T value) { settle(std::move(value), nullptr); }
    bool isSettled() const { return m_state->settled; }
    template <typename Exception>
    void reject(Exception error) { settle(std::nullopt, std::make_exception_ptr(std::move(error))); }

    // Shares the state rather than referring to it: the awaited object may be copied.
    struct Awaiter {
        std::shared_ptr<typename Deferred::State> state;

        bool await_ready() const noexcept { return state->settled; }
        void await_suspend(std::coroutine_handle<> waiter) const noexcept { state->waiter = waiter; }
        T await_resume() const
        {
            if (state->error)
                std::rethrow_exception(state->error);
            return std::move(*state->value);
        }
    };
    Awaiter operator co_await() const { return Awaiter{m_state}; }

    struct State {
        bool settled = false;
        std::optional<T> value;
        std::exception_ptr error;
        std::coroutine_handle<> waiter;
    };

private:
    void settle(std::optional<T> value, std::exception_ptr error)
    {
        if (m_state->settled)
            return;
        m_state->settled = true;
        m_state->value = std::move(value);
        m_state->error = std::move(error);
        if (auto waiter = std::exchange(m_state->waiter, nullptr))
            waiter.resume();
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// One pending request: what was asked and the answer the test will give. Cancelling the
// request's token rejects it with CancellationError, as the real services do, unless the
// test asked for a service that ignores cancellation.
template <typename T>
struct PendingRequest {
    QString text;
    LearningItemType itemType = LearningItemType::word;
    UserSettings settings;
    CancellationToken cancellation;
    Deferred<T> answer;
    CancellationToken::Registration cancellationLink;

    bool isCancelled() const { return cancellation.isCancelled(); }
};

template <typename T>
QCoro::Task<T> awaitPending(std::shared_ptr<PendingRequest<T>> request, bool honoursCancellation)
{
    if (honoursCancellation)
        request->cancellationLink =
            request->cancellation.onCancel([answer = request->answer]() mutable { answer.reject(CancellationError()); });
    co_return co_await request->answer;
}

class FakeAIClient : public AIClient {
public:
    QCoro::Task<LookupResult> lookup(QString text, std::optional<QString>, std::optional<QString>, LearningItemType type,
                                     UserSettings settings, CancellationToken cancellation) override
    {
        return record(lookups, text, type, settings, cancellation, true);
    }

    QCoro::Task<FastLookupResult> fastLookup(QString text, std::optional<QString>, std::optional<QString>,
                                             LearningItemType type, UserSettings settings,
                                             CancellationToken cancellation) override
    {
        return record(fastLookups, text, type, settings, cancellation, fastLookupsHonourCancellation);
    }

    std::vector<std::shared_ptr<PendingRequest<LookupResult>>> lookups;
    std::vector<std::shared_ptr<PendingRequest<FastLookupResult>>> fastLookups;
    // False lets a quick answer arrive even after its token fired, as a slow service might.
    bool fastLookupsHonourCancellation = true;

private:
    template <typename T>
    static QCoro::Task<T> record(std::vector<std::shared_ptr<PendingRequest<T>>> &requests, QString text,
                                 LearningItemType type, UserSettings settings, CancellationToken cancellation,
                                 bool honoursCancellation)
    {
        auto request = std::make_shared<PendingRequest<T>>();
        *request = {std::move(text), type, std::move(settings), std::move(cancellation), {}, {}};
        requests.push_back(request);
        return awaitPending(request, honoursCancellation);
    }
};

class FakeSelectionCaptureService : public SelectedTextCapturing {
public:
    QCoro::Task<QString> captureSelectedTextUsingClipboardFallback(CancellationToken cancellation) override
    {
        auto request = std::make_shared<PendingRequest<QString>>();
        request->cancellation = cancellation;
        captures.push_back(request);
        return awaitPending(request, true);
    }

    std::vector<std::shared_ptr<PendingRequest<QString>>> captures;
};

// Keeps entries in memory under the exact text and type it is given.
class InMemoryLookupResultCache : public LookupResultCaching {
public:
    std::optional<LookupResult> cachedResult(const QString &text, LearningItemType itemType) const override
    {
        const auto entry = entries.find({text, itemType});
        return entry == entries.end() ? std::nullopt : std::optional(entry->second);
    }
    void store(const LookupResult &result) override
    {
        entries.insert_or_assign({result.selectedText, result.itemType}, result);
        stored.append(result);
    }

    std::map<std::pair<QString, LearningItemType>, LookupResult> entries;
    QList<LookupResult> stored;
};

class FakeSystemDictionary : public SystemDictionaryLookingUp {
public:
    std::optional<QString> lookupDefinition(const QString &text) const override
    {
        queries.append(text);
        const auto entry = definitions.constFind(text);
        return entry == definitions.constEnd() ? std::nullopt : std::optional(*entry);
    }

    std::optional<QString> lookupChineseGlance(const QString &text) const override
    {
        const auto entry = glances.constFind(text);
        return entry == glances.constEnd() ? std::nullopt : std::optional(*entry);
    }

    QHash<QString, QString> definitions;
    QHash<QString, QString> glances;
    mutable QStringList queries;
};

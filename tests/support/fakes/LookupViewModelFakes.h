#pragma once

#include "ai/AIClient.h"
#include "preferences/APIKeyStoring.h"
#include "lookup/LookupResultCaching.h"
#include "capture/SelectedTextCapturing.h"
#include "dictionary/SystemDictionaryLookingUp.h"
#include "foundation/CancellationError.h"
#include "foundation/CancellationToken.h"

#include <QHash>
#include <QList>
#include <QString>

#include <QCoro/QCoroTask>

#include <coroutine>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// An answer the test gives later, in any order. Settling it resumes the waiting coroutine
// at once, so whatever the view model does with the answer has happened when settle returns.
template <typename T>
class Deferred {
public:
    void resolve(T value) { settle(std::move(value), nullptr); }
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
    template <typename T>
    static std::shared_ptr<PendingRequest<T>> makeRequest(QString text, LearningItemType itemType,
                                                          UserSettings settings, CancellationToken cancellation)
    {
        auto request = std::make_shared<PendingRequest<T>>();
        request->text = std::move(text);
        request->itemType = itemType;
        request->settings = std::move(settings);
        request->cancellation = std::move(cancellation);
        return request;
    }

    QCoro::Task<LookupResult> lookup(QString selectedText, std::optional<QString>, std::optional<QString>,
                                     LearningItemType itemType, UserSettings settings,
                                     CancellationToken cancellation) override
    {
        auto request = makeRequest<LookupResult>(selectedText, itemType, settings, cancellation);
        lookups.push_back(request);
        return awaitPending(request, true);
    }

    QCoro::Task<FastLookupResult> fastLookup(QString selectedText, std::optional<QString>, std::optional<QString>,
                                             LearningItemType itemType, UserSettings settings,
                                             CancellationToken cancellation) override
    {
        auto request = makeRequest<FastLookupResult>(selectedText, itemType, settings, cancellation);
        fastLookups.push_back(request);
        return awaitPending(request, fastLookupsHonourCancellation);
    }

    std::vector<std::shared_ptr<PendingRequest<LookupResult>>> lookups;
    std::vector<std::shared_ptr<PendingRequest<FastLookupResult>>> fastLookups;
    // False lets a quick answer arrive even after its token fired, as a slow service might.
    bool fastLookupsHonourCancellation = true;
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

// Keeps entries in memory under the exact text and type it is given, and records reads.
class InMemoryLookupResultCache : public LookupResultCaching {
public:
    std::optional<LookupResult> cachedResult(const QString &text, LearningItemType itemType) const override
    {
        reads.append({text, itemType});
        const auto entry = entries.find({text, itemType});
        if (entry == entries.end())
            return std::nullopt;
        return entry->second;
    }
    void store(const LookupResult &result) override
    {
        entries.insert_or_assign({result.selectedText, result.itemType}, result);
        stored.append(result);
    }

    std::map<std::pair<QString, LearningItemType>, LookupResult> entries;
    mutable QList<std::pair<QString, LearningItemType>> reads;
    QList<LookupResult> stored;
};

class FakeSystemDictionary : public SystemDictionaryLookingUp {
public:
    std::optional<QString> lookupDefinition(const QString &text) const override
    {
        queries.append(text);
        const auto entry = definitions.constFind(text);
        if (entry == definitions.constEnd())
            return std::nullopt;
        return *entry;
    }

    QHash<QString, QString> definitions;
    mutable QStringList queries;
};

#include "foundation/CancellationToken.h"

#include "foundation/CancellationError.h"

#include <vector>

struct CancellationToken::Registration::Entry {
    std::function<void()> callback;
    bool active = true;
};

struct CancellationToken::State {
    bool cancelled = false;
    std::vector<std::weak_ptr<Registration::Entry>> entries;
};

CancellationToken::Registration &CancellationToken::Registration::operator=(Registration &&other) noexcept
{
    if (this != &other) {
        if (m_entry)
            m_entry->active = false;
        m_entry = std::move(other.m_entry);
    }
    return *this;
}

CancellationToken::Registration::~Registration()
{
    if (m_entry)
        m_entry->active = false;
}

CancellationToken::CancellationToken() : m_state(std::make_shared<State>()) {}

void CancellationToken::cancel() const
{
    if (m_state->cancelled)
        return;
    m_state->cancelled = true;
    // Callbacks may register or drop registrations; work on a copy.
    const auto entries = std::move(m_state->entries);
    m_state->entries.clear();
    for (const auto &weak : entries) {
        if (auto entry = weak.lock(); entry && entry->active) {
            entry->active = false;
            if (entry->callback)
                entry->callback();
        }
    }
}

bool CancellationToken::isCancelled() const { return m_state->cancelled; }

void CancellationToken::throwIfCancelled() const
{
    if (m_state->cancelled)
        throw CancellationError();
}

CancellationToken::Registration CancellationToken::onCancel(std::function<void()> callback) const
{
    Registration registration;
    if (m_state->cancelled) {
        if (callback)
            callback();
        return registration;
    }
    registration.m_entry = std::make_shared<Registration::Entry>();
    registration.m_entry->callback = std::move(callback);
    std::erase_if(m_state->entries, [](const auto &weak) { return weak.expired(); });
    m_state->entries.push_back(registration.m_entry);
    return registration;
}

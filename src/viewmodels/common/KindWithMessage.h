#pragma once

#include <QString>

#include <utility>

// The value of a button's state: one of a few kinds, of which the failed one carries the
// message to show. Each controller's `State` adds its named constructors.
template <typename KindEnum>
class KindWithMessage {
public:
    using Kind = KindEnum;

    Kind kind() const { return m_kind; }
    // The message to show; empty unless the state is `failed`.
    const QString &message() const { return m_message; }

    bool operator==(const KindWithMessage &) const = default;

protected:
    KindWithMessage() = default;
    explicit KindWithMessage(Kind kind, QString message = {}) : m_kind(kind), m_message(std::move(message)) {}

private:
    Kind m_kind{};
    QString m_message;
};

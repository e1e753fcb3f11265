#include "preferences/InMemoryAPIKeyStore.h"

QCoro::Task<QString> InMemoryAPIKeyStore::loadAPIKey()
{
    if (m_failure)
        throw *m_failure;
    // A copy: QCoro's co_return moves from a non-const lvalue, which would empty the store.
    co_return QString(m_key);
}

QCoro::Task<void> InMemoryAPIKeyStore::saveAPIKey(QString key)
{
    if (m_failure)
        throw *m_failure;
    m_key = std::move(key);
    ++m_saveCount;
    co_return;
}

#include "services/InMemoryAPIKeyStore.h"

QCoro::Task<QString> InMemoryAPIKeyStore::loadAPIKey()
{
    if (m_failure)
        throw *m_failure;
    co_return m_key;
}

QCoro::Task<void> InMemoryAPIKeyStore::saveAPIKey(QString key)
{
    if (m_failure)
        throw *m_failure;
    m_key = std::move(key);
    ++m_saveCount;
    co_return;
}

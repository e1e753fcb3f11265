#include "app/DeferredAPIKeyStore.h"

APIKeyStoring &DeferredAPIKeyStore::store()
{
    if (!m_store)
        m_store = m_make();
    return *m_store;
}

QCoro::Task<QString> DeferredAPIKeyStore::loadAPIKey() { return store().loadAPIKey(); }

QCoro::Task<void> DeferredAPIKeyStore::saveAPIKey(QString key) { return store().saveAPIKey(std::move(key)); }

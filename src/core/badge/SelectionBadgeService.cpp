#include "badge/SelectionBadgeService.h"

#include <utility>

SelectionBadgeService::SelectionBadgeService(std::unique_ptr<SelectionBadgePresenting> presenter,
                                             std::function<void(const QString &)> onLookupRequested)
    : m_presenter(std::move(presenter)), m_onLookupRequested(std::move(onLookupRequested))
{
}

SelectionBadgeService::~SelectionBadgeService() { m_presenter->hide(); }

void SelectionBadgeService::show(const QString &selectedText, QPointF near)
{
    m_selectedText = selectedText;
    // The presenter, and with it this action, dies with the service, so `this` stays valid.
    m_presenter->show(selectedText, near, [this] { badgeClicked(); });
}

void SelectionBadgeService::hide()
{
    m_selectedText.reset();
    m_presenter->hide();
}

void SelectionBadgeService::badgeClicked()
{
    if (!m_selectedText)
        return;
    // Cleared before the callback, so a second click delivered meanwhile does nothing.
    const QString text = *std::exchange(m_selectedText, std::nullopt);
    m_presenter->hide();
    m_onLookupRequested(text);
}

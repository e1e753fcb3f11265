#pragma once

#include "badge/SelectionBadgePresenting.h"

#include <QPointF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The badge and the text it stands for. A click on the badge hands that text to
// `onLookupRequested` once and hides the badge. Main thread only.
class SelectionBadgeService {
public:
    SelectionBadgeService(std::unique_ptr<SelectionBadgePresenting> presenter,
                          std::function<void(const QString &)> onLookupRequested);
    ~SelectionBadgeService();

    SelectionBadgeService(const SelectionBadgeService &) = delete;
    SelectionBadgeService &operator=(const SelectionBadgeService &) = delete;

    void show(const QString &selectedText, QPointF near);
    void hide();

    const std::optional<QString> &selectedText() const { return m_selectedText; }

private:
    void badgeClicked();

    std::unique_ptr<SelectionBadgePresenting> m_presenter;
    std::function<void(const QString &)> m_onLookupRequested;
    std::optional<QString> m_selectedText;
};

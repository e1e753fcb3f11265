#pragma once

#include "badge/SelectionBadgePresenting.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QToolButton;

// The badge window: a small frameless button floating above every window, next to the
// pointer. It never takes the keyboard focus, neither when shown nor when clicked, so the
// application holding the selection stays the active one.
class SelectionBadgePresenter : public SelectionBadgePresenting {
public:
    SelectionBadgePresenter() = default;
    ~SelectionBadgePresenter() override;

    void show(const QString &selectedText, QPointF near, std::function<void()> onClick) override;
    void hide() override;

    // The window while a badge is shown (for tests).
    QWidget *window() const { return m_window; }

    // The frame the badge gets near the point, within the screens' available geometry.
    static QRect frameNear(QPointF point);
    // The badge's button, a magnifier that never takes the focus; the article's texts show it too.
    static QToolButton *makeButton(QWidget *parent);

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_action;
};

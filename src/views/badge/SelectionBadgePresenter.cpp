#include "views/badge/SelectionBadgePresenter.h"

#include "badge/SelectionBadgeGeometry.h"
#include "views/common/PanelTheme.h"
#include "views/common/SymbolIcon.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>

namespace {

constexpr QRect buttonGeometry(4, 4, 34, 34);
const QString badgeTitle = QStringLiteral("查词");

} // namespace

SelectionBadgePresenter::~SelectionBadgePresenter() { hide(); }

QToolButton *SelectionBadgePresenter::makeButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->setToolTip(badgeTitle);
    button->setAccessibleName(badgeTitle);
    button->setIconSize(QSize(20, 20));
    button->setIcon(SymbolIcon::icon(QStringLiteral("text.magnifyingglass"), PanelColors::Role::accent));
    PanelTheme::setStyleSheet(button, QStringLiteral("QToolButton { background: @base; border-radius: 8px;"
                                                     " border: 1px solid @border; }"));
    return button;
}

QRect SelectionBadgePresenter::frameNear(QPointF point)
{
    QList<SelectionBadgeScreen> screens;
    qsizetype mainScreen = -1;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *screen : all) {
        if (screen == QGuiApplication::primaryScreen())
            mainScreen = screens.size();
        screens.append({QRectF(screen->geometry()), QRectF(screen->availableGeometry())});
    }
    const QRectF visible = SelectionBadgeGeometry::visibleFrame(point, screens, mainScreen);
    return SelectionBadgeGeometry::badgeFrame(point, visible).toRect();
}

void SelectionBadgePresenter::show(const QString &, QPointF near, std::function<void()> onClick)
{
    hide();
    m_action = std::move(onClick);

    auto *window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                                            | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setFocusPolicy(Qt::NoFocus);
    window->setWindowTitle(badgeTitle);
    window->setGeometry(frameNear(near));

    QToolButton *button = makeButton(window);
    button->setGeometry(buttonGeometry);
    QObject::connect(button, &QToolButton::clicked, window, [this] {
        // The action usually hides the badge, which closes this very window: run a copy,
        // and let the window go once its click handler has returned (WA_DeleteOnClose).
        const auto action = m_action;
        if (action)
            action();
    });

    window->show();
    window->raise();
    m_window = window;
}

void SelectionBadgePresenter::hide()
{
    m_action = nullptr;
    if (m_window) {
        // close() with WA_DeleteOnClose defers the deletion to the event loop.
        m_window->close();
        m_window = nullptr;
    }
}

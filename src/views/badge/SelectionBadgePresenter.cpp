#include "views/badge/SelectionBadgePresenter.h"

#include "badge/SelectionBadgeGeometry.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolButton>

namespace {

constexpr QRect buttonGeometry(4, 4, 34, 34);
constexpr int iconExtent = 20;
const QString badgeTitle = QStringLiteral("查词");

// A magnifier over two lines of text, drawn in the accent colour, for desktops whose icon
// theme has no "edit-find".
QIcon magnifierIcon(const QColor &tint)
{
    const QIcon themed = QIcon::fromTheme(QStringLiteral("edit-find"));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(iconExtent * 2, iconExtent * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(tint, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(2, 4), QPointF(9, 4));
    painter.drawLine(QPointF(2, 8), QPointF(6, 8));
    painter.drawEllipse(QPointF(11.5, 11.5), 4.5, 4.5);
    painter.setPen(QPen(tint, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(14.8, 14.8), QPointF(18, 18));
    return QIcon(pixmap);
}

} // namespace

SelectionBadgePresenter::~SelectionBadgePresenter() { hide(); }

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

    auto *button = new QToolButton(window);
    button->setGeometry(buttonGeometry);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->setToolTip(badgeTitle);
    button->setAccessibleName(badgeTitle);
    button->setIconSize(QSize(iconExtent, iconExtent));
    button->setIcon(magnifierIcon(window->palette().color(QPalette::Highlight)));
    button->setStyleSheet(QStringLiteral("QToolButton { background: white; border-radius: 8px;"
                                         " border: 1px solid rgba(128, 128, 128, 82); }"));
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

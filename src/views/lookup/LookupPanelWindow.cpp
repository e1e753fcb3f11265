#include "views/lookup/LookupPanelWindow.h"

#include "viewmodels/lookup/LookupPanelPinController.h"
#include "views/lookup/LookupPanelView.h"
#include "views/common/PanelTheme.h"
#include "views/common/SymbolButton.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int kTopBarHeight = 36;

} // namespace

LookupPanelWindow::LookupPanelWindow(LookupPanelView *content, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      m_content(content),
      m_pinController(new LookupPanelPinController(this)),
      m_topBar(new QWidget(this)),
      m_pinButton(new SymbolButton(m_topBar)),
      m_closeButton(new SymbolButton(QStringLiteral("xmark"), QStringLiteral("关闭"), m_topBar)),
      m_sizeGrip(new QSizeGrip(this))
{
    Q_ASSERT(m_content);
    setWindowTitle(QStringLiteral("查词"));
    setAttribute(Qt::WA_DeleteOnClose);
    PanelTheme::followDesktop(this);

    m_topBar->setObjectName(QStringLiteral("lookupPanelTopBar"));
    m_topBar->setFixedHeight(kTopBarHeight);
    m_topBar->installEventFilter(this);
    auto *topRow = new QHBoxLayout(m_topBar);
    topRow->setContentsMargins(8, 4, 8, 0);
    topRow->setSpacing(2);
    topRow->addStretch(1);
    topRow->addWidget(m_pinButton);
    topRow->addWidget(m_closeButton);
    connect(m_pinButton, &QToolButton::clicked, this, &LookupPanelWindow::togglePin);
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);

    m_content->setParent(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_topBar);
    layout->addWidget(m_content, 1);
    // Without a frame from the window manager, the corner grip is the way to resize.
    m_sizeGrip->setFixedSize(14, 14);

    setMinimumSize(m_content->minimumSize() + QSize(2, kTopBarHeight + 2));
    resize(kSize);

    m_deactivationTimer.setSingleShot(true);
    m_deactivationTimer.setInterval(kCloseDelayAfterDeactivation);
    connect(&m_deactivationTimer, &QTimer::timeout, this, &LookupPanelWindow::closeIfStillDeactivated);

    updatePinButton();
}

LookupPanelWindow::~LookupPanelWindow() = default;

bool LookupPanelWindow::isPinned() const
{
    return m_pinController->isPinned();
}

void LookupPanelWindow::togglePin()
{
    m_pinController->toggle();
    updatePinButton();
    applyPinState();
    emit pinnedChanged(m_pinController->isPinned());
}

void LookupPanelWindow::setWorkspacePinning(WorkspacePinning workspacePinning)
{
    m_workspacePinning = std::move(workspacePinning);
    if (m_workspacePinning && isVisible() && windowHandle()) {
        m_workspacePinning(windowHandle(), isPinned());
    }
}

void LookupPanelWindow::updatePinButton()
{
    m_pinButton->setSymbol(m_pinController->systemImageName(),
                           isPinned() ? PanelColors::Role::accent : PanelColors::Role::secondaryLabel);
    m_pinButton->setHelpText(m_pinController->helpText());
}

void LookupPanelWindow::applyPinState()
{
    const bool pinned = isPinned();
    if (pinned) {
        m_deactivationTimer.stop();
    }
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, pinned);
    if (flags != windowFlags()) {
        if (QWindow *handle = windowHandle()) {
            // QWidget::setWindowFlags would recreate the native window, hiding it and taking
            // its focus away; the platform window takes the hint while it is shown.
            overrideWindowFlags(flags);
            handle->setFlags(flags);
        } else {
            setWindowFlags(flags);
        }
    }
    if (m_workspacePinning && windowHandle()) {
        m_workspacePinning(windowHandle(), pinned);
    }
}

bool LookupPanelWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        m_deactivationTimer.stop();
        break;
    case QEvent::WindowDeactivate:
        if (!isPinned()) {
            m_deactivationTimer.start();
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void LookupPanelWindow::closeIfStillDeactivated()
{
    if (!isPinned() && !isActiveWindow() && isVisible()) {
        close();
    }
}

bool LookupPanelWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Dragging the top row moves the window, as a title bar would.
    if (watched == m_topBar && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && windowHandle()) {
            windowHandle()->startSystemMove();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LookupPanelWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_workspacePinning && windowHandle()) {
        m_workspacePinning(windowHandle(), isPinned());
    }
}

void LookupPanelWindow::closeEvent(QCloseEvent *event)
{
    m_deactivationTimer.stop();
    if (!m_closing) {
        m_closing = true;
        m_content->cancelLookup();
        emit closing();
    }
    QWidget::closeEvent(event);
}

void LookupPanelWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_sizeGrip->move(width() - m_sizeGrip->width() - 1, height() - m_sizeGrip->height() - 1);
    m_sizeGrip->raise();
}

void LookupPanelWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // No frame from the window manager: a hairline keeps the panel apart from what is behind.
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128, 82));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

#include "views/common/ActivityIndicator.h"

#include "views/common/PanelColors.h"

#include <QPainter>

ActivityIndicator::ActivityIndicator(int diameter, QWidget *parent) : QWidget(parent), m_diameter(diameter)
{
    setFixedSize(diameter, diameter);
    m_timer.setInterval(16);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 8) % 360;
        update();
    });
}

void ActivityIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = std::max(2.0, m_diameter / 9.0);
    const QRectF bounds = QRectF(rect()).adjusted(pen, pen, -pen, -pen);

    QColor track = PanelColors::secondaryLabel();
    track.setAlphaF(0.15f);
    painter.setPen(QPen(track, pen));
    painter.drawEllipse(bounds);

    QPen arc(PanelColors::secondaryLabel(), pen);
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    // QPainter counts angles anticlockwise in sixteenths of a degree.
    painter.drawArc(bounds, -m_angle * 16, 100 * 16);
}

void ActivityIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void ActivityIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}

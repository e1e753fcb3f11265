#include "views/support/WindowLegibility.h"

#include "support/DarkDesktopPalette.h"
#include "views/common/PanelColors.h"
#include "views/common/WindowPlacement.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

bool showsSomething(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return !label->text().isEmpty() || !label->pixmap().isNull();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return !button->text().isEmpty() || !button->icon().isNull();
    if (auto *editor = qobject_cast<QTextEdit *>(widget))
        return !editor->toPlainText().isEmpty();
    return false;
}

bool insideScrollArea(QWidget *widget, QWidget *window)
{
    for (QWidget *parent = widget->parentWidget(); parent && parent != window; parent = parent->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea *>(parent))
            return true;
    }
    return false;
}

// The commonest colour of the area is its background; its strongest pixel against that is the
// ink of the text or glyph.
double inkContrast(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            std::tie(background, most) = std::pair(it.key(), it.value());
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, PanelColors::contrastRatio(QColor(background), QColor(it.key())));
    return best;
}

} // namespace

QStringList poorlyContrastedParts(QWidget *window)
{
    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const double scale = image.devicePixelRatio();
    QStringList parts;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        // What is scrolled partly out of view is measured when scrolled into it.
        const QRect visible = widget->visibleRegion().boundingRect();
        if (!widget->isVisibleTo(window) || !widget->isEnabled() || visible.size() != widget->size()
            || !showsSomething(widget))
            continue;
        const QRect area = QRect(QPointF(QPointF(widget->mapTo(window, visible.topLeft())) * scale).toPoint(),
                                 visible.size() * scale)
                               .intersected(image.rect());
        const double contrast = inkContrast(image, area);
        if (contrast < 4.5)
            parts.append(QStringLiteral("%1 %2 \"%3\" %4:1")
                             .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
                                  widget->property("text").toString().left(20))
                             .arg(contrast, 0, 'f', 1));
    }
    return parts;
}

QStringList fitProblems(QWidget *window, const QRect &available)
{
    QStringList problems;
    if (!available.contains(window->frameGeometry()))
        problems.append(
            QStringLiteral("window of %1 × %2 outside the screen").arg(window->width()).arg(window->height()));
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (!widget->isVisibleTo(window) && widget != window)
            continue;
        const QString name = QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName();
        if (QLayout *layout = widget->layout(); layout && !layout->hasHeightForWidth()) {
            const QSize needed = layout->minimumSize();
            if (needed.width() > widget->width() || needed.height() > widget->height())
                problems.append(QStringLiteral("%1 squeezed below its layout's minimum").arg(name));
        }
        if (qobject_cast<QAbstractButton *>(widget) && !insideScrollArea(widget, window)
            && !window->rect().contains(QRect(widget->mapTo(window, QPoint()), widget->size())))
            problems.append(QStringLiteral("%1 \"%2\" cut off").arg(name, widget->property("text").toString()));
    }
    return problems;
}

void expectLegibleInBothSchemes(QWidget *window)
{
    const QPalette light = QApplication::palette();
    window->show();
    const std::pair<const char *, QPalette> schemes[] = {{"dark", darkDesktopPalette()}, {"light", light}};
    for (const auto &[scheme, palette] : schemes) {
        QApplication::setPalette(palette);
        WindowPlacement::fitInto(window, kSmallScreen);
        QCoreApplication::processEvents();
        EXPECT_EQ(poorlyContrastedParts(window), QStringList()) << scheme;
        EXPECT_EQ(fitProblems(window, kSmallScreen), QStringList()) << scheme;
    }
}

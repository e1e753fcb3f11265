#pragma once

#include "views/common/SymbolButton.h"
#include "views/common/SymbolLabel.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <functional>

// What a reader of the widget sees: the texts of its visible labels, symbol labels and text
// buttons, in creation order.
inline QStringList visibleTexts(const QWidget *root)
{
    QStringList texts;
    for (const QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root)) {
            continue;
        }
        if (const auto *symbolLabel = qobject_cast<const SymbolLabel *>(widget)) {
            texts.append(symbolLabel->text());
        } else if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            if (!label->text().isEmpty() && !qobject_cast<const SymbolLabel *>(label->parentWidget())) {
                texts.append(label->text());
            }
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            if (!button->text().isEmpty()) {
                texts.append(button->text());
            }
        }
    }
    return texts;
}

// The tooltips of the visible icon buttons, in creation order.
inline QStringList visibleButtonTooltips(const QWidget *root)
{
    QStringList tooltips;
    for (const SymbolButton *button : root->findChildren<SymbolButton *>()) {
        if (button->isVisibleTo(root)) {
            tooltips.append(button->toolTip());
        }
    }
    return tooltips;
}

inline bool waitUntil(const std::function<bool()> &condition,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(2000))
{
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}

// Saves what the widget draws for people to look at: <build>/screenshots/<name>.png.
inline QString saveScreenshot(QWidget *widget, const QString &name)
{
    const QString directory = QStringLiteral(RAROZEZEV_BINARY_DIR "/screenshots");
    QDir().mkpath(directory);
    const QString path = directory + QLatin1Char('/') + name + QStringLiteral(".png");
    widget->grab().save(path);
    return path;
}

#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include <optional>

// A word-wrapped label at a fixed pixel size that shows its text exactly as written: model
// output and stored explanations may hold '<' or '&', which QLabel would otherwise guess to be
// markup.
QLabel *makePlainTextLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent,
                           std::optional<QColor> colour = std::nullopt);

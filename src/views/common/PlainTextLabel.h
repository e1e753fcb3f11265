#pragma once

#include "views/common/PanelColors.h"

#include <QFont>
#include <QLabel>
#include <QString>

#include <optional>

// A word-wrapped label at a fixed pixel size that shows its text exactly as written: model
// output and stored explanations may hold '<' or '&', which QLabel would otherwise guess to be
// markup. A role colours the text in the panels' scheme.
QLabel *makePlainTextLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent,
                           std::optional<PanelColors::Role> role = std::nullopt);

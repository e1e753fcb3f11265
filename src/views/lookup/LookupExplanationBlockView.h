#pragma once

#include "lookup/LookupResultDisplayBlock.h"

#include <QWidget>

class QLabel;

// One block of an explanation: its title, if any, above its lines. Several lines under a
// title read as a list and get bullets; model text is always shown as plain text.
class LookupExplanationBlockView : public QWidget {
    Q_OBJECT

public:
    explicit LookupExplanationBlockView(const LookupResultDisplayBlock &block, QWidget *parent = nullptr);

    // The title label (null for an untitled block) and one label per line, for tests.
    QLabel *titleLabel() const { return m_titleLabel; }
    const QList<QLabel *> &lineLabels() const { return m_lineLabels; }

private:
    QLabel *m_titleLabel = nullptr;
    QList<QLabel *> m_lineLabels;
};

#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

// The order in which lists show item texts, as a file browser sorts names: case-insensitive,
// digit runs compared by their value ("x 2" before "x 10"), by the user's locale.
class LocalizedTextOrder {
public:
    explicit LocalizedTextOrder(const QLocale &locale = QLocale());

    // Negative, zero or positive as `a` sorts before, with or after `b`.
    int compare(const QString &a, const QString &b) const { return m_collator.compare(a, b); }
    bool operator()(const QString &a, const QString &b) const { return compare(a, b) < 0; }

private:
    QCollator m_collator;
};

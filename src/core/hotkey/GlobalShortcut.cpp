#include "hotkey/GlobalShortcut.h"

#include <QStringList>

namespace {

std::optional<unsigned> modifierNamed(const QString &part)
{
    const QString name = part.toLower();
    if (name == QLatin1String("ctrl") || name == QLatin1String("control"))
        return GlobalShortcut::control;
    if (name == QLatin1String("alt"))
        return GlobalShortcut::alt;
    if (name == QLatin1String("shift"))
        return GlobalShortcut::shift;
    if (name == QLatin1String("super") || name == QLatin1String("meta") || name == QLatin1String("win"))
        return GlobalShortcut::super;
    return std::nullopt;
}

std::optional<QString> keyNamed(const QString &part)
{
    const QString key = part.toUpper();
    if (key.size() == 1 && ((key[0] >= QLatin1Char('A') && key[0] <= QLatin1Char('Z')) || key[0].isDigit())
        && key[0].unicode() < 128)
        return key;
    if (key.startsWith(QLatin1Char('F')) && key.size() <= 3) {
        bool ok = false;
        const int number = key.mid(1).toInt(&ok);
        if (ok && number >= 1 && number <= 24 && !key.mid(1).startsWith(QLatin1Char('0')))
            return key;
    }
    return std::nullopt;
}

} // namespace

std::optional<GlobalShortcut> GlobalShortcut::parse(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('+'));
    if (parts.size() < 2)
        return std::nullopt;
    GlobalShortcut shortcut;
    shortcut.modifiers = 0;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const std::optional<unsigned> modifier = modifierNamed(parts[i].trimmed());
        if (!modifier || (shortcut.modifiers & *modifier))
            return std::nullopt;
        shortcut.modifiers |= *modifier;
    }
    const std::optional<QString> key = keyNamed(parts.last().trimmed());
    // Shift alone would take a capital letter away from every application.
    if (!key || (shortcut.modifiers & ~unsigned(shift)) == 0)
        return std::nullopt;
    shortcut.key = *key;
    return shortcut;
}

QString GlobalShortcut::toString() const
{
    QStringList parts;
    if (modifiers & control)
        parts.append(QStringLiteral("Ctrl"));
    if (modifiers & super)
        parts.append(QStringLiteral("Super"));
    if (modifiers & alt)
        parts.append(QStringLiteral("Alt"));
    if (modifiers & shift)
        parts.append(QStringLiteral("Shift"));
    parts.append(key);
    return parts.join(QLatin1Char('+'));
}

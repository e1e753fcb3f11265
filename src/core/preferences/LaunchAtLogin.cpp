#include "preferences/LaunchAtLogin.h"

#include "preferences/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

// The Exec value for one program path: quoted, as desktop entries require, when
// the path holds anything but plain characters, then escaped as every string value is.
std::optional<QString> execValue(const QString &path)
{
    for (const QChar c : path) {
        // A line break would end the value and let the rest of the path add keys.
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return std::nullopt;
    }
    QString quoted = path;
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    static const QString plain = QStringLiteral("/._+-");
    const bool needsQuotes = std::any_of(quoted.cbegin(), quoted.cend(), [](QChar c) {
        return !(c.isLetterOrNumber() || plain.contains(c) || c == QLatin1Char('%'));
    });
    if (!needsQuotes)
        return quoted;
    QString escaped;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    // The string-value level of escaping comes on top of the quoting level.
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

LaunchAtLogin::LaunchAtLogin(UserDefaults &userDefaults, QString autostartFolder, QString executable)
    : m_userDefaults(userDefaults), m_folder(std::move(autostartFolder)), m_executable(std::move(executable))
{
}

QString LaunchAtLogin::entryPath() const { return QDir(m_folder).filePath(fileName); }

bool LaunchAtLogin::isEnabled() const
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

bool LaunchAtLogin::setEnabled(bool enabled)
{
    if (!enabled) {
        if (QFile::exists(entryPath()) && !QFile::remove(entryPath()))
            return false;
        return m_userDefaults.setBool(decidedKey, true);
    }
    const std::optional<QString> exec = execValue(m_executable);
    if (!exec || !QDir().mkpath(m_folder))
        return false;
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Rarozezev\n"
                              "Name[zh_CN]=英语助手\n"
                              "Comment=Look up selected English text with Alt+D\n"
                              "Comment[zh_CN]=选中英文后按 Alt+D 查词\n"
                              "Exec=%1\n"
                              "Icon=com.rarozezev.Rarozezev\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                   .arg(*exec)
                   .toUtf8());
    return file.commit() && m_userDefaults.setBool(decidedKey, true);
}

void LaunchAtLogin::enableUnlessDecided()
{
    if (!m_userDefaults.boolValue(decidedKey).value_or(false))
        setEnabled(true);
}

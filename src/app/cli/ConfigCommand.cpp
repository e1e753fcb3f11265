#include "app/cli/ConfigCommand.h"

#include "app/cli/ApplicationInstanceConnecting.h"
#include "app/cli/CommandArguments.h"
#include "app/cli/CommandErrorMessage.h"
#include "hotkey/GlobalShortcut.h"
#include "platform/dbus/DBusSingleInstanceService.h"
#include "preferences/AppPreferences.h"
#include "preferences/AppPreferencesStoring.h"
#include "preferences/LaunchAtLogin.h"
#include "preferences/PreferencesWriteError.h"
#include "speech/TextToSpeechProviderCatalogue.h"

#include <QRegularExpression>

#include <functional>
#include <optional>

namespace {

enum class ValueType { boolean, integer, string };

// One preference the command reads and writes; the value travels as text.
struct ConfigEntry {
    QLatin1String key;
    ValueType type;
    std::function<QString(const ConfigCommand::Settings &)> read;
    // Null for keys the program maintains itself.
    std::function<bool(ConfigCommand::Settings &, const QString &)> write;
    // A fixed service configuration of the build replaces the stored value.
    bool fixedByBuild = false;
    // Allowed texts of a string key; any text when empty.
    QStringList choices;
    int minimum = 0;
    int maximum = 0;
};

QString text(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

std::optional<bool> parseBoolean(const QString &value)
{
    const QString lowered = value.toLower();
    if (lowered == QLatin1String("true") || lowered == QLatin1String("1") || lowered == QLatin1String("yes"))
        return true;
    if (lowered == QLatin1String("false") || lowered == QLatin1String("0") || lowered == QLatin1String("no"))
        return false;
    return std::nullopt;
}

std::optional<int> parseInteger(const QString &value)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    if (!decimal.match(value).hasMatch())
        return std::nullopt;
    return value.toInt();
}

using Prefs = AppPreferencesStoring;
using Settings = ConfigCommand::Settings;
using Key = AppPreferences::Key;

constexpr QLatin1String launchAtLoginKey{"launchAtLogin"};

ConfigEntry stringEntry(QLatin1String key, QString (Prefs::*read)() const, bool (Prefs::*write)(const QString &),
                        bool fixedByBuild = false, QStringList choices = {})
{
    return {.key = key,
            .type = ValueType::string,
            .read = [read](const Settings &s) { return (s.preferences.*read)(); },
            .write = [write](Settings &s, const QString &v) { return (s.preferences.*write)(v); },
            .fixedByBuild = fixedByBuild,
            .choices = std::move(choices),
            .minimum = 0,
            .maximum = 0};
}

ConfigEntry booleanEntry(QLatin1String key, bool (Prefs::*read)() const, bool (Prefs::*write)(bool))
{
    std::function<bool(Settings &, const QString &)> writer;
    if (write)
        writer = [write](Settings &s, const QString &v) { return (s.preferences.*write)(*parseBoolean(v)); };
    return {.key = key,
            .type = ValueType::boolean,
            .read = [read](const Settings &s) { return text((s.preferences.*read)()); },
            .write = writer,
            .fixedByBuild = false,
            .choices = {},
            .minimum = 0,
            .maximum = 1};
}

ConfigEntry integerEntry(QLatin1String key, int (Prefs::*read)() const, bool (Prefs::*write)(int), int minimum,
                         int maximum)
{
    return {.key = key,
            .type = ValueType::integer,
            .read = [read](const Settings &s) { return QString::number((s.preferences.*read)()); },
            .write = [write](Settings &s, const QString &v) { return (s.preferences.*write)(*parseInteger(v)); },
            .fixedByBuild = false,
            .choices = {},
            .minimum = minimum,
            .maximum = maximum};
}

// The autostart entry is the setting itself, not a value in the user defaults.
ConfigEntry launchAtLoginEntry()
{
    return {.key = launchAtLoginKey,
            .type = ValueType::boolean,
            .read = [](const Settings &s) { return text(s.launchAtLogin.isEnabled()); },
            .write = [](Settings &s, const QString &v) { return s.launchAtLogin.setEnabled(*parseBoolean(v)); },
            .fixedByBuild = false,
            .choices = {},
            .minimum = 0,
            .maximum = 1};
}

QStringList providerIDs()
{
    QStringList ids;
    for (const auto &provider : TextToSpeechProviderCatalogue::providers())
        ids.append(provider.id);
    return ids;
}

// In the order of the settings screen.
const QList<ConfigEntry> &entries()
{
    static const QList<ConfigEntry> all = {
        stringEntry(Key::aiBaseURL, &Prefs::aiBaseURL, &Prefs::setAIBaseURL, true),
        stringEntry(Key::aiModel, &Prefs::aiModel, &Prefs::setAIModel, true),
        booleanEntry(Key::hasSavedAPIKey, &Prefs::hasSavedAPIKey, nullptr),
        booleanEntry(Key::reminderEnabled, &Prefs::reminderEnabled, &Prefs::setReminderEnabled),
        booleanEntry(Key::selectionBadgeEnabled, &Prefs::selectionBadgeEnabled, &Prefs::setSelectionBadgeEnabled),
        booleanEntry(Key::optionDHotkeyEnabled, &Prefs::optionDHotkeyEnabled, &Prefs::setOptionDHotkeyEnabled),
        stringEntry(Key::globalShortcut, &Prefs::globalShortcut, &Prefs::setGlobalShortcut),
        launchAtLoginEntry(),
        booleanEntry(Key::didConfirmSelectionBadgePrivacyNotice, &Prefs::didConfirmSelectionBadgePrivacyNotice,
                     &Prefs::setDidConfirmSelectionBadgePrivacyNotice),
        stringEntry(Key::ttsProvider, &Prefs::ttsProvider, &Prefs::setTTSProvider, true, providerIDs()),
        stringEntry(Key::ttsBaseURL, &Prefs::ttsBaseURL, &Prefs::setTTSBaseURL, true),
        stringEntry(Key::ttsModel, &Prefs::ttsModel, &Prefs::setTTSModel, true),
        stringEntry(Key::ttsVoice, &Prefs::ttsVoice, &Prefs::setTTSVoice, true),
        stringEntry(Key::ttsResponseFormat, &Prefs::ttsResponseFormat, &Prefs::setTTSResponseFormat, true),
        booleanEntry(Key::hasSavedTTSAPIKey, &Prefs::hasSavedTTSAPIKey, nullptr),
        stringEntry(Key::systemPronunciationAccent, &Prefs::systemPronunciationAccent,
                    &Prefs::setSystemPronunciationAccent, false, {"american", "british"}),
        booleanEntry(Key::dailyRecommendationEnabled, &Prefs::dailyRecommendationEnabled,
                     &Prefs::setDailyRecommendationEnabled),
        stringEntry(Key::dailyRecommendationFrequency, &Prefs::dailyRecommendationFrequency,
                    &Prefs::setDailyRecommendationFrequency, false, {"daily", "weekdays", "weekly"}),
        integerEntry(Key::dailyRecommendationHour, &Prefs::dailyRecommendationHour,
                     &Prefs::setDailyRecommendationHour, 0, 23),
        integerEntry(Key::dailyRecommendationMinute, &Prefs::dailyRecommendationMinute,
                     &Prefs::setDailyRecommendationMinute, 0, 59),
        stringEntry(Key::dailyRecommendationDifficulty, &Prefs::dailyRecommendationDifficulty,
                    &Prefs::setDailyRecommendationDifficulty, false, {"beginner", "intermediate", "advanced"}),
    };
    return all;
}

// The key itself, or the property name without its version suffix ("dailyRecommendationHour").
const ConfigEntry *entry(const QString &name)
{
    for (const ConfigEntry &candidate : entries()) {
        const QString key = candidate.key;
        if (name == key || (key.contains(QLatin1Char('.')) && name == key.section(QLatin1Char('.'), 0, 0)))
            return &candidate;
    }
    return nullptr;
}

bool isKeyMaintainedByProgram(const QString &name)
{
    return name == Key::legacyAIAPIKey || name == Key::didResetBundledAISettings
           || name == QLatin1String("didResetBundledAISettings");
}

bool isAIKeyName(const QString &which)
{
    return which == QLatin1String("ai");
}

QString keyLabel(const QString &which)
{
    return isAIKeyName(which) ? QStringLiteral("AI API Key") : QStringLiteral("TTS API Key");
}

} // namespace

ConfigCommand::ConfigCommand(CommandIO io, Settings settings) : m_io(io), m_settings(settings) {}

QString ConfigCommand::helpText()
{
    QStringList keys;
    for (const ConfigEntry &e : entries()) {
        QString line = QStringLiteral("  ") + QString(e.key);
        if (!e.write)
            line += QStringLiteral("（只读）");
        else if (e.type == ValueType::boolean)
            line += QStringLiteral("  true|false");
        else if (e.type == ValueType::integer)
            line += QStringLiteral("  %1–%2").arg(e.minimum).arg(e.maximum);
        else if (!e.choices.isEmpty())
            line += QStringLiteral("  ") + e.choices.join(QLatin1Char('|'));
        else if (e.key == Key::globalShortcut)
            line += QStringLiteral("  如 Alt+D、Ctrl+Alt+D、Super+F8");
        keys.append(line);
    }
    return QStringLiteral(
               "用法：rarozezev config <子命令>\n"
               "\n"
               "子命令：\n"
               "  list                 列出所有设置及其当前值\n"
               "  get KEY              显示一项设置\n"
               "  set KEY VALUE        修改一项设置（布尔值可写 true/false/1/0/yes/no）\n"
               "  set-key ai|tts       从标准输入读取 API Key 并存入系统密钥环\n"
               "  delete-key ai|tts    从系统密钥环删除 API Key\n"
               "\n"
               "例如：printf %s \"$KEY\" | rarozezev config set-key ai\n"
               "\n"
               "设置项（也可省略 .v1 等版本后缀）：\n")
           + keys.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QCoro::Task<int> ConfigCommand::run(QStringList arguments)
{
    if (arguments.isEmpty())
        co_return usageError(QStringLiteral("缺少子命令。"));
    const QString sub = arguments.first();
    if (CommandArguments::isHelpWord(sub)) {
        m_io.print(helpText());
        co_return CommandIO::success;
    }
    if (!QStringList({"list", "get", "set", "set-key", "delete-key"}).contains(sub))
        co_return usageError(QStringLiteral("未知的子命令：%1").arg(sub));
    const qsizetype expected = sub == QLatin1String("list") ? 1 : sub == QLatin1String("set") ? 3 : 2;
    if (arguments.size() != expected)
        co_return usageError(QStringLiteral("config %1 的参数个数不对。").arg(sub));

    if (sub == QLatin1String("list"))
        co_return list();
    if (sub == QLatin1String("get"))
        co_return get(arguments[1]);
    if (sub == QLatin1String("set"))
        co_return co_await set(arguments[1], arguments[2]);
    co_return co_await storeKey(arguments[1], sub == QLatin1String("delete-key"));
}

int ConfigCommand::list()
{
    QString lines;
    for (const ConfigEntry &e : entries())
        lines += QString(e.key) + QLatin1Char('=') + e.read(m_settings) + QLatin1Char('\n');
    m_io.print(lines);
    return CommandIO::success;
}

int ConfigCommand::get(const QString &name)
{
    const ConfigEntry *found = entry(name);
    if (!found) {
        if (isKeyMaintainedByProgram(name))
            return usageError(QStringLiteral("“%1”由程序内部维护，不能读取或修改。").arg(name));
        return usageError(QStringLiteral("未知的设置项：%1").arg(name));
    }
    m_io.print(found->read(m_settings) + QLatin1Char('\n'));
    return CommandIO::success;
}

QCoro::Task<int> ConfigCommand::set(QString name, QString value)
{
    const ConfigEntry *found = entry(name);
    if (!found || !found->write) {
        if (found || isKeyMaintainedByProgram(name))
            co_return usageError(QStringLiteral("“%1”由程序内部维护，不能修改。API Key 请用 config set-key 保存。").arg(name));
        co_return usageError(QStringLiteral("未知的设置项：%1").arg(name));
    }
    const QString key = found->key;
    switch (found->type) {
    case ValueType::boolean:
        if (!parseBoolean(value))
            co_return usageError(QStringLiteral("“%1”需要布尔值（true/false/1/0/yes/no），而不是“%2”。").arg(key, value));
        break;
    case ValueType::integer: {
        const std::optional<int> number = parseInteger(value);
        if (!number || *number < found->minimum || *number > found->maximum)
            co_return usageError(QStringLiteral("“%1”需要 %2 到 %3 之间的整数，而不是“%4”。")
                                  .arg(key)
                                  .arg(found->minimum)
                                  .arg(found->maximum)
                                  .arg(value));
        break;
    }
    case ValueType::string:
        if (key == Key::globalShortcut) {
            const std::optional<GlobalShortcut> shortcut = GlobalShortcut::parse(value);
            if (!shortcut)
                co_return usageError(QStringLiteral("“%1”需要 Ctrl、Alt 或 Super 加一个字母、数字或功能键，例如 Ctrl+Alt+D，而不是“%2”。").arg(key, value));
            value = shortcut->toString();
        }
        if (!found->choices.isEmpty() && !found->choices.contains(value))
            co_return usageError(QStringLiteral("“%1”只能是 %2 之一，而不是“%3”。").arg(key, found->choices.join(QStringLiteral("、")), value));
        break;
    }
    // Reporting success for a write the build discards would mislead.
    if (found->fixedByBuild && m_settings.preferences.hasBundledServiceConfiguration()) {
        m_io.printError(QStringLiteral("此版本内置了 AI 与发音服务配置，“%1”不能修改。\n").arg(key));
        co_return CommandIO::failure;
    }
    // The learner typed the command: the notice is shown, not asked.
    if (key == Key::selectionBadgeEnabled && *parseBoolean(value)
        && !m_settings.preferences.didConfirmSelectionBadgePrivacyNotice()) {
        m_io.printError(selectionBadgePrivacyNotice());
        m_settings.preferences.setDidConfirmSelectionBadgePrivacyNotice(true);
    }
    const QString previous = found->read(m_settings);
    if (!found->write(m_settings, value)) {
        if (key == launchAtLoginKey)
            m_io.printError(QStringLiteral("无法修改登录时启动：自启动文件 %1 无法写入或删除。\n")
                                .arg(m_settings.launchAtLogin.entryPath()));
        else
            m_io.printError(PreferencesWriteError(key).errorDescription() + QLatin1Char('\n'));
        co_return CommandIO::failure;
    }
    co_return co_await tellRunningInstance(key, previous);
}

std::variant<QString, int> ConfigCommand::readKey() const
{
    if (m_io.inputIsTerminal()) {
        m_io.printError(QStringLiteral("请输入 API Key（输入内容不会显示），然后按回车："));
        const CommandIO::SecretLine line = m_io.readLineWithoutEcho();
        // Interrupted: nothing is stored, and the exit status says by which signal.
        if (line.signal != 0)
            return 128 + line.signal;
        return QString::fromUtf8(line.text);
    }
    QString key = QString::fromUtf8(m_io.readAll());
    // Only the line break that `echo` adds: spaces may be part of the key.
    if (key.endsWith(QLatin1Char('\n')))
        key.chop(1);
    if (key.endsWith(QLatin1Char('\r')))
        key.chop(1);
    return key;
}

QCoro::Task<int> ConfigCommand::storeKey(QString which, bool deleting)
{
    const QString sub = deleting ? QStringLiteral("delete-key") : QStringLiteral("set-key");
    if (which != QLatin1String("ai") && which != QLatin1String("tts"))
        co_return usageError(QStringLiteral("%1 需要 ai 或 tts，而不是“%2”。").arg(sub, which));
    const QString label = keyLabel(which);
    if (m_settings.preferences.hasBundledServiceConfiguration()) {
        m_io.printError(QStringLiteral("此版本内置了 AI 与发音服务配置，%1 不能修改。\n").arg(label));
        co_return CommandIO::failure;
    }
    QString key;
    if (!deleting) {
        std::variant<QString, int> read = readKey();
        if (const int *exitCode = std::get_if<int>(&read))
            co_return *exitCode;
        key = std::get<QString>(std::move(read));
        // An empty input is more likely an unset shell variable than a wish to delete the key.
        if (key.isEmpty())
            co_return usageError(
                QStringLiteral("标准输入中没有 API Key。要删除已保存的 Key，请使用 rarozezev config delete-key %1。").arg(which));
    }
    std::exception_ptr failure;
    try {
        if (isAIKeyName(which))
            co_await m_settings.preferences.saveAPIKey(key);
        else
            co_await m_settings.preferences.saveTTSAPIKey(key);
    } catch (...) {
        failure = std::current_exception();
    }
    const QString verb = deleting ? QStringLiteral("删除") : QStringLiteral("保存");
    if (failure) {
        m_io.printError(QStringLiteral("%1 %2失败：").arg(label, verb) + CommandErrorMessage::describe(failure)
                        + QLatin1Char('\n'));
        co_return CommandIO::failure;
    }
    m_io.printError(deleting ? QStringLiteral("%1 已从系统密钥环删除。\n").arg(label)
                             : QStringLiteral("%1 已保存到系统密钥环。\n").arg(label));
    co_return co_await tellRunningInstance(isAIKeyName(which) ? Key::hasSavedAPIKey : Key::hasSavedTTSAPIKey, {});
}

QString ConfigCommand::selectionBadgePrivacyNotice()
{
    return QStringLiteral("开启划词浮标：\n"
                          "开启后，Rarozezev 会在你选中英文并松开鼠标时检测选区，用于显示查词浮标。\n"
                          "只有在你点击浮标或使用快捷键查词时，选中文本才会发送到当前配置的 AI 服务生成解释。\n"
                          "如果某些 App 无法直接读取选中文本，应用会短暂使用复制方式读取，并尽量恢复原剪贴板内容。\n");
}

QCoro::Task<int> ConfigCommand::tellRunningInstance(QString key, QString previous)
{
    ApplicationInstanceConnecting *instance = m_settings.instance;
    if (!instance || !instance->isRunning())
        co_return CommandIO::success;
    std::optional<QString> refusal;
    try {
        refusal = co_await instance->notifyPreferenceChanged(key);
    } catch (const DBusSingleInstanceService::RequestError &) {
        // Stored all the same: the application reads it at its next start.
        m_io.printError(QStringLiteral("已保存，但正在运行的 Rarozezev 没有响应，重启后生效。\n"));
        co_return CommandIO::success;
    }
    if (!refusal)
        co_return CommandIO::success;
    if (key == Key::globalShortcut) {
        // The previous combination is still the live one; the stored value says so again.
        m_settings.preferences.setGlobalShortcut(previous);
        m_io.printError(QStringLiteral("%1，仍使用 %2。\n").arg(*refusal, previous));
        co_return CommandIO::failure;
    }
    m_io.printError(*refusal + QLatin1Char('\n'));
    co_return CommandIO::failure;
}

int ConfigCommand::usageError(const QString &message) const
{
    return m_io.reportUsageError(message, QStringLiteral("rarozezev config --help"));
}

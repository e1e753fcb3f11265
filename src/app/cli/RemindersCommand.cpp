#include "app/cli/RemindersCommand.h"

#include "app/cli/CommandArguments.h"
#include "reminders/ReminderTriggerSchedule.h"

#include <algorithm>

namespace {

QString repetition(const ReminderCalendarTrigger &trigger)
{
    static const QStringList weekdays{QStringLiteral("日"), QStringLiteral("一"), QStringLiteral("二"),
                                      QStringLiteral("三"), QStringLiteral("四"), QStringLiteral("五"),
                                      QStringLiteral("六")};
    const QString days = trigger.weekday ? QStringLiteral("每周") + weekdays.value(*trigger.weekday - 1)
                                         : QStringLiteral("每天");
    return QStringLiteral("%1 %2:%3")
        .arg(days)
        .arg(trigger.hour, 2, 10, QLatin1Char('0'))
        .arg(trigger.minute, 2, 10, QLatin1Char('0'));
}

} // namespace

RemindersCommand::RemindersCommand(CommandIO io, UserDefaultsReminderRequestStore store, ReminderClock clock)
    : m_io(io), m_store(std::move(store)), m_clock(std::move(clock))
{
}

QString RemindersCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev reminders\n"
        "\n"
        "列出待发送的提醒（复习提醒和每日推荐提醒），最近的在前：下次时间（本地时间）、标识、重复方式和标题。\n"
        "提醒由托盘应用到点发出；用 rarozezev config 打开或关闭：reminderEnabled、dailyRecommendationEnabled、\n"
        "dailyRecommendationFrequency、dailyRecommendationHour、dailyRecommendationMinute。\n");
}

int RemindersCommand::run(const QStringList &arguments)
{
    if (!arguments.isEmpty()) {
        if (arguments.size() == 1 && CommandArguments::isHelpWord(arguments.first())) {
            m_io.print(helpText());
            return CommandIO::success;
        }
        return m_io.reportUsageError(QStringLiteral("reminders 不接受参数：%1").arg(arguments.join(QLatin1Char(' '))),
                                     QStringLiteral("rarozezev reminders --help"));
    }
    const QDateTime now = m_clock.now();
    const QTimeZone zone = m_clock.zone();
    struct Line {
        QDateTime next;
        QString text;
    };
    QList<Line> lines;
    for (const UserDefaultsReminderRequestStore::Entry &entry : m_store.entries()) {
        const ReminderRequest &request = entry.request;
        const QDateTime next = ReminderTriggerSchedule::nextMatch(request.trigger, now, zone);
        // The widths of Chinese text vary by terminal, so it comes last on the line.
        lines.append({next, QStringLiteral("%1  %2  %3  %4\n")
                                .arg(next.toTimeZone(zone).toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                                     request.identifier.leftJustified(36), repetition(request.trigger),
                                     request.content.title)});
    }
    if (lines.isEmpty()) {
        m_io.print(QStringLiteral("没有待发送的提醒。\n"));
        return CommandIO::success;
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) { return a.next < b.next; });
    for (const Line &line : lines)
        m_io.print(line.text);
    return CommandIO::success;
}

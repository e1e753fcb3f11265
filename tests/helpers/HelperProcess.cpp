#include "HelperProcess.h"
#include "LineChannel.h"

#include <QCoro/QCoroProcess>
#include <QDeadlineTimer>

HelperProcess::HelperProcess(QString program, QStringList arguments) : m_process(std::make_unique<QProcess>())
{
    m_process->setProgram(std::move(program));
    m_process->setArguments(std::move(arguments));
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

HelperProcess::~HelperProcess()
{
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_process->write("quit\n");
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(2000)) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

QCoro::Task<bool> HelperProcess::start(std::chrono::milliseconds timeout)
{
    m_process->start();
    if (!co_await qCoro(m_process.get()).waitForStarted(timeout))
        co_return false;
    const auto line = co_await readLine(timeout);
    co_return line == QByteArray("ready");
}

QCoro::Task<std::optional<QByteArray>> HelperProcess::request(QByteArray command, std::chrono::milliseconds timeout)
{
    m_process->write(command + '\n');
    co_return co_await readLine(timeout);
}

QCoro::Task<std::optional<QByteArray>> HelperProcess::readLine(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        // Drain what has arrived: QCoro's wait returns at once while unread bytes are buffered.
        m_received += m_process->readAll();
        if (const qsizetype end = m_received.indexOf('\n'); end >= 0) {
            const QByteArray line = m_received.left(end).trimmed();
            m_received.remove(0, end + 1);
            co_return line;
        }
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0 || m_process->state() == QProcess::NotRunning)
            co_return std::nullopt;
        co_await qCoro(m_process.get()).waitForReadyRead(std::chrono::milliseconds(remaining));
    }
}

QByteArray clipboardSetCommand(const SelectionPasteboardItemSnapshot &contents)
{
    QByteArray command = "set";
    for (const auto &[type, bytes] : contents.contentsByType)
        command += encodeFormat(type, bytes);
    return command;
}

std::optional<SelectionPasteboardItemSnapshot> parseClipboardDump(const QByteArray &line)
{
    if (!line.startsWith("contents"))
        return std::nullopt;
    SelectionPasteboardItemSnapshot contents;
    for (const auto &[type, bytes] : decodeFormats(line.mid(8)))
        contents.setData(type, bytes);
    return contents;
}

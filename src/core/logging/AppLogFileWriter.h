#pragma once

#include "foundation/AppEnvironment.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Appends diagnostic lines to one plain-text log file, moved aside to "<file>.1" when a line
// would take it past the rotation size. Every file operation runs in order on
// one worker thread of the writer's own (the queue "com.rarozezev.log-file-writer"), so
// callers on any thread never wait for the disk, except in prepareLogFile(). Failures are
// swallowed: a line that cannot be written is lost, and nobody is told.
class AppLogFileWriter {
public:
    static constexpr const char *kQueueLabel = "com.rarozezev.log-file-writer";
    static constexpr qint64 kDefaultRotationSize = 4 * 1024 * 1024;

    // Writes to the running channel's log file (see defaultLogFilePath()).
    AppLogFileWriter();
    explicit AppLogFileWriter(QString logFilePath, qint64 rotationSize = kDefaultRotationSize);
    // Finishes the lines already queued, then stops the worker.
    ~AppLogFileWriter();

    AppLogFileWriter(const AppLogFileWriter &) = delete;
    AppLogFileWriter &operator=(const AppLogFileWriter &) = delete;

    // The program's writer: created on first use and never destroyed, so any thread can log
    // until the process ends; lines still queued at exit() are written before it returns.
    static AppLogFileWriter &shared();

    // Fixed at construction; nothing exists on disk until the first write or prepare.
    const QString &logFilePath() const { return m_logFilePath; }
    QUrl logFileURL() const { return QUrl::fromLocalFile(m_logFilePath); }

    // Queues "<UTC time with milliseconds>Z [level] message\n" and returns at once. Lines
    // keep the order of the calls.
    void write(const QString &level, const QString &message);
    // Blocks until the folder and the file exist (an empty file when nothing was logged) or
    // creating them failed. Runs after every write queued before it.
    void prepareLogFile();
    // Blocks until every line queued so far has been handled.
    void waitUntilIdle();

    // Where the channel's log lives: $XDG_STATE_HOME, else ~/.local/state, followed by
    // Rarozezev/Logs/<directory>/<file>. Reads the environment now.
    static QString defaultLogFilePath(AppEnvironment::DistributionChannel channel);
    // The same from explicit inputs. A state home that is empty or relative counts as unset;
    // without a usable home either, the file goes to <temporary>/RarozezevLogs/<file>.
    static QString logFilePathFor(AppEnvironment::DistributionChannel channel, const QString &stateHome,
                                  const QString &homeDirectory, const QString &temporaryDirectory);

private:
    void enqueue(std::function<void()> job);
    void runAndWait(std::function<void()> job);
    void run();

    QString m_logFilePath;
    QByteArray m_encodedPath;
    qint64 m_rotationSize;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_worker;
};

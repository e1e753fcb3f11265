#include "logging/AppLogFileWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <future>

#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// The log says what the learner looked up and which services failed: nobody else's business.
static constexpr mode_t kDirectoryMode = 0700;
static constexpr mode_t kFileMode = 0600;

// Creates every missing folder of the chain with kDirectoryMode; folders that exist already
// keep their mode. False when some component cannot be created or is not a folder.
static bool makeDirectoryChain(const QByteArray &directory)
{
    if (directory.isEmpty())
        return false;
    qsizetype position = 0;
    while (position < directory.size()) {
        qsizetype next = directory.indexOf('/', position + 1);
        if (next < 0)
            next = directory.size();
        const QByteArray prefix = directory.left(next);
        position = next;
        if (prefix.isEmpty() || prefix == "/")
            continue;
        if (::mkdir(prefix.constData(), kDirectoryMode) == 0) {
            // The umask may have taken bits away; it never adds any, but be exact.
            ::chmod(prefix.constData(), kDirectoryMode);
            continue;
        }
        struct stat info {};
        if (errno != EEXIST || ::stat(prefix.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
    }
    return true;
}

// The log's own folder must be a real folder of ours that nobody else can enter: the
// temporary fallback lives in a shared directory, where anyone may have made it first, put a
// FIFO or a file of theirs in it, or left a symbolic link. Our own folder with looser bits is
// tightened; anything else is refused.
static bool isPrivateFolder(const QByteArray &directory)
{
    struct stat info {};
    if (::lstat(directory.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(directory.constData(), kDirectoryMode) == 0;
}

static QByteArray parentDirectory(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// Opens the log for appending, creating it with kFileMode when it does not exist yet. Only a
// regular file of ours is written: a symbolic link is not followed, and a FIFO or device
// neither blocks the open (O_NONBLOCK) nor is written to.
static int openLogFile(const QByteArray &path)
{
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    if (!makeDirectoryChain(parentDirectory(path)) || !isPrivateFolder(parentDirectory(path)))
        return -1;
    int fd = ::open(path.constData(), kFlags | O_CREAT | O_EXCL, kFileMode);
    if (fd >= 0) {
        ::fchmod(fd, kFileMode);
        return fd;
    }
    if (errno != EEXIST)
        return -1;
    fd = ::open(path.constData(), kFlags);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Moves a full log aside to "<file>.1" (replacing the previous one), so that the log keeps
// at most two files' worth. The name is checked to still be the file we hold: another
// process writing the same log may have rotated it a moment ago.
static int rotatedIfFull(const QByteArray &path, int fd, qint64 incoming, qint64 rotationSize)
{
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || held.st_size == 0 || held.st_size + incoming <= rotationSize)
        return fd;
    if (::lstat(path.constData(), &named) == 0 && named.st_ino == held.st_ino && named.st_dev == held.st_dev)
        ::rename(path.constData(), (path + ".1").constData());
    ::close(fd);
    return openLogFile(path);
}

static void appendLine(const QByteArray &path, const QByteArray &line, qint64 rotationSize)
{
    int fd = openLogFile(path);
    if (fd >= 0)
        fd = rotatedIfFull(path, fd, line.size(), rotationSize);
    if (fd < 0)
        return;
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t result = ::write(fd, line.constData() + written, static_cast<size_t>(line.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            break;
        written += result;
    }
    ::close(fd);
}

static void createLogFile(const QByteArray &path)
{
    const int fd = openLogFile(path);
    if (fd >= 0)
        ::close(fd);
}

static QString homeDirectory()
{
    QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    // Services started without a HOME still have a password-database entry.
    struct passwd entry {};
    struct passwd *result = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &result) == 0 && result && result->pw_dir)
        home = QFile::decodeName(result->pw_dir);
    return home;
}

AppLogFileWriter::AppLogFileWriter() : AppLogFileWriter(defaultLogFilePath(AppEnvironment::distributionChannel())) {}

AppLogFileWriter::AppLogFileWriter(QString logFilePath, qint64 rotationSize)
    : m_logFilePath(std::move(logFilePath)), m_encodedPath(QFile::encodeName(m_logFilePath)), m_rotationSize(rotationSize)
{
    m_worker = std::thread([this] { run(); });
}

AppLogFileWriter::~AppLogFileWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

AppLogFileWriter &AppLogFileWriter::shared()
{
    // Leaked on purpose: static destructors and late threads may still log. The exit hook
    // only waits for lines already queued, such as the one explaining why start-up failed.
    static AppLogFileWriter *const instance = [] {
        auto *writer = new AppLogFileWriter();
        std::atexit([] { shared().waitUntilIdle(); });
        return writer;
    }();
    return *instance;
}

void AppLogFileWriter::write(const QString &level, const QString &message)
{
    // Stamped at the call, so the time is the event's even when the queue is behind.
    const QString line = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) + QStringLiteral(" [") + level
                         + QStringLiteral("] ") + message + QLatin1Char('\n');
    enqueue([path = m_encodedPath, bytes = line.toUtf8(), size = m_rotationSize] { appendLine(path, bytes, size); });
}

void AppLogFileWriter::prepareLogFile()
{
    runAndWait([path = m_encodedPath] { createLogFile(path); });
}

void AppLogFileWriter::waitUntilIdle()
{
    runAndWait([] {});
}

QString AppLogFileWriter::defaultLogFilePath(AppEnvironment::DistributionChannel channel)
{
    return logFilePathFor(channel, qEnvironmentVariable("XDG_STATE_HOME"), homeDirectory(), QDir::tempPath());
}

QString AppLogFileWriter::logFilePathFor(AppEnvironment::DistributionChannel channel, const QString &stateHome,
                                         const QString &homeDirectory, const QString &temporaryDirectory)
{
    const QString fileName = AppEnvironment::logFileName(channel);
    QString base;
    // Relative values are invalid in the XDG base directory rules and must be ignored.
    if (!stateHome.isEmpty() && QDir::isAbsolutePath(stateHome))
        base = stateHome;
    else if (!homeDirectory.isEmpty() && QDir::isAbsolutePath(homeDirectory))
        base = homeDirectory + QStringLiteral("/.local/state");
    if (base.isEmpty())
        return QDir::cleanPath(temporaryDirectory + QStringLiteral("/RarozezevLogs/") + fileName);
    return QDir::cleanPath(base + QStringLiteral("/Rarozezev/Logs/") + AppEnvironment::logDirectoryName(channel)
                           + QLatin1Char('/') + fileName);
}

void AppLogFileWriter::enqueue(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void AppLogFileWriter::runAndWait(std::function<void()> job)
{
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    enqueue([&job, &done] {
        job();
        done.set_value();
    });
    finished.wait();
}

void AppLogFileWriter::run()
{
    // Thread names are limited to 15 bytes; the tail of the queue label fits exactly.
    const QByteArray label(kQueueLabel);
    ::pthread_setname_np(::pthread_self(), label.mid(label.lastIndexOf('.') + 1).constData());

    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

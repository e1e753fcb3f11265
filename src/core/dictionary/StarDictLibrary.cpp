#include "dictionary/StarDictLibrary.h"

#include "dictionary/StarDictDictionary.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

StarDictLibrary::StarDictLibrary(QStringList directories, std::chrono::milliseconds rescanInterval)
    : m_directories(std::move(directories)), m_rescanInterval(rescanInterval)
{
}

StarDictLibrary::~StarDictLibrary() = default;

QStringList StarDictLibrary::defaultDirectories()
{
    return {QDir::home().filePath(QStringLiteral(".stardict/dic")), QStringLiteral("/usr/share/stardict/dic")};
}

StarDictLibrary::Listing StarDictLibrary::listing() const
{
    // Every file counts, not only the .ifo: a dictionary being copied in may have its .ifo
    // before its index.
    Listing result;
    for (const QString &directory : m_directories) {
        Listing files;
        QDirIterator iterator(directory, QDir::Files | QDir::Readable,
                              QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (iterator.hasNext()) {
            const QString path = iterator.next();
            const QFileInfo info = iterator.fileInfo();
            files.push_back({path, info.lastModified().toMSecsSinceEpoch(), info.size()});
        }
        std::sort(files.begin(), files.end(), [](const File &a, const File &b) { return a.path < b.path; });
        result.insert(result.end(), files.begin(), files.end());
    }
    return result;
}

void StarDictLibrary::refresh() const
{
    const bool scanned = m_sinceScan.isValid();
    if (scanned && m_sinceScan.elapsed() < m_rescanInterval.count())
        return;
    m_sinceScan.start();
    Listing current = listing();
    if (scanned && current == m_listing)
        return;
    m_listing = std::move(current);
    m_dictionaries.clear();
    for (const File &file : m_listing) {
        if (!file.path.endsWith(QLatin1String(".ifo")))
            continue;
        if (auto dictionary = StarDictDictionary::open(file.path))
            m_dictionaries.push_back(std::move(dictionary));
    }
}

std::vector<StarDictLibrary::Article> StarDictLibrary::articles(const QString &word) const
{
    const std::lock_guard lock(m_mutex);
    refresh();
    std::vector<Article> result;
    for (const auto &dictionary : m_dictionaries) {
        for (const QString &text : dictionary->articles(word))
            result.push_back({dictionary->name(), text});
    }
    return result;
}

std::vector<std::pair<QString, QString>> StarDictLibrary::dictionaries() const
{
    const std::lock_guard lock(m_mutex);
    refresh();
    std::vector<std::pair<QString, QString>> result;
    for (const auto &dictionary : m_dictionaries)
        result.emplace_back(dictionary->name(), dictionary->ifoPath());
    return result;
}

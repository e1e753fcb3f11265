#include "dictionary/StarDictLibrary.h"

#include "dictionary/StarDictDictionary.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>

StarDictLibrary::StarDictLibrary(QStringList directories) : m_directories(std::move(directories)) {}

StarDictLibrary::~StarDictLibrary() = default;

QStringList StarDictLibrary::defaultDirectories()
{
    return {QDir::home().filePath(QStringLiteral(".stardict/dic")), QStringLiteral("/usr/share/stardict/dic")};
}

void StarDictLibrary::open() const
{
    for (const QString &directory : m_directories) {
        QStringList paths;
        QDirIterator files(directory, {QStringLiteral("*.ifo")}, QDir::Files | QDir::Readable,
                           QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (files.hasNext())
            paths.append(files.next());
        std::sort(paths.begin(), paths.end());
        for (const QString &path : std::as_const(paths)) {
            if (auto dictionary = StarDictDictionary::open(path))
                m_dictionaries.push_back(std::move(dictionary));
        }
    }
}

std::vector<StarDictLibrary::Article> StarDictLibrary::articles(const QString &word) const
{
    std::call_once(m_openOnce, [this] { open(); });
    std::vector<Article> result;
    for (const auto &dictionary : m_dictionaries) {
        for (const QString &text : dictionary->articles(word))
            result.push_back({dictionary->name(), text});
    }
    return result;
}

std::vector<std::pair<QString, QString>> StarDictLibrary::dictionaries() const
{
    std::call_once(m_openOnce, [this] { open(); });
    std::vector<std::pair<QString, QString>> result;
    for (const auto &dictionary : m_dictionaries)
        result.emplace_back(dictionary->name(), dictionary->ifoPath());
    return result;
}

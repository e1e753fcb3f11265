#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

class StarDictDictionary;

// The StarDict dictionaries the learner installed: every .ifo below the given folders, in
// the order of the folders and then of their paths. Opened on first use, and again when the
// files have changed, looked at no more often than `rescanInterval`, so a dictionary copied
// in while the program runs is found. One that cannot be read is left out.
class StarDictLibrary {
public:
    explicit StarDictLibrary(QStringList directories = defaultDirectories(),
                             std::chrono::milliseconds rescanInterval = std::chrono::seconds(5));
    ~StarDictLibrary();
    StarDictLibrary(const StarDictLibrary &) = delete;
    StarDictLibrary &operator=(const StarDictLibrary &) = delete;

    // ~/.stardict/dic, then /usr/share/stardict/dic.
    static QStringList defaultDirectories();

    struct Article {
        QString dictionaryName;
        QString text;
    };
    // The articles of `word` from every dictionary, dictionary by dictionary.
    std::vector<Article> articles(const QString &word) const;

    // The name and .ifo path of each dictionary that could be opened.
    std::vector<std::pair<QString, QString>> dictionaries() const;

private:
    // The files below the folders, the .ifo among them in the order they are consulted.
    struct File {
        QString path;
        qint64 modified = 0;
        qint64 size = 0;
        bool operator==(const File &) const = default;
    };
    using Listing = std::vector<File>;

    Listing listing() const;
    // Reopens the dictionaries when the listing has changed; called with the mutex held.
    void refresh() const;

    QStringList m_directories;
    std::chrono::milliseconds m_rescanInterval;
    mutable std::mutex m_mutex;
    mutable QElapsedTimer m_sinceScan;
    mutable Listing m_listing;
    mutable std::vector<std::unique_ptr<StarDictDictionary>> m_dictionaries;
};

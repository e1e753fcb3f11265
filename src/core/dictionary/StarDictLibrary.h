#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

class StarDictDictionary;

// The StarDict dictionaries the learner installed: every .ifo below the given folders, in
// the order of the folders and then of their paths. Opened on first use; a dictionary that
// cannot be read is left out.
class StarDictLibrary {
public:
    explicit StarDictLibrary(QStringList directories = defaultDirectories());
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
    void open() const;

    QStringList m_directories;
    mutable std::once_flag m_openOnce;
    mutable std::vector<std::unique_ptr<StarDictDictionary>> m_dictionaries;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class DictZipFile;
class QFile;

// One StarDict dictionary: its .ifo, the word index (.idx or .idx.gz), the articles (.dict
// or dictzip .dict.dz) and optionally the synonyms (.syn). The index is read when the
// dictionary is opened; articles are read on demand.
class StarDictDictionary {
public:
    // The dictionary described by `ifoPath`, or nothing when a part is missing or malformed.
    static std::unique_ptr<StarDictDictionary> open(const QString &ifoPath);
    ~StarDictDictionary();

    // The "bookname" of the .ifo, else the file's base name.
    const QString &name() const { return m_name; }
    const QString &ifoPath() const { return m_ifoPath; }
    qsizetype wordCount() const { return static_cast<qsizetype>(m_entries.size()); }

    // The articles of `word` and of the words it is a synonym of, as plain text (markup
    // removed), in index order without repeats; the index ignores ASCII case.
    QStringList articles(const QString &word) const;

private:
    struct Entry {
        // Where the entry's NUL-terminated word starts in the index.
        quint32 wordStart = 0;
        quint64 dataOffset = 0;
        quint32 dataSize = 0;
    };
    struct Synonym {
        quint32 wordStart = 0;
        quint32 entryIndex = 0;
    };

    StarDictDictionary() = default;
    bool readIndex(const QByteArray &index, bool offsets64);
    bool readSynonyms(const QString &path);
    std::optional<QByteArray> articleData(const Entry &entry) const;
    QString articleText(const QByteArray &data) const;

    QString m_name;
    QString m_ifoPath;
    QByteArray m_sameTypeSequence;
    QByteArray m_indexWords;
    std::vector<Entry> m_entries;
    QByteArray m_synonymWords;
    std::vector<Synonym> m_synonyms;
    std::unique_ptr<QFile> m_plainArticles;
    const uchar *m_plainBytes = nullptr;
    qint64 m_plainSize = 0;
    std::unique_ptr<DictZipFile> m_compressedArticles;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QFile;

// Random access to a dictzip file: a gzip file whose "RA" extra field lists the compressed
// size of every chunk of a fixed uncompressed length, each chunk compressed independently.
// A read inflates only the chunks the requested range spans.
class DictZipFile {
public:
    // The file, or nothing when it cannot be read or is no dictzip file.
    static std::unique_ptr<DictZipFile> open(const QString &path);
    ~DictZipFile();

    // `size` bytes of the uncompressed text from `offset`, or nothing when the range lies
    // beyond the text or a chunk does not inflate.
    std::optional<QByteArray> read(quint64 offset, quint32 size) const;

    // Inflates a whole gzip member (a .idx.gz); nothing when it is not one.
    static std::optional<QByteArray> gunzip(const QByteArray &compressed);

private:
    DictZipFile() = default;

    std::unique_ptr<QFile> m_file;
    const uchar *m_bytes = nullptr;
    quint32 m_chunkLength = 0;
    // Where each chunk's compressed data starts in the file; one more entry marks the end.
    std::vector<qint64> m_chunkStarts;
};

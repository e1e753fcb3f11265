#include "dictionary/StarDictDictionary.h"

#include "dictionary/DictZipFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

quint32 bigEndian32(const char *bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes);
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
}

// The index is sorted by its words with ASCII letters folded, so lookups compare that way.
int compareFolded(const char *word, const QByteArray &key)
{
    for (qsizetype i = 0;; ++i) {
        const uchar a = static_cast<uchar>(word[i]);
        const uchar b = i < key.size() ? static_cast<uchar>(key[i]) : 0;
        const uchar foldedA = (a >= 'A' && a <= 'Z') ? a + 32 : a;
        const uchar foldedB = (b >= 'A' && b <= 'Z') ? b + 32 : b;
        if (foldedA != foldedB)
            return foldedA < foldedB ? -1 : 1;
        if (a == 0)
            return 0;
    }
}

// The range [first, last) of the records whose word, found in `words`, equals `key` ignoring
// ASCII case.
template<typename Record>
std::pair<std::size_t, std::size_t> equalRange(const std::vector<Record> &records, const QByteArray &words,
                                               const QByteArray &key)
{
    const auto first = std::partition_point(records.begin(), records.end(), [&](const Record &record) {
        return compareFolded(words.constData() + record.wordStart, key) < 0;
    });
    auto last = first;
    while (last != records.end() && compareFolded(words.constData() + last->wordStart, key) == 0)
        ++last;
    return {static_cast<std::size_t>(first - records.begin()), static_cast<std::size_t>(last - records.begin())};
}

std::optional<QByteArray> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// Text of one article field by its type: markup types lose their tags, the rest are plain.
QString fieldText(char type, const QByteArray &data)
{
    const QString text = QString::fromUtf8(data).trimmed();
    switch (type) {
    case 'h':
    case 'g':
    case 'x':
    case 'k':
    case 'w': {
        // Line breaks of the markup become line breaks of the text.
        static const QRegularExpression lineBreaks(QStringLiteral("<br\\s*/?>|</p>|</div>|</li>"),
                                                   QRegularExpression::CaseInsensitiveOption);
        QString marked = text;
        marked.replace(lineBreaks, QStringLiteral("\n"));
        static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
        marked.remove(tags);
        marked.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        return marked.trimmed();
    }
    case 'm':
    case 'l':
    case 't':
    case 'y':
        return text;
    default:
        // Pictures, sounds and other binary resources carry no text.
        return {};
    }
}

} // namespace

StarDictDictionary::~StarDictDictionary() = default;

std::unique_ptr<StarDictDictionary> StarDictDictionary::open(const QString &ifoPath)
{
    const std::optional<QByteArray> ifo = readAll(ifoPath);
    if (!ifo || !ifo->startsWith("StarDict's dict ifo file"))
        return nullptr;
    std::unique_ptr<StarDictDictionary> dictionary(new StarDictDictionary);
    dictionary->m_ifoPath = ifoPath;
    bool offsets64 = false;
    for (const QByteArray &line : ifo->split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "bookname")
            dictionary->m_name = QString::fromUtf8(value);
        else if (key == "sametypesequence")
            dictionary->m_sameTypeSequence = value;
        else if (key == "idxoffsetbits")
            offsets64 = value == "64";
    }
    const QString base = ifoPath.chopped(4);
    if (dictionary->m_name.isEmpty())
        dictionary->m_name = QFileInfo(base).fileName();

    std::optional<QByteArray> index = readAll(base + QStringLiteral(".idx"));
    if (!index) {
        if (const auto compressed = readAll(base + QStringLiteral(".idx.gz")))
            index = DictZipFile::gunzip(*compressed);
    }
    if (!index || !dictionary->readIndex(*index, offsets64))
        return nullptr;
    if (QFile::exists(base + QStringLiteral(".syn")) && !dictionary->readSynonyms(base + QStringLiteral(".syn")))
        return nullptr;

    if (QFile::exists(base + QStringLiteral(".dict"))) {
        dictionary->m_plainArticles = std::make_unique<QFile>(base + QStringLiteral(".dict"));
        if (!dictionary->m_plainArticles->open(QIODevice::ReadOnly))
            return nullptr;
        dictionary->m_plainSize = dictionary->m_plainArticles->size();
        if (dictionary->m_plainSize > 0) {
            dictionary->m_plainBytes = dictionary->m_plainArticles->map(0, dictionary->m_plainSize);
            if (dictionary->m_plainBytes == nullptr)
                return nullptr;
        }
    } else {
        dictionary->m_compressedArticles = DictZipFile::open(base + QStringLiteral(".dict.dz"));
        if (!dictionary->m_compressedArticles)
            return nullptr;
    }
    return dictionary;
}

bool StarDictDictionary::readIndex(const QByteArray &index, bool offsets64)
{
    m_indexWords = index;
    const qsizetype numbers = offsets64 ? 12 : 8;
    qsizetype position = 0;
    while (position < index.size()) {
        const qsizetype end = index.indexOf('\0', position);
        if (end < 0 || end + 1 + numbers > index.size())
            return false;
        Entry entry;
        entry.wordStart = static_cast<quint32>(position);
        const char *fields = index.constData() + end + 1;
        entry.dataOffset = offsets64 ? (quint64(bigEndian32(fields)) << 32) | bigEndian32(fields + 4) : bigEndian32(fields);
        entry.dataSize = bigEndian32(fields + numbers - 4);
        m_entries.push_back(entry);
        position = end + 1 + numbers;
    }
    return true;
}

bool StarDictDictionary::readSynonyms(const QString &path)
{
    const std::optional<QByteArray> synonyms = readAll(path);
    if (!synonyms)
        return false;
    m_synonymWords = *synonyms;
    qsizetype position = 0;
    while (position < m_synonymWords.size()) {
        const qsizetype end = m_synonymWords.indexOf('\0', position);
        if (end < 0 || end + 5 > m_synonymWords.size())
            return false;
        const quint32 entryIndex = bigEndian32(m_synonymWords.constData() + end + 1);
        if (entryIndex >= m_entries.size())
            return false;
        m_synonyms.push_back({static_cast<quint32>(position), entryIndex});
        position = end + 5;
    }
    return true;
}

QStringList StarDictDictionary::articles(const QString &word) const
{
    const QByteArray key = word.trimmed().toUtf8();
    if (key.isEmpty() || key.contains('\0'))
        return {};
    std::vector<std::size_t> found;
    const auto [first, last] = equalRange(m_entries, m_indexWords, key);
    for (std::size_t i = first; i < last; ++i)
        found.push_back(i);
    const auto [firstSynonym, lastSynonym] = equalRange(m_synonyms, m_synonymWords, key);
    for (std::size_t i = firstSynonym; i < lastSynonym; ++i) {
        if (std::find(found.begin(), found.end(), m_synonyms[i].entryIndex) == found.end())
            found.push_back(m_synonyms[i].entryIndex);
    }
    QStringList texts;
    for (std::size_t index : found) {
        const std::optional<QByteArray> data = articleData(m_entries[index]);
        if (!data)
            continue;
        const QString text = articleText(*data);
        if (!text.isEmpty() && !texts.contains(text))
            texts.append(text);
    }
    return texts;
}

std::optional<QByteArray> StarDictDictionary::articleData(const Entry &entry) const
{
    if (m_compressedArticles)
        return m_compressedArticles->read(entry.dataOffset, entry.dataSize);
    if (entry.dataOffset + entry.dataSize > static_cast<quint64>(m_plainSize))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(m_plainBytes + entry.dataOffset),
                      static_cast<qsizetype>(entry.dataSize));
}

QString StarDictDictionary::articleText(const QByteArray &data) const
{
    // With a sametypesequence the types are implied and the last field runs to the end;
    // without one each field starts with its type. Lower-case types are NUL-terminated
    // strings, upper-case ones a 32-bit size and the bytes.
    QStringList parts;
    qsizetype position = 0;
    const bool implied = !m_sameTypeSequence.isEmpty();
    for (qsizetype field = 0; position < data.size(); ++field) {
        char type = 0;
        if (implied) {
            if (field >= m_sameTypeSequence.size())
                break;
            type = m_sameTypeSequence[field];
        } else {
            type = data[position++];
        }
        const bool lastImplied = implied && field == m_sameTypeSequence.size() - 1;
        QByteArray bytes;
        if (type >= 'A' && type <= 'Z') {
            if (lastImplied) {
                bytes = data.mid(position);
                position = data.size();
            } else {
                if (position + 4 > data.size())
                    break;
                const quint32 size = bigEndian32(data.constData() + position);
                bytes = data.mid(position + 4, size);
                position += 4 + static_cast<qsizetype>(size);
            }
        } else {
            const qsizetype end = lastImplied ? -1 : data.indexOf('\0', position);
            bytes = data.mid(position, end < 0 ? -1 : end - position);
            position = end < 0 ? data.size() : end + 1;
        }
        const QString text = fieldText(type, bytes);
        if (!text.isEmpty())
            parts.append(text);
    }
    return parts.join(QLatin1Char('\n'));
}

#include "dictionary/ChineseGlossTable.h"
#include "dictionary/PronunciationTranscribing.h"
#include "dictionary/StarDictDictionary.h"
#include "dictionary/StarDictLibrary.h"
#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// One deflate stream cut into independently inflatable chunks of `chunkLength` bytes, each
// ended by a full flush; `sizes` receives each chunk's compressed size.
QByteArray deflateChunks(const QByteArray &text, int chunkLength, int windowBits, QList<quint16> *sizes)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray output;
    for (qsizetype start = 0; start < text.size() || start == 0; start += chunkLength) {
        const QByteArray chunk = text.mid(start, chunkLength);
        const bool last = start + chunkLength >= text.size();
        QByteArray buffer(chunkLength * 2 + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.constData()));
        stream.avail_in = static_cast<uInt>(chunk.size());
        stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
        stream.avail_out = static_cast<uInt>(buffer.size());
        deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
        const auto produced = static_cast<qsizetype>(buffer.size() - stream.avail_out);
        output += buffer.left(produced);
        if (sizes)
            sizes->append(static_cast<quint16>(produced));
        if (last)
            break;
    }
    deflateEnd(&stream);
    return output;
}

QByteArray littleEndian(quint64 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(static_cast<quint16>(value & 0xffff), bytes.data());
    return bytes;
}

QByteArray gzipped(const QByteArray &text) { return deflateChunks(text, 1 << 20, 16 + MAX_WBITS, nullptr); }

QByteArray dictzipped(const QByteArray &text, quint16 chunkLength)
{
    QList<quint16> sizes;
    const QByteArray body = deflateChunks(text, chunkLength, -MAX_WBITS, &sizes);
    QByteArray extra("RA");
    extra += littleEndian(static_cast<quint64>(6 + 2 * sizes.size())) + littleEndian(1) + littleEndian(chunkLength)
             + littleEndian(static_cast<quint64>(sizes.size()));
    for (quint16 size : sizes)
        extra += littleEndian(size);
    QByteArray file("\x1f\x8b\x08\x0c\0\0\0\0\x02\x03", 10); // extra field and file name
    file += littleEndian(static_cast<quint64>(extra.size())) + extra + QByteArray("words.dict", 11) + body;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(text.constData()), static_cast<uInt>(text.size()));
    file += littleEndian(crc) + littleEndian(crc >> 16) + littleEndian(static_cast<quint64>(text.size()))
            + littleEndian(static_cast<quint64>(text.size()) >> 16);
    return file;
}

struct Options {
    QByteArray sameTypeSequence = "m";
    bool compressed = false;
    QList<std::pair<QByteArray, quint32>> synonyms;
};

// A dictionary `name` under `directory` with the entries in index order.
void writeDictionary(const QString &directory, const QString &name,
                     const QList<std::pair<QByteArray, QByteArray>> &entries, const Options &options = {})
{
    QDir().mkpath(directory);
    const QString base = QDir(directory).filePath(name);
    QByteArray index;
    QByteArray articles;
    for (const auto &[word, article] : entries) {
        index += word + '\0' + bigEndian(static_cast<quint32>(articles.size())) + bigEndian(static_cast<quint32>(article.size()));
        articles += article;
    }
    QByteArray ifo = "StarDict's dict ifo file\nversion=2.4.2\nbookname=" + name.toUtf8() + "\nwordcount="
                     + QByteArray::number(entries.size()) + "\n";
    if (!options.sameTypeSequence.isEmpty())
        ifo += "sametypesequence=" + options.sameTypeSequence + "\n";
    write(base + ".ifo", ifo);
    if (options.compressed) {
        write(base + ".idx.gz", gzipped(index));
        write(base + ".dict.dz", dictzipped(articles, 16));
    } else {
        write(base + ".idx", index);
        write(base + ".dict", articles);
    }
    if (!options.synonyms.isEmpty()) {
        QByteArray synonyms;
        for (const auto &[word, entry] : options.synonyms)
            synonyms += word + '\0' + bigEndian(entry);
        write(base + ".syn", synonyms);
    }
}

} // namespace

TEST(StarDictDictionary, FindsArticlesIgnoringCaseThroughSynonymsAndInBothFileForms)
{
    QTemporaryDir directory;
    const QList<std::pair<QByteArray, QByteArray>> entries{
        {"apple", "n. 苹果"}, {"Color", "n. 颜色；色彩，一段跨过好几个压缩块的较长释义文字"}, {"color", "v. 给…着色"},
        {"zebra", "n. 斑马"}};
    Options synonyms;
    synonyms.synonyms = {{"colour", 1}, {"hue", 1}};
    writeDictionary(directory.filePath("plain"), "Plain", entries, synonyms);
    synonyms.compressed = true;
    writeDictionary(directory.filePath("packed"), "Packed", entries, synonyms);

    for (const QString &path : {directory.filePath("plain/Plain.ifo"), directory.filePath("packed/Packed.ifo")}) {
        SCOPED_TRACE(path.toStdString());
        const auto dictionary = StarDictDictionary::open(path);
        ASSERT_TRUE(dictionary);
        EXPECT_EQ(dictionary->articles(" APPLE "), QStringList{"n. 苹果"});
        EXPECT_EQ(dictionary->articles("COLOR"),
                  (QStringList{"n. 颜色；色彩，一段跨过好几个压缩块的较长释义文字", "v. 给…着色"}));
        EXPECT_EQ(dictionary->articles("colour"), dictionary->articles("hue"));
        EXPECT_EQ(dictionary->articles("colour").size(), 1);
        EXPECT_EQ(dictionary->articles("zebra"), QStringList{"n. 斑马"});
        for (const char *missing : {"", "ap", "applesauce", "zzz"})
            EXPECT_TRUE(dictionary->articles(missing).isEmpty()) << missing;
    }
}

TEST(StarDictDictionary, ReadsTypedFieldsAsPlainText)
{
    QTemporaryDir directory;
    // Without a type sequence each field names its type; markup loses its tags and a
    // picture its bytes. With one, the last field runs to the end of the article.
    Options typed;
    typed.sameTypeSequence.clear();
    Options sequenced;
    sequenced.sameTypeSequence = "tm";
    writeDictionary(directory.path(), "Typed",
                    {{"fish", QByteArray("tfɪʃ") + '\0' + "h<b>鱼</b><br>&lt;复数&gt; fish" + '\0' + 'P' + bigEndian(2)
                                  + "\x01\x02"}},
                    typed);
    writeDictionary(directory.path(), "Sequenced", {{"fish", QByteArray("fɪʃ") + '\0' + "鱼"}}, sequenced);
    EXPECT_EQ(StarDictDictionary::open(directory.filePath("Typed.ifo"))->articles("fish"),
              QStringList{"fɪʃ\n鱼\n<复数> fish"});
    EXPECT_EQ(StarDictDictionary::open(directory.filePath("Sequenced.ifo"))->articles("fish"), QStringList{"fɪʃ\n鱼"});
}

TEST(StarDictLibrary, ListsWhatOpensAndAnswersDictionaryByDictionary)
{
    QTemporaryDir home;
    QTemporaryDir shared;
    writeDictionary(home.filePath("b"), "Second", {{"apple", "苹果（二）"}});
    writeDictionary(home.filePath("a"), "First", {{"apple", "苹果（一）"}});
    Options packed;
    packed.compressed = true;
    writeDictionary(shared.path(), "Shared", {{"apple", "苹果（三）"}}, packed);
    // Broken dictionaries are left out: no index, and a compressed file that is not dictzip.
    writeDictionary(home.filePath("c"), "NoIndex", {{"apple", "x"}});
    QFile::remove(home.filePath("c/NoIndex.idx"));
    writeDictionary(home.filePath("d"), "NotDictzip", {{"apple", "x"}});
    QFile::remove(home.filePath("d/NotDictzip.dict"));
    write(home.filePath("d/NotDictzip.dict.dz"), gzipped("x"));

    const StarDictLibrary library({home.path(), shared.path(), home.filePath("missing")}, std::chrono::milliseconds(0));
    QStringList names;
    for (const auto &[name, path] : library.dictionaries())
        names.append(name);
    EXPECT_EQ(names, (QStringList{"First", "Second", "Shared"}));
    QStringList answers;
    for (const StarDictLibrary::Article &article : library.articles("Apple"))
        answers.append(article.dictionaryName + ": " + article.text);
    EXPECT_EQ(answers, (QStringList{"First: 苹果（一）", "Second: 苹果（二）", "Shared: 苹果（三）"}));

    // Copied in while the program runs, the index last.
    writeDictionary(home.filePath("c"), "NoIndex", {{"pear", "梨"}});
    EXPECT_EQ(library.articles("pear").size(), 1u);
}

// The entry's shape with every source: the headword, the pronunciations when there are any,
// the Chinese glosses, WordNet's senses and then each article of the learner's dictionaries,
// folded into one line under the dictionary's name.
TEST(SystemDictionaryClient, FoldsChineseGlossesAndTheLearnersDictionariesIntoTheEntry)
{
    struct Transcriber final : PronunciationTranscribing {
        std::optional<QString> transcribe(const QString &, const QString &accent) const override
        {
            return accent == QLatin1String("american") ? std::optional(QStringLiteral("təˈmeɪɾoʊ")) : std::nullopt;
        }
    };
    QTemporaryDir directory;
    QFile table(directory.filePath("glosses.txt"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("tomato\t番茄 西红柿\n");
    table.close();
    writeDictionary(directory.filePath("dic"), "Mine",
                    {{"tomato", "n. 番茄\n\n a | b "}, {"xyzzyq", "只在这本词典里"}});
    const auto wordNet = std::make_shared<const WordNetDatabase>();
    const auto glosses = std::make_shared<const ChineseGlossTable>(table.fileName());
    const auto library = std::make_shared<const StarDictLibrary>(QStringList{directory.filePath("dic")});
    const SystemDictionaryClient client(wordNet, std::make_shared<Transcriber>(), glosses, library);
    const SystemDictionaryClient withoutPronunciation(wordNet, nullptr, glosses, library);

    const QString senses = QStringLiteral("中文：番茄；西红柿\n① noun: mildly acid red or yellow pulpy fruit eaten as a "
                                          "vegetable\n② noun: native to South America; widely cultivated in many "
                                          "varieties\n③ Mine: n. 番茄; a / b");
    EXPECT_EQ(client.lookupDefinition("tomato"), QStringLiteral("tomato | təˈmeɪɾoʊ | ") + senses);
    EXPECT_EQ(withoutPronunciation.lookupDefinition("tomato"), QStringLiteral("tomato | ") + senses);
    EXPECT_EQ(client.lookupChineseGlance("tomato"), QStringLiteral("tomato | təˈmeɪɾoʊ | 中文：番茄；西红柿"));
    EXPECT_EQ(withoutPronunciation.lookupDefinition("xyzzyq"), QStringLiteral("xyzzyq | ① Mine: 只在这本词典里"));
    EXPECT_EQ(client.lookupChineseGlance("xyzzyq"), std::nullopt);

    QStringList sources;
    for (const auto &source : client.sources())
        sources.append(source.name);
    EXPECT_EQ(sources, (QStringList{"WordNet 3.0", "英汉释义表（CC-CEDICT）", "Mine"}));
}

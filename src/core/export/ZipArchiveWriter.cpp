#include "export/ZipArchiveWriter.h"

#include "export/CRC32.h"

#include <limits>

static constexpr quint32 kLocalFileHeaderSignature = 0x04034B50;
static constexpr quint32 kCentralDirectorySignature = 0x02014B50;
static constexpr quint32 kEndOfCentralDirectorySignature = 0x06054B50;
static constexpr quint16 kVersion = 20; // 2.0: plain stored entries, nothing newer needed
static constexpr quint16 kUTF8NamesFlag = 0x0800;
static constexpr quint16 kStoredMethod = 0;
static constexpr qsizetype kLocalHeaderSize = 30;
static constexpr qsizetype kCentralEntrySize = 46;
static constexpr qsizetype kEndRecordSize = 22;

static constexpr qint64 kMaxUInt32 = std::numeric_limits<quint32>::max();
static constexpr qint64 kMaxUInt16 = std::numeric_limits<quint16>::max();

void ZipArchiveWriter::appendUInt16(QByteArray &buffer, quint16 value)
{
    const char bytes[2] = {char(value & 0xFF), char(value >> 8)};
    buffer.append(bytes, 2);
}

void ZipArchiveWriter::appendUInt32(QByteArray &buffer, quint32 value)
{
    const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                           char(value >> 24)};
    buffer.append(bytes, 4);
}

QByteArray ZipArchiveWriter::archive(const QList<ZipFile> &files)
{
    // The entry counts of the end record are 16-bit; 0xFFFF itself would announce ZIP64.
    if (files.size() >= kMaxUInt16)
        throw ZipArchiveError("too many entries for a ZIP archive without ZIP64");

    QList<QByteArray> names;
    names.reserve(files.size());
    qint64 totalSize = kEndRecordSize;
    for (const ZipFile &file : files) {
        QByteArray name = file.path.toUtf8();
        if (name.size() > kMaxUInt16)
            throw ZipArchiveError("entry name too long for a ZIP archive");
        if (file.data.size() >= kMaxUInt32)
            throw ZipArchiveError("entry too large for a ZIP archive without ZIP64");
        totalSize += kLocalHeaderSize + kCentralEntrySize + 2 * name.size() + file.data.size();
        names.append(std::move(name));
    }
    // Offsets and the directory size are 32-bit as well.
    if (totalSize >= kMaxUInt32)
        throw ZipArchiveError("archive too large for ZIP without ZIP64");

    QByteArray archive;
    archive.reserve(totalSize);
    QByteArray centralDirectory;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QByteArray &data = files[i].data;
        const QByteArray &name = names[i];
        const auto offset = quint32(archive.size());
        const quint32 checksum = CRC32::checksum(data);
        const auto size = quint32(data.size());
        const auto nameLength = quint16(name.size());

        appendUInt32(archive, kLocalFileHeaderSignature);
        appendUInt16(archive, kVersion);
        appendUInt16(archive, kUTF8NamesFlag);
        appendUInt16(archive, kStoredMethod);
        appendUInt16(archive, 0); // modification time
        appendUInt16(archive, 0); // modification date
        appendUInt32(archive, checksum);
        appendUInt32(archive, size); // compressed
        appendUInt32(archive, size); // uncompressed
        appendUInt16(archive, nameLength);
        appendUInt16(archive, 0); // extra field
        archive.append(name);
        archive.append(data);

        appendUInt32(centralDirectory, kCentralDirectorySignature);
        appendUInt16(centralDirectory, kVersion); // made by
        appendUInt16(centralDirectory, kVersion); // needed to extract
        appendUInt16(centralDirectory, kUTF8NamesFlag);
        appendUInt16(centralDirectory, kStoredMethod);
        appendUInt16(centralDirectory, 0);
        appendUInt16(centralDirectory, 0);
        appendUInt32(centralDirectory, checksum);
        appendUInt32(centralDirectory, size);
        appendUInt32(centralDirectory, size);
        appendUInt16(centralDirectory, nameLength);
        appendUInt16(centralDirectory, 0); // extra field
        appendUInt16(centralDirectory, 0); // comment
        appendUInt16(centralDirectory, 0); // disk number start
        appendUInt16(centralDirectory, 0); // internal attributes
        appendUInt32(centralDirectory, 0); // external attributes
        appendUInt32(centralDirectory, offset);
        centralDirectory.append(name);
    }

    const auto centralDirectoryOffset = quint32(archive.size());
    archive.append(centralDirectory);
    const auto entryCount = quint16(files.size());
    appendUInt32(archive, kEndOfCentralDirectorySignature);
    appendUInt16(archive, 0); // this disk
    appendUInt16(archive, 0); // disk with the central directory
    appendUInt16(archive, entryCount);
    appendUInt16(archive, entryCount);
    appendUInt32(archive, quint32(centralDirectory.size()));
    appendUInt32(archive, centralDirectoryOffset);
    appendUInt16(archive, 0); // comment
    return archive;
}

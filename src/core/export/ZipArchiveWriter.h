#pragma once

#include "export/ZipFile.h"

#include <QByteArray>
#include <QList>

#include <stdexcept>

// Raised when the entries do not fit the classic ZIP format (no ZIP64 here).
class ZipArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Packs files into a ZIP archive with every entry stored uncompressed, names flagged as
// UTF-8 and modification times left zero, so equal input always gives equal bytes.
class ZipArchiveWriter {
public:
    // The archive of `files` in the order given. Throws ZipArchiveError when a count, size
    // or offset would not fit its 16- or 32-bit field (all-ones values are kept free, since
    // readers take them as ZIP64 markers) or a name is longer than 65,535 bytes: the
    // fields would wrap around and the archive be corrupt.
    static QByteArray archive(const QList<ZipFile> &files);

    // Little-endian appenders for the header fields.
    static void appendUInt16(QByteArray &buffer, quint16 value);
    static void appendUInt32(QByteArray &buffer, quint32 value);
};

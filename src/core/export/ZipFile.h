#pragma once

#include <QByteArray>
#include <QString>

// One entry of a ZIP archive: its name inside the archive and its bytes.
struct ZipFile {
    QString path;
    QByteArray data;

    bool operator==(const ZipFile &) const = default;
};

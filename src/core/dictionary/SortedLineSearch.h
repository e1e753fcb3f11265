#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string_view>

class QFile;

// A text file mapped into memory, and where its lines begin after a header whose every line
// starts with a given prefix.
struct MappedLineFile {
    std::unique_ptr<QFile> file;
    std::string_view bytes;
    std::size_t bodyStart = 0;
};

// The file mapped; without any bytes when it cannot be read or is empty.
MappedLineFile mapLineFile(const QString &path, std::string_view headerPrefix);

// The line of `bytes`, from `bodyStart` on, whose key (its bytes up to the first `separator`,
// or the whole line) equals `key`. The lines must be sorted by their keys' bytes; a search
// takes a logarithmic number of line reads and copies nothing.
std::optional<std::string_view> findSortedLine(std::string_view bytes, std::size_t bodyStart, std::string_view key,
                                               char separator);

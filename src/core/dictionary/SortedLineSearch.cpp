#include "dictionary/SortedLineSearch.h"

#include <QFile>

MappedLineFile mapLineFile(const QString &path, std::string_view headerPrefix)
{
    MappedLineFile mapped;
    mapped.file = std::make_unique<QFile>(path);
    if (!mapped.file->open(QIODevice::ReadOnly) || mapped.file->size() <= 0)
        return {};
    const uchar *bytes = mapped.file->map(0, mapped.file->size());
    if (bytes == nullptr)
        return {};
    mapped.bytes = std::string_view(reinterpret_cast<const char *>(bytes), static_cast<std::size_t>(mapped.file->size()));
    std::size_t &position = mapped.bodyStart;
    while (position < mapped.bytes.size() && mapped.bytes.substr(position, headerPrefix.size()) == headerPrefix) {
        const std::size_t end = mapped.bytes.find('\n', position);
        position = end == std::string_view::npos ? mapped.bytes.size() : end + 1;
    }
    return mapped;
}

std::optional<std::string_view> findSortedLine(std::string_view bytes, std::size_t bodyStart, std::string_view key,
                                               char separator)
{
    // Binary search over byte offsets: land anywhere, back up to the start of that line.
    // Lines in [low, high) are still candidates; low is always a line start.
    std::size_t low = bodyStart;
    std::size_t high = bytes.size();
    while (low < high) {
        std::size_t start = low + (high - low) / 2;
        while (start > low && bytes[start - 1] != '\n')
            --start;
        const std::size_t end = bytes.find('\n', start);
        const std::string_view line = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const int order = key.compare(line.substr(0, line.find(separator)));
        if (order == 0)
            return line;
        if (order < 0)
            high = start;
        else
            low = start + line.size() + 1;
    }
    return std::nullopt;
}

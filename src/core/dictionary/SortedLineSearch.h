#pragma once

#include <optional>
#include <string_view>

// The line of `bytes`, from `bodyStart` on, whose key (its bytes up to the first `separator`,
// or the whole line) equals `key`. The lines must be sorted by their keys' bytes; a search
// takes a logarithmic number of line reads and copies nothing.
std::optional<std::string_view> findSortedLine(std::string_view bytes, std::size_t bodyStart, std::string_view key,
                                               char separator);

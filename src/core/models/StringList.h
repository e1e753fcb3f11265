#pragma once

#include <QStringList>

// Keeps a list of strings as one stored attribute; encodes as {"values": [...]}.
struct StringList {
    QStringList values;

    bool operator==(const StringList &) const = default;
};

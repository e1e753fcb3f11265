#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Lets gtest print Qt strings in failure messages.
inline void PrintTo(const QString &value, std::ostream *os) { *os << '"' << value.toStdString() << '"'; }
inline void PrintTo(const QByteArray &value, std::ostream *os) { *os << '"' << value.toStdString() << '"'; }

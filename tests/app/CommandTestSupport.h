#pragma once

#include "app/cli/CommandIO.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

// Temporary files standing in for the standard streams of one command run.
class CapturedStreams {
public:
    explicit CapturedStreams(const QByteArray &input = {})
        : m_in(std::tmpfile()), m_out(std::tmpfile()), m_err(std::tmpfile())
    {
        std::fwrite(input.constData(), 1, static_cast<size_t>(input.size()), m_in);
        std::rewind(m_in);
    }
    ~CapturedStreams()
    {
        std::fclose(m_in);
        std::fclose(m_out);
        std::fclose(m_err);
    }
    CapturedStreams(const CapturedStreams &) = delete;
    CapturedStreams &operator=(const CapturedStreams &) = delete;

    CommandIO io() const { return CommandIO{m_in, m_out, m_err}; }
    QString out() const { return contents(m_out); }
    QString err() const { return contents(m_err); }

private:
    static QString contents(FILE *file)
    {
        std::fflush(file);
        std::rewind(file);
        QByteArray bytes;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, static_cast<qsizetype>(n));
        return QString::fromUtf8(bytes);
    }

    FILE *m_in;
    FILE *m_out;
    FILE *m_err;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Where a model answer broke: the response body (envelope), the message text (content) or
// the record decoded from it (decoding). Only the AI client sees it; the learner gets an
// AppError and the diagnostic log gets description().
class ParsingFailure : public std::exception {
public:
    enum class Kind { envelope, content, decoding };

    static ParsingFailure envelope(const QString &detail) { return {Kind::envelope, detail}; }
    static ParsingFailure content(const QString &detail) { return {Kind::content, detail}; }
    static ParsingFailure decoding(const QString &detail) { return {Kind::decoding, detail}; }

    Kind kind() const { return m_kind; }
    const QString &detail() const { return m_detail; }
    // The stage's name, a space and the detail, e.g. "content empty message content".
    QString description() const;
    const char *what() const noexcept override { return m_utf8.constData(); }

    bool operator==(const ParsingFailure &other) const
    {
        return m_kind == other.m_kind && m_detail == other.m_detail;
    }

private:
    ParsingFailure(Kind kind, QString detail);

    Kind m_kind;
    QString m_detail;
    QByteArray m_utf8;
};

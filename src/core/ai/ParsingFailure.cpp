#include "ai/ParsingFailure.h"

ParsingFailure::ParsingFailure(Kind kind, QString detail)
    : m_kind(kind), m_detail(std::move(detail)), m_utf8(description().toUtf8())
{
}

QString ParsingFailure::description() const
{
    switch (m_kind) {
    case Kind::envelope:
        return QStringLiteral("envelope ") + m_detail;
    case Kind::content:
        return QStringLiteral("content ") + m_detail;
    case Kind::decoding:
        return QStringLiteral("decoding ") + m_detail;
    }
    return m_detail;
}

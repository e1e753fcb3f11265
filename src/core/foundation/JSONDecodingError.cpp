#include "foundation/JSONDecodingError.h"

JSONDecodingError::JSONDecodingError(Kind kind, QString expectedType, QString key, QStringList codingPath,
                                     QString debugDescription)
    : m_kind(kind),
      m_expectedType(std::move(expectedType)),
      m_key(std::move(key)),
      m_codingPath(std::move(codingPath)),
      m_debugDescription(std::move(debugDescription)),
      m_utf8(m_debugDescription.toUtf8())
{
}

JSONDecodingError JSONDecodingError::typeMismatch(const QString &expectedType, const QStringList &codingPath,
                                                  const QString &debugDescription)
{
    return {Kind::typeMismatch, expectedType, {}, codingPath, debugDescription};
}

JSONDecodingError JSONDecodingError::valueNotFound(const QString &expectedType, const QStringList &codingPath,
                                                   const QString &debugDescription)
{
    return {Kind::valueNotFound, expectedType, {}, codingPath, debugDescription};
}

JSONDecodingError JSONDecodingError::keyNotFound(const QString &key, const QStringList &codingPath,
                                                 const QString &debugDescription)
{
    return {Kind::keyNotFound, {}, key, codingPath, debugDescription};
}

JSONDecodingError JSONDecodingError::dataCorrupted(const QStringList &codingPath, const QString &debugDescription)
{
    return {Kind::dataCorrupted, {}, {}, codingPath, debugDescription};
}

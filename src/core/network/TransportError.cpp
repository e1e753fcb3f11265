#include "network/TransportError.h"

TransportError::TransportError(Code code, QString errorString)
    : m_code(code), m_errorString(std::move(errorString)), m_utf8(m_errorString.toUtf8())
{
}

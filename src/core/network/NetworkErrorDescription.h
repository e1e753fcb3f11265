#pragma once

#include "network/TransportError.h"

#include <QString>

#include <exception>
#include <optional>

// The readable text of a network failure shown after "网络请求失败：": a short Chinese
// phrase with the condition's name for the common cases, otherwise the transport's own
// error text followed by the numeric code.
QString readableDescription(TransportError::Code code, const QString &errorText);

// The readable text of a failed send through an HTTPTransport, shown after "网络请求失败：";
// nothing when it was a cancellation (our token, or a reply aborted by anyone but the
// transport's own time-out or size limit), which the learner is not told about. Rethrows
// std::bad_alloc and anything that is not a std::exception.
std::optional<QString> sendFailureDescription(const std::exception_ptr &failure);

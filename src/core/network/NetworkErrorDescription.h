#pragma once

#include <QNetworkReply>
#include <QString>

// The readable text of a network failure shown after "网络请求失败：": a short Chinese
// phrase with the condition's name for the common cases, otherwise the transport's own
// error text followed by the numeric code.
QString readableDescription(QNetworkReply::NetworkError code, const QString &errorText);

#include "lookup/LookupTextLimit.h"

namespace LookupTextLimit {

qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (const QChar unit : text) {
        if (!unit.isLowSurrogate())
            ++count;
    }
    return count;
}

bool exceeds(QStringView text)
{
    // Most text is short enough that counting is not needed to decide.
    return text.size() > maximumCharacters && characterCount(text) > maximumCharacters;
}

QString message()
{
    return QStringLiteral("要查询的文本太长：一次最多 %1 个字符。请只选取要查询的词、句子或段落。").arg(maximumCharacters);
}

} // namespace LookupTextLimit

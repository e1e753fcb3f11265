#include "app/DeferredPronunciationTranscriber.h"

std::optional<QString> DeferredPronunciationTranscriber::transcribe(const QString &text, const QString &accent) const
{
    std::call_once(m_made, [this] { m_transcriber = m_make(); });
    return m_transcriber->transcribe(text, accent);
}

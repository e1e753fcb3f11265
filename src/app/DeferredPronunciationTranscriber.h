#pragma once

#include "dictionary/PronunciationTranscribing.h"

#include <functional>
#include <memory>
#include <mutex>

// A transcriber made on its first use, from any thread: the dictionary is made with one, yet
// only a word it knows needs espeak-ng.
class DeferredPronunciationTranscriber final : public PronunciationTranscribing {
public:
    using Maker = std::function<std::shared_ptr<const PronunciationTranscribing>()>;
    explicit DeferredPronunciationTranscriber(Maker make) : m_make(std::move(make)) {}

    std::optional<QString> transcribe(const QString &text, const QString &accent) const override;

private:
    Maker m_make;
    mutable std::once_flag m_made;
    mutable std::shared_ptr<const PronunciationTranscribing> m_transcriber;
};

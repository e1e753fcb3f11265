#include "platform/speech/EspeakNgPronunciationTranscriber.h"

#include "platform/speech/EspeakNgEngine.h"
#include "dictionary/IPAStressPlacement.h"

#include <QStringList>

#include <espeak-ng/speak_lib.h>

namespace {

// Far beyond any dictionary entry; keeps a stray long selection from occupying the engine.
constexpr qsizetype kMaximumTextLength = 200;

} // namespace

std::optional<QString> EspeakNgPronunciationTranscriber::transcribe(const QString &text, const QString &accent) const
{
    const QString trimmed = text.simplified();
    if (trimmed.isEmpty() || trimmed.size() > kMaximumTextLength)
        return std::nullopt;
    const QByteArray utf8 = trimmed.toUtf8();

    QStringList clauses;
    {
        EspeakNgEngine engine;
        if (!engine.selectLanguage(accent == QStringLiteral("british") ? "en-gb" : "en-us"))
            return std::nullopt;
        // Each call converts one clause (up to a comma, full stop and the like) and
        // advances the pointer; it becomes null at the end of the text.
        const void *position = utf8.constData();
        const char *const end = utf8.constData() + utf8.size();
        while (position != nullptr) {
            const void *before = position;
            const char *phonemes = espeak_TextToPhonemes(&position, espeakCHARS_UTF8, espeakPHONEMES_IPA);
            if (phonemes != nullptr)
                clauses.append(QString::fromUtf8(phonemes).simplified());
            if (position == before || (position != nullptr && static_cast<const char *>(position) > end))
                break;
        }
    }
    clauses.removeAll(QString());
    if (clauses.isEmpty())
        return std::nullopt;
    return placeStressMarksAtSyllableStart(clauses.join(QLatin1Char(' ')));
}

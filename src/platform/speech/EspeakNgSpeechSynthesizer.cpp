#include "platform/speech/EspeakNgSpeechSynthesizer.h"

#include "foundation/AppError.h"
#include "platform/speech/EspeakNgEngine.h"

PCMAudio EspeakNgSpeechSynthesizer::synthesize(const QString &text, const QString &accent)
{
    PCMAudio audio;
    {
        EspeakNgEngine engine;
        if (engine.selectLanguage(accent == QStringLiteral("british") ? "en-gb" : "en-us")) {
            audio.sampleRate = engine.sampleRate();
            audio.samples = engine.synthesize(text.toUtf8());
        }
    }
    if (audio.samples.isEmpty())
        throw AppError::textToSpeechFailed(QStringLiteral("系统语音引擎不可用，请确认已安装 espeak-ng 语音数据。"));
    return audio;
}

#include "app/cli/SpeakCommand.h"

#include "app/cli/CommandArguments.h"
#include "app/cli/CommandServices.h"
#include "preferences/AppPreferencesStoring.h"

SpeakCommand::SpeakCommand(CommandIO io, CommandServices &services, CancellationToken interruption)
    : m_io(io), m_services(services), m_interruption(std::move(interruption))
{
}

QString SpeakCommand::helpText()
{
    return QStringLiteral(
        "用法：rarozezev speak [--accent american|british] [--output 文件] 文本...\n"
        "\n"
        "朗读一段英文：单个单词使用系统语音，词组和句子使用设置中的 TTS 服务。\n"
        "  --accent american|british   系统语音的口音（默认取设置中的默认发音类型）\n"
        "  --output 文件                不播放，把音频写入文件（系统语音为 WAV，TTS 服务为其返回的格式）\n");
}

QCoro::Task<int> SpeakCommand::run(QStringList arguments)
{
    const auto parsed = CommandArguments::parse(
        arguments, {{QStringLiteral("--accent"), {QStringLiteral("american"), QStringLiteral("british")}},
                    {QStringLiteral("--output"), CommandArguments::anyValue()}});
    if (const QString *message = std::get_if<QString>(&parsed))
        co_return m_io.reportUsageError(*message, QStringLiteral("rarozezev speak --help"));
    const CommandArguments &options = std::get<CommandArguments>(parsed);
    if (options.help) {
        m_io.print(helpText());
        co_return CommandIO::success;
    }
    const QString text = options.words.join(QLatin1Char(' ')).trimmed();
    if (text.isEmpty())
        co_return m_io.reportUsageError(QStringLiteral("speak 需要要朗读的文本。"), QStringLiteral("rarozezev speak --help"));

    UserSettings settings = m_services.preferences().currentUserSettingsWithoutAPIKey();
    settings.systemPronunciationAccent = options.value(QStringLiteral("--accent"), settings.systemPronunciationAccent);
    std::optional<QString> output;
    if (options.values.contains(QStringLiteral("--output")))
        output = options.value(QStringLiteral("--output"));

    PronunciationPlaybackController controller(m_services.pronunciationServices(output));
    const CancellationToken::Registration interruption = m_interruption.onCancel([&controller] { controller.stop(); });
    co_await controller.play(text, settings);
    if (m_interruption.isCancelled())
        co_return CommandIO::interrupted;
    if (controller.state().kind() == PronunciationPlaybackController::State::Kind::failed) {
        m_io.printError(controller.state().message() + QLatin1Char('\n'));
        co_return CommandIO::failure;
    }
    co_return CommandIO::success;
}

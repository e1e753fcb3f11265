#pragma once

#include "app/cli/CommandCollection.h"
#include "app/cli/CommandIO.h"
#include "app/cli/LookupCommandOptions.h"
#include "foundation/CancellationToken.h"

#include <QCoroTask>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

class AIClient;
class AppPreferencesStoring;
class LookupResultCaching;
class SelectedTextCapturing;
struct LookupResult;
class SystemDictionaryLookingUp;
struct UserSettings;

// `rarozezev lookup`: explains a text with the AI service or the offline dictionary and
// prints the explanation. A full AI lookup reads and fills the same cache as the lookup
// panel, under the same text and type, so either may answer the other's questions. With
// --save the full result printed is added to the collection as the panel's save adds it.
// With --selection it looks up what is selected, as the hotkey does, and leaves the
// clipboard as it was.
class LookupCommand {
public:
    // Named in messages about a key that cannot be read.
    static constexpr char apiKeyVariable[] = "RAROZEZEV_AI_API_KEY";

    struct Collaborators {
        AppPreferencesStoring &preferences;
        AIClient &aiClient;
        LookupResultCaching &resultCache;
        const SystemDictionaryLookingUp &systemDictionary;
        // Used instead of the keyring when present (the environment's apiKeyVariable).
        std::optional<QString> apiKeyOverride;
        // The collection, for --save.
        CommandCollection::Opener openCollection;
        // Reads the selection, for --selection; made only when asked for, since it needs the
        // display. May throw AppError.
        std::function<SelectedTextCapturing &()> selectionCaptureService;
    };

    LookupCommand(CommandIO io, Collaborators collaborators, CancellationToken cancellation = {});

    // `arguments` follow the word "lookup". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    // How much standard input is read at most. Any text within the lookup limit fits many
    // times over, surrounding blank lines included; more is refused without reading further.
    static constexpr qsizetype maximumInputBytes = 1 << 20;

    // `collection` is where to save the result, or null.
    QCoro::Task<int> lookUpWithAI(QString text, LookupCommandOptions options, LearningItemStore *collection);
    // Prints the result, then saves it when asked to; returns the exit code.
    int printAndSave(const LookupResult &result, bool json, LearningItemStore *collection);
    // The selected text, or the exit code after reporting why there is none.
    QCoro::Task<std::variant<QString, int>> captureSelection();
    int lookUpInDictionary(const QString &text, LookupCommandOptions::Format format);
    int listDictionaries();
    QCoro::Task<UserSettings> settingsWithAPIKey();
    int fail(const QString &message) const;

    CommandIO m_io;
    Collaborators m_collaborators;
    CancellationToken m_cancellation;
};

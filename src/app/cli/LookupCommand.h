#pragma once

#include "app/cli/CommandCollection.h"
#include "app/cli/CommandIO.h"
#include "app/cli/LookupCommandOptions.h"
#include "utilities/CancellationToken.h"

#include <QCoroTask>
#include <QStringList>

#include <optional>

class AIClient;
class AppPreferencesStoring;
class LookupResultCaching;
class ModelContext;
struct LookupResult;
class SystemDictionaryLookingUp;
struct UserSettings;

// `rarozezev lookup`: explains a text with the AI service or the offline dictionary and
// prints the explanation. A full AI lookup reads and fills the same cache as the lookup
// panel, under the same text and type, so either may answer the other's questions. With
// --save the full result printed is added to the collection as the panel's save adds it.
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
    };

    LookupCommand(CommandIO io, Collaborators collaborators, CancellationToken cancellation = {});

    // `arguments` follow the word "lookup". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    // `collection` is where to save the result, or null.
    QCoro::Task<int> lookUpWithAI(QString text, LookupCommandOptions options, ModelContext *collection);
    // Prints the result, then saves it when asked to; returns the exit code.
    int printAndSave(const LookupResult &result, bool json, ModelContext *collection);
    int lookUpInDictionary(const QString &text, LookupCommandOptions::Format format);
    QCoro::Task<UserSettings> settingsWithAPIKey();
    int fail(const QString &message) const;

    CommandIO m_io;
    Collaborators m_collaborators;
    CancellationToken m_cancellation;
};

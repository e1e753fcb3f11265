#include "viewmodels/lookup/LookupViewModel.h"

#include "ai/AIClient.h"
#include "preferences/APIKeyStoring.h"
#include "preferences/KeychainAPIKeyStoreError.h"
#include "lookup/LookupResultCaching.h"
#include "capture/SelectedTextCapturing.h"
#include "dictionary/SystemDictionaryLookingUp.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "lookup/LookupTextLimit.h"

#include <QPointer>
#include <QStringView>

#include <utility>

namespace {

// Full-width marks that learners paste from Chinese text along with the English.
constexpr char16_t kFullWidthMarks[] = u"，；：。？！、（）《》“”‘’";

bool isPunctuation(char32_t codePoint)
{
    if (QChar::isPunct(codePoint))
        return true;
    for (char16_t mark : kFullWidthMarks) {
        if (mark != 0 && mark == codePoint)
            return true;
    }
    return false;
}

// Why a (trimmed) text cannot be looked up as it stands, if it cannot.
std::optional<QString> refusalOf(const QString &text)
{
    if (text.isEmpty())
        return AppError::selectedTextUnavailable().errorDescription();
    if (LookupTextLimit::exceeds(text))
        return LookupTextLimit::message();
    return std::nullopt;
}

} // namespace

LookupViewModel::State LookupViewModel::State::loadingExplanation(QString selectedText,
                                                                  std::optional<LookupResult> offlineGlance)
{
    State state(Kind::loadingExplanation);
    state.m_selectedText = std::move(selectedText);
    state.m_offlineGlance = std::move(offlineGlance);
    return state;
}

LookupViewModel::State LookupViewModel::State::loadingDetailedExplanation(FastLookupResult fastResult)
{
    State state(Kind::loadingDetailedExplanation);
    state.m_fastResult = std::move(fastResult);
    return state;
}

LookupViewModel::State LookupViewModel::State::readyForAILookup(QString selectedText, QString message)
{
    State state(Kind::readyForAILookup);
    state.m_selectedText = std::move(selectedText);
    state.m_message = std::move(message);
    return state;
}

LookupViewModel::State LookupViewModel::State::loaded(LookupResult result)
{
    State state(Kind::loaded);
    state.m_result = std::move(result);
    return state;
}

LookupViewModel::State LookupViewModel::State::failed(QString message, std::optional<QString> selectedText)
{
    State state(Kind::failed);
    state.m_message = std::move(message);
    state.m_selectedText = std::move(selectedText);
    return state;
}

LookupViewModel::LookupViewModel(std::shared_ptr<SelectedTextCapturing> selectionCaptureService,
                                 std::shared_ptr<AIClient> aiClient, std::shared_ptr<APIKeyStoring> apiKeyStore,
                                 std::shared_ptr<LookupResultCaching> resultCache,
                                 std::shared_ptr<SystemDictionaryLookingUp> systemDictionaryClient, QObject *parent)
    : QObject(parent),
      m_selectionCaptureService(std::move(selectionCaptureService)),
      m_aiClient(std::move(aiClient)),
      m_apiKeyStore(std::move(apiKeyStore)),
      m_resultCache(std::move(resultCache)),
      m_systemDictionaryClient(std::move(systemDictionaryClient))
{
    Q_ASSERT(m_selectionCaptureService && m_aiClient && m_apiKeyStore && m_resultCache && m_systemDictionaryClient);
}

LookupViewModel::~LookupViewModel()
{
    // Cancelled requests may report back synchronously, while this object is half gone:
    // with no lookup current any more, they change nothing.
    ++m_lookupGeneration;
    m_lifetime.cancel();
}

QCoro::Task<void> LookupViewModel::lookupFromSelection(UserSettings settings)
{
    const Lookup lookup = beginLookup();
    const auto lifetimeLink = m_lifetime.onCancel([token = lookup.cancellation] { token.cancel(); });
    const auto captureService = m_selectionCaptureService;
    QPointer<LookupViewModel> self(this);
    setState(State::capturingText());

    QString captured;
    try {
        captured = co_await captureService->captureSelectedTextUsingClipboardFallback(lookup.cancellation);
    } catch (const CancellationError &) {
        if (self)
            self->setStateIfCurrent(lookup.generation, State::idle());
        co_return;
    } catch (...) {
        if (self)
            self->setStateIfCurrent(lookup.generation, State::failed(localizedMessage(std::current_exception())));
        co_return;
    }
    if (!self || !self->isCurrentLookup(lookup.generation))
        co_return;

    const QString text = captured.trimmed();
    if (std::optional<QString> refusal = refusalOf(text)) {
        self->setState(State::failed(std::move(*refusal)));
        co_return;
    }
    co_await self->lookupWithAI(text, detectItemType(text), std::move(settings), lookup);
}

QCoro::Task<void> LookupViewModel::lookupWithAI(QString selectedText, UserSettings settings)
{
    const Lookup lookup = beginLookup();
    const auto lifetimeLink = m_lifetime.onCancel([token = lookup.cancellation] { token.cancel(); });
    const QString text = selectedText.trimmed();
    if (std::optional<QString> refusal = refusalOf(text)) {
        setState(State::failed(std::move(*refusal)));
        co_return;
    }
    co_await lookupWithAI(text, detectItemType(text), std::move(settings), lookup);
}

QCoro::Task<void> LookupViewModel::lookupWithSystemDictionary(QString selectedText, UserSettings)
{
    beginLookup();
    const QString text = selectedText.trimmed();
    if (std::optional<QString> refusal = refusalOf(text)) {
        setState(State::failed(std::move(*refusal)));
        co_return;
    }
    // The dictionary answers synchronously, so the lookup is still current here.
    if (std::optional<QString> definition = m_systemDictionaryClient->lookupDefinition(text)) {
        setState(State::loaded(dictionaryResult(text, std::move(*definition))));
    } else {
        setState(State::readyForAILookup(text, systemDictionaryMissMessage));
    }
}

QCoro::Task<void> LookupViewModel::retry(UserSettings settings)
{
    if (m_state.kind() == State::Kind::failed && m_state.selectedText())
        return lookupWithAI(*m_state.selectedText(), std::move(settings));
    return lookupFromSelection(std::move(settings));
}

void LookupViewModel::showFailure(QString message, std::optional<QString> selectedText)
{
    beginLookup();
    setState(State::failed(std::move(message), std::move(selectedText)));
}

void LookupViewModel::cancel()
{
    m_currentCancellation.cancel();
}

LearningItemType LookupViewModel::detectItemType(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();

    int words = 0;
    bool inWord = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        char32_t codePoint = trimmed[i].unicode();
        if (QChar::isHighSurrogate(codePoint) && i + 1 < trimmed.size() && trimmed[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(trimmed[i], trimmed[i + 1]);
            ++i;
        }
        // Punctuation wins over the word count: "don't" and "well-known" are sentences.
        if (isPunctuation(codePoint))
            return LearningItemType::sentence;
        const bool space = QChar::isSpace(codePoint);
        if (!space && !inWord)
            ++words;
        inWord = !space;
    }

    if (words >= 7)
        return LearningItemType::sentence;
    if (words >= 2)
        return LearningItemType::phrase;
    return LearningItemType::word;
}

QString LookupViewModel::localizedMessage(std::exception_ptr error)
{
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const AppError &appError) {
            return appError.errorDescription();
        } catch (const KeychainAPIKeyStoreError &keychainError) {
            // Its own text is a technical line for the log; the learner gets the status in
            // the words the settings screen uses for it.
            return QStringLiteral("Keychain 操作失败（OSStatus %1）。").arg(keychainError.status());
        } catch (const std::exception &other) {
            const QString description = QString::fromUtf8(other.what()).trimmed();
            if (!description.isEmpty())
                return description;
        } catch (...) {
        }
    }
    return QStringLiteral("查词时发生未知错误，请重试。");
}

LookupViewModel::Lookup LookupViewModel::beginLookup()
{
    Lookup lookup{++m_lookupGeneration, CancellationToken()};
    m_currentCancellation = lookup.cancellation;
    return lookup;
}

void LookupViewModel::setState(State state)
{
    if (state == m_state)
        return;
    m_state = std::move(state);
    emit stateChanged();
}

void LookupViewModel::setStateIfCurrent(quint64 generation, State state)
{
    if (isCurrentLookup(generation))
        setState(std::move(state));
}

QCoro::Task<void> LookupViewModel::lookupWithAI(QString validatedSelectedText, LearningItemType itemType,
                                                UserSettings settings, Lookup lookup)
{
    if (!isCurrentLookup(lookup.generation))
        co_return;
    // The services stay with this frame: the view model may go away while a request runs.
    const auto aiClient = m_aiClient;
    const auto apiKeyStore = m_apiKeyStore;
    const auto resultCache = m_resultCache;
    const QString &text = validatedSelectedText;
    QPointer<LookupViewModel> self(this);

    if (std::optional<LookupResult> hit = resultCache->cachedResult(text, itemType)) {
        setState(State::loaded(std::move(*hit)));
        co_return;
    }
    // Something to read at once while the service works: the offline glosses of a word.
    std::optional<LookupResult> glance;
    if (itemType == LearningItemType::word) {
        if (std::optional<QString> entry = m_systemDictionaryClient->lookupChineseGlance(text))
            glance = dictionaryResult(text, std::move(*entry));
    }
    setState(State::loadingExplanation(text, std::move(glance)));

    UserSettings resolvedSettings;
    try {
        resolvedSettings = co_await settingsWithLoadedAPIKey(std::move(settings), apiKeyStore);
        // The key store cannot be interrupted; a cancel() that came meanwhile counts now.
        lookup.cancellation.throwIfCancelled();
    } catch (const CancellationError &) {
        if (self)
            self->setStateIfCurrent(lookup.generation, State::idle());
        co_return;
    } catch (...) {
        if (self)
            self->setStateIfCurrent(lookup.generation,
                                    State::failed(localizedMessage(std::current_exception()), text));
        co_return;
    }
    if (!self || !self->isCurrentLookup(lookup.generation))
        co_return;

    // The quick answer runs beside the full one with a token of its own, so that ending it
    // never cancels the full request.
    CancellationToken fastCancellation;
    std::optional<QCoro::Task<FastLookupResult>> fastLookup;
    try {
        fastLookup.emplace(aiClient->fastLookup(text, std::nullopt, std::nullopt, itemType, resolvedSettings,
                                                fastCancellation));
    } catch (...) {
        // The quick answer is a nicety; the full request alone decides the outcome.
    }
    if (fastLookup) {
        // Left to finish on its own; it checks the generation before it shows anything.
        [[maybe_unused]] auto updater =
            updateWithFastLookupResult(std::move(*fastLookup), text, lookup.generation);
    }

    std::optional<LookupResult> result;
    std::exception_ptr failure;
    try {
        result = co_await aiClient->lookup(text, std::nullopt, std::nullopt, itemType, std::move(resolvedSettings),
                                           lookup.cancellation);
    } catch (...) {
        failure = std::current_exception();
    }

    if (self && self->isCurrentLookup(lookup.generation)) {
        if (result) {
            LookupResult normalizedResult = normalized(std::move(*result), text, itemType);
            resultCache->store(normalizedResult);
            self->setState(State::loaded(std::move(normalizedResult)));
        } else if (isCancellation(failure)) {
            self->setState(State::idle());
        } else {
            self->setState(State::failed(localizedMessage(failure), text));
        }
    }
    // After the state is final, so that a quick answer the cancellation shakes loose finds
    // nothing left to update. An overtaken lookup's quick answer is no use either.
    fastCancellation.cancel();
}

QCoro::Task<void> LookupViewModel::updateWithFastLookupResult(QCoro::Task<FastLookupResult> fastLookup,
                                                              QString selectedText, quint64 generation)
{
    QPointer<LookupViewModel> self(this);
    std::optional<FastLookupResult> fastResult;
    try {
        fastResult = co_await fastLookup;
    } catch (...) {
        // Never an error message from the quick pass, not even a cancellation.
        co_return;
    }
    if (!self || !self->isCurrentLookup(generation) || self->m_state.kind() != State::Kind::loadingExplanation)
        co_return;
    self->setState(State::loadingDetailedExplanation(normalized(std::move(*fastResult), selectedText)));
}

QCoro::Task<UserSettings> LookupViewModel::settingsWithLoadedAPIKey(UserSettings settings,
                                                                    std::shared_ptr<APIKeyStoring> apiKeyStore)
{
    if (!settings.apiKey.isEmpty())
        co_return settings;
    // A copy with the key; the settings the caller holds stay without it.
    settings.apiKey = co_await apiKeyStore->loadAPIKey();
    co_return settings;
}

LookupResult LookupViewModel::dictionaryResult(const QString &selectedText, QString entry)
{
    LookupResult result;
    result.selectedText = selectedText;
    // Not classified: the dictionary only knows words, and its entry layout is a word's.
    result.itemType = LearningItemType::word;
    result.source = LookupResultSource::systemDictionary;
    result.contextualMeaning = std::move(entry);
    return result;
}

LookupResult LookupViewModel::normalized(LookupResult result, const QString &selectedText, LearningItemType itemType)
{
    // Filed under what was looked up, whatever the model echoed back.
    result.selectedText = selectedText;
    result.itemType = itemType;
    result.source = LookupResultSource::ai;
    return result;
}

FastLookupResult LookupViewModel::normalized(FastLookupResult result, const QString &selectedText)
{
    result.selectedText = selectedText;
    return result;
}

#include "viewmodels/lookup/LookupPanelController.h"

#include <QPointer>

LookupPanelController::LookupPanelController(std::shared_ptr<LookupViewModel> viewModel, UserSettings settings,
                                             LookupPanelStartAction startAction, ChangeAction onSave,
                                             ChangeAction onRemove, CheckAction onIsSaved,
                                             PronunciationPlaybackController::Services pronunciation, QObject *parent)
    : QObject(parent),
      m_viewModel(std::move(viewModel)),
      m_settings(std::move(settings)),
      m_startAction(std::move(startAction)),
      m_onSave(std::move(onSave)),
      m_onRemove(std::move(onRemove)),
      m_onIsSaved(std::move(onIsSaved)),
      m_saveState(new LookupSaveStateController(this))
{
    Q_ASSERT(m_viewModel);
    if (pronunciation.systemSpeechClient)
        m_pronunciation = new PronunciationPlaybackController(std::move(pronunciation), this);
    connect(m_viewModel.get(), &LookupViewModel::stateChanged, this, &LookupPanelController::followState);
    followState();
}

void LookupPanelController::start()
{
    if (m_started)
        return;
    m_started = true;
    // The view model's tasks run on without being awaited; the view model drops what they
    // deliver once a newer lookup or a cancel() has come.
    switch (m_startAction.kind()) {
    case LookupPanelStartAction::Kind::lookupCapturedText:
        m_viewModel->lookupWithAI(m_startAction.text(), m_settings);
        break;
    case LookupPanelStartAction::Kind::captureSelection:
        m_viewModel->lookupFromSelection(m_settings);
        break;
    case LookupPanelStartAction::Kind::none:
        break;
    }
}

bool LookupPanelController::submit(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == shownText(m_viewModel->state()))
        return false;
    m_viewModel->lookupWithAI(trimmed, m_settings);
    return true;
}

void LookupPanelController::toggleSource()
{
    const LookupViewModel::State &state = m_viewModel->state();
    switch (state.kind()) {
    case LookupViewModel::State::Kind::loaded:
        if (state.result()->source == LookupResultSource::ai)
            m_viewModel->lookupWithSystemDictionary(state.result()->selectedText, m_settings);
        else
            m_viewModel->lookupWithAI(state.result()->selectedText, m_settings);
        break;
    case LookupViewModel::State::Kind::loadingDetailedExplanation:
        m_viewModel->lookupWithSystemDictionary(state.fastResult()->selectedText, m_settings);
        break;
    case LookupViewModel::State::Kind::readyForAILookup:
        m_viewModel->lookupWithAI(state.selectedText().value_or(QString()), m_settings);
        break;
    default:
        break;
    }
}

void LookupPanelController::retry()
{
    m_viewModel->retry(m_settings);
}

void LookupPanelController::pronounce()
{
    if (m_pronunciation && m_shownResult && !m_pronunciation->isPlaybackDisabled())
        m_pronunciation->play(m_shownResult->selectedText, m_settings);
}

void LookupPanelController::cancel()
{
    if (m_pronunciation)
        m_pronunciation->stop();
    m_viewModel->cancel();
}

std::optional<QString> LookupPanelController::explanationToCopy() const
{
    const LookupViewModel::State &state = m_viewModel->state();
    if (state.kind() != LookupViewModel::State::Kind::loaded)
        return std::nullopt;
    return state.result()->markdownExplanation();
}

void LookupPanelController::toggleSaved()
{
    if (!m_shownResult || !canSave())
        return;
    toggleSavedAndResync(*m_shownResult);
}

QCoro::Task<void> LookupPanelController::toggleSavedAndResync(LookupResult result)
{
    QPointer<LookupPanelController> self(this);
    co_await m_saveState->toggle(result, m_onSave, m_onRemove);
    // A refresh for a result shown meanwhile was skipped while the press ran; without this
    // the button would show the pressed result's state against the new one.
    if (self && m_onIsSaved && m_shownResult && *m_shownResult != result)
        co_await m_saveState->refresh(*m_shownResult, m_onIsSaved);
}

QString LookupPanelController::shownText(const LookupViewModel::State &state)
{
    if (state.result())
        return state.result()->selectedText.trimmed();
    if (state.fastResult())
        return state.fastResult()->selectedText.trimmed();
    return state.selectedText().value_or(QString()).trimmed();
}

void LookupPanelController::followState()
{
    const LookupViewModel::State &state = m_viewModel->state();
    if (state.kind() != LookupViewModel::State::Kind::loaded) {
        m_shownResult.reset();
        return;
    }
    const LookupResult &result = *state.result();
    if (m_shownResult && *m_shownResult == result)
        return;
    m_shownResult = result;
    if (m_onIsSaved)
        m_saveState->refresh(result, m_onIsSaved);
}

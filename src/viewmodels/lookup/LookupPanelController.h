#pragma once

#include "lookup/LookupResult.h"
#include "preferences/UserSettings.h"
#include "viewmodels/lookup/LookupPanelStartAction.h"
#include "viewmodels/lookup/LookupSaveStateController.h"
#include "viewmodels/lookup/LookupViewModel.h"
#include "viewmodels/pronunciation/PronunciationPlaybackController.h"

#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

// What the lookup panel's controls do. It keeps the settings the panel opened with, runs the
// start action once, decides what the text field, the source switch, the retry, copy and save
// buttons start, and keeps the save button's state in step with the result on screen. The
// panel only draws the view model's state and forwards its clicks here.
class LookupPanelController : public QObject {
    Q_OBJECT

public:
    using ChangeAction = LookupSaveStateController::ChangeAction;
    using CheckAction = LookupSaveStateController::CheckAction;

    // Empty save or remove actions mean a panel without a collection: nothing can be saved.
    // Pronunciation services without a system voice mean a panel that cannot pronounce.
    LookupPanelController(std::shared_ptr<LookupViewModel> viewModel, UserSettings settings,
                          LookupPanelStartAction startAction, ChangeAction onSave = {}, ChangeAction onRemove = {},
                          CheckAction onIsSaved = {}, PronunciationPlaybackController::Services pronunciation = {},
                          QObject *parent = nullptr);

    LookupViewModel &viewModel() const { return *m_viewModel; }
    LookupSaveStateController &saveState() const { return *m_saveState; }
    // Null when the panel cannot pronounce.
    PronunciationPlaybackController *pronunciation() const { return m_pronunciation; }
    bool canSave() const { return m_onSave && m_onRemove; }
    // The loaded result on screen, whose saved state the save button shows.
    const std::optional<LookupResult> &shownResult() const { return m_shownResult; }

    // Runs the start action the first time; later calls do nothing.
    void start();
    // Looks up the field's text unless, trimmed, it is empty or the text already shown.
    // Returns whether a lookup started.
    bool submit(const QString &text);
    // The source switch: the dictionary for an AI answer (also a quick one), the AI for a
    // dictionary answer or a dictionary miss. Elsewhere it does nothing.
    void toggleSource();
    void retry();
    void toggleSaved();
    // Speaks the loaded result's text with the panel's settings.
    void pronounce();
    // Cancels the pending lookup, whose view model ends in idle, and silences the pronunciation.
    void cancel();
    // The Markdown explanation of a loaded result; nothing in any other state.
    std::optional<QString> explanationToCopy() const;

    // The trimmed text a state shows; empty while idle or capturing.
    static QString shownText(const LookupViewModel::State &state);

private:
    void followState();
    QCoro::Task<void> toggleSavedAndResync(LookupResult result);

    std::shared_ptr<LookupViewModel> m_viewModel;
    UserSettings m_settings;
    LookupPanelStartAction m_startAction;
    ChangeAction m_onSave;
    ChangeAction m_onRemove;
    CheckAction m_onIsSaved;
    LookupSaveStateController *m_saveState;
    PronunciationPlaybackController *m_pronunciation = nullptr;
    bool m_started = false;
    std::optional<LookupResult> m_shownResult;
};

#pragma once

#include "lookup/LookupResult.h"
#include "preferences/UserSettings.h"
#include "viewmodels/lookup/LookupPanelStartAction.h"
#include "viewmodels/lookup/LookupSaveStateController.h"
#include "viewmodels/lookup/LookupViewModel.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QStackedWidget;
class ActivityIndicator;
class LookupExplanationSectionsView;
class LookupTextField;
class SymbolButton;
class SymbolLabel;

// The content of the floating lookup panel. It runs the lookup it was opened for once it is
// first shown, renders every state of the lookup view model, and lets the learner edit and
// resubmit the text, switch between the AI and the dictionary, copy the explanation and save
// it. It owns no store: saving goes through the three actions the shell hands in. Closing or
// destroying it cancels the pending lookup.
class LookupPanelView : public QWidget {
    Q_OBJECT

public:
    using SaveAction = LookupSaveStateController::ChangeAction;
    using RemoveAction = LookupSaveStateController::ChangeAction;
    using IsSavedAction = LookupSaveStateController::CheckAction;

    static constexpr int kPadding = 24;
    static constexpr std::chrono::milliseconds kDefaultCopyFeedbackDuration{2000};

    // Empty actions hide the save button (a panel without a collection).
    LookupPanelView(std::shared_ptr<LookupViewModel> viewModel, UserSettings settings,
                    LookupPanelStartAction startAction, SaveAction onSave, RemoveAction onRemove,
                    IsSavedAction onIsSaved, QWidget *parent = nullptr);
    ~LookupPanelView() override;

    QSize sizeHint() const override { return {480, 560}; }

    LookupViewModel &viewModel() const { return *m_viewModel; }
    LookupSaveStateController &saveStateController() const { return *m_saveStateController; }

    // Looks up the field's text unless, trimmed, it is empty or the text already shown.
    // Returns whether a lookup started.
    bool submitLookupInput(const QString &currentText);
    // Puts the shown result's Markdown explanation on the clipboard; "已复制" follows on
    // success. Returns whether the clipboard took the text.
    bool copyExplanation();
    // The AI/dictionary switch: the other source for the text shown.
    void toggleLookupSource();
    void retry();
    void toggleSaved();
    // Cancels the pending lookup; the view model ends in idle.
    void cancelLookup();

    // "已复制" while the copy feedback lasts.
    const std::optional<QString> &copyFeedbackMessage() const { return m_copyFeedbackMessage; }
    // How long the copy feedback stays after the last copy; tests shorten it.
    void setCopyFeedbackDuration(std::chrono::milliseconds duration);

    // The text field font size and the state pages, for the window and for tests.
    LookupTextField *resultTextField() const { return m_resultField; }
    LookupTextField *idleTextField() const { return m_idleField; }
    QWidget *currentPage() const;
    SymbolButton *saveButton() const { return m_saveButton; }
    SymbolButton *copyButton() const { return m_copyButton; }
    SymbolButton *sourceToggleButton() const { return m_sourceToggleButton; }

signals:
    void copyFeedbackChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildIdlePage();
    QWidget *buildCapturingPage();
    QWidget *buildLoadingPage();
    QWidget *buildResultPage();
    QWidget *buildReadyForAILookupPage();
    QWidget *buildFailedPage();

    void runStartAction();
    void render();
    void renderResult(const QString &selectedText, LookupResultSource source, LearningItemType itemType,
                      const QList<LookupResultDisplaySection> &sections, bool isFinal);
    void renderSaveButton();
    void setShownText(const QString &text);
    QCoro::Task<void> toggleSavedAndResync(LookupResult result);

    std::shared_ptr<LookupViewModel> m_viewModel;
    UserSettings m_settings;
    LookupPanelStartAction m_startAction;
    SaveAction m_onSave;
    RemoveAction m_onRemove;
    IsSavedAction m_onIsSaved;
    LookupSaveStateController *m_saveStateController;
    bool m_started = false;
    // The trimmed text of the state on screen; a submit of the same text starts nothing.
    QString m_shownText;
    // The loaded result whose saved state the save button shows.
    std::optional<LookupResult> m_shownResult;

    std::optional<QString> m_copyFeedbackMessage;
    QTimer m_copyFeedbackTimer;

    QStackedWidget *m_pages = nullptr;
    QWidget *m_idlePage = nullptr;
    QWidget *m_capturingPage = nullptr;
    QWidget *m_loadingPage = nullptr;
    QWidget *m_resultPage = nullptr;
    QWidget *m_readyPage = nullptr;
    QWidget *m_failedPage = nullptr;

    LookupTextField *m_idleField = nullptr;
    QLabel *m_loadingText = nullptr;

    LookupTextField *m_resultField = nullptr;
    SymbolLabel *m_metadataLabel = nullptr;
    QLabel *m_copyFeedbackLabel = nullptr;
    SymbolButton *m_sourceToggleButton = nullptr;
    SymbolButton *m_saveButton = nullptr;
    SymbolButton *m_copyButton = nullptr;
    QWidget *m_detailNotice = nullptr;
    QLabel *m_saveMessage = nullptr;
    LookupExplanationSectionsView *m_sectionsView = nullptr;

    QLabel *m_readyText = nullptr;
    QLabel *m_readyMessage = nullptr;
    SymbolButton *m_readyToggleButton = nullptr;

    QLabel *m_failedMessage = nullptr;
    QPushButton *m_retryButton = nullptr;
};

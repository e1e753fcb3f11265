#pragma once

#include "preferences/UserSettings.h"
#include "viewmodels/lookup/LookupPanelController.h"
#include "viewmodels/lookup/LookupPanelStartAction.h"
#include "viewmodels/lookup/LookupViewModel.h"

#include <QString>
#include <QWidget>

#include <memory>

class QStackedWidget;
class LookupCapturingPage;
class LookupFailedPage;
class LookupIdlePage;
class LookupLoadingPage;
class LookupReadyForAIPage;
class LookupResultPage;

// The content of the floating lookup panel: one page per state of the lookup view model, of
// which it shows the current one. The pages' controls go to the panel's controller, which
// runs the lookup the panel was opened for once it is first shown. It owns no store: saving
// goes through the three actions the shell hands in. A save or pronunciation failure shows
// as the error line under the buttons. Closing or destroying it cancels the
// pending lookup.
class LookupPanelView : public QWidget {
    Q_OBJECT

public:
    using SaveAction = LookupPanelController::ChangeAction;
    using RemoveAction = LookupPanelController::ChangeAction;
    using IsSavedAction = LookupPanelController::CheckAction;

    // Empty actions hide the save button (a panel without a collection); pronunciation
    // services without a system voice hide the pronounce button.
    LookupPanelView(std::shared_ptr<LookupViewModel> viewModel, UserSettings settings,
                    LookupPanelStartAction startAction, SaveAction onSave, RemoveAction onRemove,
                    IsSavedAction onIsSaved, PronunciationPlaybackController::Services pronunciation = {},
                    QWidget *parent = nullptr);
    ~LookupPanelView() override;

    QSize sizeHint() const override { return {480, 560}; }

    LookupViewModel &viewModel() const { return m_controller->viewModel(); }
    LookupPanelController &controller() const { return *m_controller; }
    QWidget *currentPage() const;

    // Puts the shown result's Markdown explanation on the clipboard; "已复制" follows on
    // success. Returns whether the clipboard took the text.
    bool copyExplanation();
    // Cancels the pending lookup; the view model ends in idle.
    void cancelLookup();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void render();
    void renderSaveButton();
    void renderPronounceButton();
    void setShownText(const QString &text);

    LookupPanelController *m_controller;
    // The trimmed text of the state on screen; the result page's field shows it.
    QString m_shownText;

    QStackedWidget *m_pages;
    LookupIdlePage *m_idlePage;
    LookupCapturingPage *m_capturingPage;
    LookupLoadingPage *m_loadingPage;
    LookupResultPage *m_resultPage;
    LookupReadyForAIPage *m_readyPage;
    LookupFailedPage *m_failedPage;
};

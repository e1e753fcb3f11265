#include "views/lookup/LookupPanelView.h"

#include "views/lookup/LookupCapturingPage.h"
#include "views/lookup/LookupFailedPage.h"
#include "views/lookup/LookupIdlePage.h"
#include "views/lookup/LookupLoadingPage.h"
#include "views/lookup/LookupReadyForAIPage.h"
#include "views/lookup/LookupResultPage.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QStackedWidget>
#include <QVBoxLayout>

LookupPanelView::LookupPanelView(std::shared_ptr<LookupViewModel> viewModel, UserSettings settings,
                                 LookupPanelStartAction startAction, SaveAction onSave, RemoveAction onRemove,
                                 IsSavedAction onIsSaved, PronunciationPlaybackController::Services pronunciation,
                                 QWidget *parent)
    : QWidget(parent),
      m_controller(new LookupPanelController(std::move(viewModel), std::move(settings), std::move(startAction),
                                             std::move(onSave), std::move(onRemove), std::move(onIsSaved),
                                             std::move(pronunciation), this)),
      m_pages(new QStackedWidget(this)),
      m_idlePage(new LookupIdlePage),
      m_capturingPage(new LookupCapturingPage),
      m_loadingPage(new LookupLoadingPage),
      m_resultPage(new LookupResultPage),
      m_readyPage(new LookupReadyForAIPage),
      m_failedPage(new LookupFailedPage)
{
    // Small enough for a laptop screen at twice the scale; the result page scrolls.
    setMinimumSize(320, 280);
    setAttribute(Qt::WA_StyledBackground);
    for (QWidget *page : std::initializer_list<QWidget *>{m_idlePage, m_capturingPage, m_loadingPage, m_resultPage,
                                                          m_readyPage, m_failedPage}) {
        m_pages->addWidget(page);
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    LookupPanelController *controller = m_controller;
    connect(m_idlePage, &LookupIdlePage::submitted, controller, &LookupPanelController::submit);
    connect(m_resultPage, &LookupResultPage::submitted, controller, &LookupPanelController::submit);
    connect(m_resultPage, &LookupResultPage::sourceToggleClicked, controller, &LookupPanelController::toggleSource);
    connect(m_resultPage, &LookupResultPage::saveClicked, controller, &LookupPanelController::toggleSaved);
    connect(m_resultPage, &LookupResultPage::pronounceClicked, controller, &LookupPanelController::pronounce);
    connect(m_resultPage, &LookupResultPage::copyClicked, this, &LookupPanelView::copyExplanation);
    connect(m_readyPage, &LookupReadyForAIPage::sourceToggleClicked, controller, &LookupPanelController::toggleSource);
    connect(m_failedPage, &LookupFailedPage::retryClicked, controller, &LookupPanelController::retry);

    connect(&controller->viewModel(), &LookupViewModel::stateChanged, this, &LookupPanelView::render);
    connect(&controller->saveState(), &LookupSaveStateController::stateChanged, this,
            &LookupPanelView::renderSaveButton);
    if (PronunciationPlaybackController *playback = controller->pronunciation())
        connect(playback, &PronunciationPlaybackController::stateChanged, this,
                &LookupPanelView::renderPronounceButton);
    render();
}

LookupPanelView::~LookupPanelView()
{
    // The cancellation reports back synchronously; this half-destroyed view must not hear it.
    disconnect(&m_controller->viewModel(), nullptr, this, nullptr);
    disconnect(&m_controller->saveState(), nullptr, this, nullptr);
    if (PronunciationPlaybackController *pronunciation = m_controller->pronunciation())
        disconnect(pronunciation, nullptr, this, nullptr);
    m_controller->cancel();
}

QWidget *LookupPanelView::currentPage() const
{
    return m_pages->currentWidget();
}

void LookupPanelView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_controller->start();
}

void LookupPanelView::closeEvent(QCloseEvent *event)
{
    cancelLookup();
    QWidget::closeEvent(event);
}

void LookupPanelView::cancelLookup()
{
    m_controller->cancel();
}

bool LookupPanelView::copyExplanation()
{
    const std::optional<QString> markdown = m_controller->explanationToCopy();
    if (!markdown) {
        return false;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(*markdown);
    // Another program may own the clipboard again at once; only a text that stuck counts.
    if (clipboard->text() != *markdown) {
        return false;
    }
    m_resultPage->showCopyFeedback();
    return true;
}

void LookupPanelView::setShownText(const QString &text)
{
    if (text == m_shownText) {
        return;
    }
    m_shownText = text;
    m_resultPage->setText(text);
}

void LookupPanelView::render()
{
    using Kind = LookupViewModel::State::Kind;
    const LookupViewModel::State &state = m_controller->viewModel().state();
    setShownText(LookupPanelController::shownText(state));

    switch (state.kind()) {
    case Kind::idle:
        m_pages->setCurrentWidget(m_idlePage);
        // Opened without a text, the panel is there to be typed into.
        m_idlePage->focusField();
        break;
    case Kind::capturingText:
        m_pages->setCurrentWidget(m_capturingPage);
        break;
    case Kind::loadingExplanation:
        m_loadingPage->setText(state.selectedText().value_or(QString()));
        m_loadingPage->setOfflineGlance(state.offlineGlance());
        m_pages->setCurrentWidget(m_loadingPage);
        break;
    case Kind::loadingDetailedExplanation: {
        const FastLookupResult &fast = *state.fastResult();
        m_resultPage->showResult(LookupResultSource::ai, fast.itemType, fast.displaySections(), false,
                                 m_controller->canSave());
        m_pages->setCurrentWidget(m_resultPage);
        break;
    }
    case Kind::loaded: {
        const LookupResult &result = *state.result();
        m_resultPage->showResult(result.source, result.itemType, result.displaySections(), true,
                                 m_controller->canSave(), m_controller->pronunciation() != nullptr);
        m_pages->setCurrentWidget(m_resultPage);
        break;
    }
    case Kind::readyForAILookup:
        m_readyPage->setContent(state.selectedText().value_or(QString()), state.message());
        m_pages->setCurrentWidget(m_readyPage);
        break;
    case Kind::failed:
        m_failedPage->setMessage(state.message());
        m_pages->setCurrentWidget(m_failedPage);
        break;
    }
    renderPronounceButton();
}

void LookupPanelView::renderSaveButton()
{
    const LookupSaveStateController &saveState = m_controller->saveState();
    QString message;
    if (m_controller->shownResult()) {
        const PronunciationPlaybackController *pronunciation = m_controller->pronunciation();
        if (saveState.state().kind() == LookupSaveStateController::State::Kind::failed)
            message = saveState.state().message();
        else if (pronunciation && pronunciation->state().kind() == PronunciationPlaybackController::State::Kind::failed)
            message = pronunciation->state().message();
    }
    m_resultPage->showSaveState(saveState.buttonAppearance(), message);
}

void LookupPanelView::renderPronounceButton()
{
    if (const PronunciationPlaybackController *pronunciation = m_controller->pronunciation())
        m_resultPage->showPronunciationState(pronunciation->buttonAppearance(), !pronunciation->isPlaybackDisabled());
    renderSaveButton();
}

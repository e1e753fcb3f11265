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
                                 IsSavedAction onIsSaved, QWidget *parent)
    : QWidget(parent),
      m_controller(new LookupPanelController(std::move(viewModel), std::move(settings), std::move(startAction),
                                             std::move(onSave), std::move(onRemove), std::move(onIsSaved), this)),
      m_pages(new QStackedWidget(this)),
      m_idlePage(new LookupIdlePage),
      m_capturingPage(new LookupCapturingPage),
      m_loadingPage(new LookupLoadingPage),
      m_resultPage(new LookupResultPage),
      m_readyPage(new LookupReadyForAIPage),
      m_failedPage(new LookupFailedPage)
{
    setMinimumSize(420, 420);
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
    connect(m_resultPage, &LookupResultPage::copyClicked, this, &LookupPanelView::copyExplanation);
    connect(m_readyPage, &LookupReadyForAIPage::sourceToggleClicked, controller, &LookupPanelController::toggleSource);
    connect(m_failedPage, &LookupFailedPage::retryClicked, controller, &LookupPanelController::retry);

    connect(&controller->viewModel(), &LookupViewModel::stateChanged, this, &LookupPanelView::render);
    connect(&controller->saveState(), &LookupSaveStateController::stateChanged, this,
            &LookupPanelView::renderSaveButton);
    render();
}

LookupPanelView::~LookupPanelView()
{
    // The cancellation reports back synchronously; this half-destroyed view must not hear it.
    disconnect(&m_controller->viewModel(), nullptr, this, nullptr);
    disconnect(&m_controller->saveState(), nullptr, this, nullptr);
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
                                 m_controller->canSave());
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
    renderSaveButton();
}

void LookupPanelView::renderSaveButton()
{
    const LookupSaveStateController &saveState = m_controller->saveState();
    const bool showsMessage =
        m_controller->shownResult() && saveState.state().kind() == LookupSaveStateController::State::Kind::failed;
    m_resultPage->showSaveState(saveState.buttonAppearance(), showsMessage ? saveState.state().message() : QString());
}

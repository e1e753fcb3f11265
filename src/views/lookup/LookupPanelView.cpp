#include "views/lookup/LookupPanelView.h"

#include "views/common/ActivityIndicator.h"
#include "views/lookup/AutoSizingLookupTextView.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/lookup/LookupTextField.h"
#include "views/common/PanelColors.h"
#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolButton.h"
#include "views/common/SymbolIcon.h"
#include "views/common/SymbolLabel.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kAISymbol = QStringLiteral("wand.and.stars.inverse");
const QString kDictionarySymbol = QStringLiteral("book");
const QString kSwitchToDictionaryHelp = QStringLiteral("切换到系统词典");
const QString kSwitchToAIHelp = QStringLiteral("切换到 AI 查词");
const QString kPlaceholder = QStringLiteral("输入后按回车查词");

// A page whose few items sit together in the middle, as a status screen.
QVBoxLayout *centredColumn(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(LookupPanelView::kPadding, LookupPanelView::kPadding, LookupPanelView::kPadding,
                               LookupPanelView::kPadding);
    layout->setSpacing(10);
    layout->addStretch(1);
    return layout;
}

QString capitalized(const QString &text)
{
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

} // namespace

LookupPanelView::LookupPanelView(std::shared_ptr<LookupViewModel> viewModel, UserSettings settings,
                                 LookupPanelStartAction startAction, SaveAction onSave, RemoveAction onRemove,
                                 IsSavedAction onIsSaved, QWidget *parent)
    : QWidget(parent),
      m_viewModel(std::move(viewModel)),
      m_settings(std::move(settings)),
      m_startAction(std::move(startAction)),
      m_onSave(std::move(onSave)),
      m_onRemove(std::move(onRemove)),
      m_onIsSaved(std::move(onIsSaved)),
      m_saveStateController(new LookupSaveStateController(this))
{
    Q_ASSERT(m_viewModel);
    setMinimumSize(420, 420);
    setAttribute(Qt::WA_StyledBackground);

    m_pages = new QStackedWidget(this);
    m_idlePage = buildIdlePage();
    m_capturingPage = buildCapturingPage();
    m_loadingPage = buildLoadingPage();
    m_resultPage = buildResultPage();
    m_readyPage = buildReadyForAILookupPage();
    m_failedPage = buildFailedPage();
    for (QWidget *page : {m_idlePage, m_capturingPage, m_loadingPage, m_resultPage, m_readyPage, m_failedPage}) {
        m_pages->addWidget(page);
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    m_copyFeedbackTimer.setSingleShot(true);
    m_copyFeedbackTimer.setInterval(kDefaultCopyFeedbackDuration);
    connect(&m_copyFeedbackTimer, &QTimer::timeout, this, [this] {
        m_copyFeedbackMessage.reset();
        m_copyFeedbackLabel->setVisible(false);
        emit copyFeedbackChanged();
    });

    connect(m_viewModel.get(), &LookupViewModel::stateChanged, this, &LookupPanelView::render);
    connect(m_saveStateController, &LookupSaveStateController::stateChanged, this,
            &LookupPanelView::renderSaveButton);
    render();
    renderSaveButton();
}

LookupPanelView::~LookupPanelView()
{
    // The cancellation reports back synchronously; this half-destroyed view must not hear it.
    disconnect(m_viewModel.get(), nullptr, this, nullptr);
    m_viewModel->cancel();
}

QWidget *LookupPanelView::buildIdlePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("idlePage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    m_idleField = new LookupTextField(page);
    m_idleField->setPlaceholderText(kPlaceholder);
    connect(m_idleField, &LookupTextField::submitted, this, &LookupPanelView::submitLookupInput);
    layout->addWidget(m_idleField);
    layout->addStretch(1);
    return page;
}

QWidget *LookupPanelView::buildCapturingPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("capturingPage"));
    QVBoxLayout *layout = centredColumn(page);
    layout->addWidget(new ActivityIndicator(26, page), 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    QLabel *title = makePlainTextLabel(QStringLiteral("正在读取选中文本"), 17, QFont::DemiBold, page);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    QLabel *detail = makePlainTextLabel(QStringLiteral("会短暂使用剪贴板完成捕获"), 13, QFont::Normal, page,
                               PanelColors::secondaryLabel());
    detail->setAlignment(Qt::AlignCenter);
    layout->addWidget(detail);
    layout->addStretch(1);
    return page;
}

QWidget *LookupPanelView::buildLoadingPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("loadingPage"));
    QVBoxLayout *layout = centredColumn(page);
    layout->addWidget(new ActivityIndicator(26, page), 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    QLabel *title = makePlainTextLabel(QStringLiteral("正在生成解释"), 17, QFont::DemiBold, page);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_loadingText = makePlainTextLabel(QString(), LookupTextField::fontSize({}), QFont::Normal, page);
    m_loadingText->setAlignment(Qt::AlignCenter);
    m_loadingText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_loadingText);
    auto *source = new SymbolLabel(page);
    source->setSymbol(kAISymbol);
    source->setText(QStringLiteral("AI 查词"));
    layout->addWidget(source, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

QWidget *LookupPanelView::buildResultPage()
{
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("resultPage"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll area paints nothing of its own, so the page colour shows through; a slim
    // scroll bar keeps the explanation from looking boxed in.
    scroll->viewport()->setAutoFillBackground(false);
    // Styled on the bar alone: a style sheet on the scroll area would repaint it in the
    // default window colour instead of the page's.
    scroll->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; }"
        "QScrollBar::handle:vertical { background: rgba(0, 0, 0, 70); border-radius: 3px; min-height: 30px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));

    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(12);

    m_resultField = new LookupTextField(content);
    m_resultField->setPlaceholderText(kPlaceholder);
    connect(m_resultField, &LookupTextField::submitted, this, &LookupPanelView::submitLookupInput);
    layout->addWidget(m_resultField);

    auto *metadataRow = new QHBoxLayout;
    metadataRow->setSpacing(2);
    m_metadataLabel = new SymbolLabel(content);
    metadataRow->addWidget(m_metadataLabel);
    metadataRow->addStretch(1);
    m_copyFeedbackLabel = makePlainTextLabel(QStringLiteral("已复制"), 13, QFont::Medium, content, PanelColors::secondaryLabel());
    m_copyFeedbackLabel->setWordWrap(false);
    m_copyFeedbackLabel->setVisible(false);
    metadataRow->addWidget(m_copyFeedbackLabel);
    metadataRow->addSpacing(4);
    m_sourceToggleButton = new SymbolButton(content);
    connect(m_sourceToggleButton, &QToolButton::clicked, this, &LookupPanelView::toggleLookupSource);
    metadataRow->addWidget(m_sourceToggleButton);
    m_saveButton = new SymbolButton(content);
    connect(m_saveButton, &QToolButton::clicked, this, &LookupPanelView::toggleSaved);
    metadataRow->addWidget(m_saveButton);
    m_copyButton = new SymbolButton(QStringLiteral("doc.on.doc"), QStringLiteral("复制解释"), content);
    connect(m_copyButton, &QToolButton::clicked, this, &LookupPanelView::copyExplanation);
    metadataRow->addWidget(m_copyButton);
    layout->addLayout(metadataRow);

    m_detailNotice = new QWidget(content);
    auto *noticeRow = new QHBoxLayout(m_detailNotice);
    noticeRow->setContentsMargins(0, 0, 0, 0);
    noticeRow->setSpacing(8);
    noticeRow->addWidget(new ActivityIndicator(14, m_detailNotice));
    noticeRow->addWidget(makePlainTextLabel(QStringLiteral("正在补全详细解释"), 13, QFont::Normal, m_detailNotice,
                                   PanelColors::secondaryLabel()));
    noticeRow->addStretch(1);
    layout->addWidget(m_detailNotice);

    m_saveMessage = makePlainTextLabel(QString(), 13, QFont::Normal, content, PanelColors::errorText());
    m_saveMessage->setVisible(false);
    layout->addWidget(m_saveMessage);

    m_sectionsView = new LookupExplanationSectionsView(content);
    layout->addSpacing(4);
    layout->addWidget(m_sectionsView);
    layout->addStretch(1);

    scroll->setWidget(content);
    return scroll;
}

QWidget *LookupPanelView::buildReadyForAILookupPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("readyForAILookupPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(12);
    m_readyText = makePlainTextLabel(QString(), LookupTextField::fontSize({}), QFont::Normal, page);
    m_readyText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_readyText);

    auto *sourceRow = new QHBoxLayout;
    auto *source = new SymbolLabel(page);
    source->setSymbol(kDictionarySymbol);
    source->setText(QStringLiteral("系统词典"));
    sourceRow->addWidget(source);
    sourceRow->addStretch(1);
    m_readyToggleButton = new SymbolButton(kAISymbol, kSwitchToAIHelp, page);
    connect(m_readyToggleButton, &QToolButton::clicked, this, &LookupPanelView::toggleLookupSource);
    sourceRow->addWidget(m_readyToggleButton);
    layout->addLayout(sourceRow);

    m_readyMessage = makePlainTextLabel(QString(), 15, QFont::Normal, page);
    m_readyMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_readyMessage);
    layout->addStretch(1);
    return page;
}

QWidget *LookupPanelView::buildFailedPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("failedPage"));
    QVBoxLayout *layout = centredColumn(page);
    auto *icon = new QLabel(page);
    icon->setPixmap(SymbolIcon::icon(QStringLiteral("exclamationmark.triangle"), QColor(230, 126, 0))
                        .pixmap(QSize(40, 40), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    QLabel *title = makePlainTextLabel(QStringLiteral("查词失败"), 17, QFont::DemiBold, page);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_failedMessage = makePlainTextLabel(QString(), 14, QFont::Normal, page, PanelColors::secondaryLabel());
    m_failedMessage->setAlignment(Qt::AlignCenter);
    m_failedMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_failedMessage);
    layout->addSpacing(6);
    m_retryButton = new QPushButton(SymbolIcon::icon(QStringLiteral("arrow.clockwise")), QStringLiteral("重试"), page);
    m_retryButton->setToolTip(QStringLiteral("重试"));
    m_retryButton->setCursor(Qt::PointingHandCursor);
    connect(m_retryButton, &QPushButton::clicked, this, &LookupPanelView::retry);
    layout->addWidget(m_retryButton, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

QWidget *LookupPanelView::currentPage() const
{
    return m_pages->currentWidget();
}

void LookupPanelView::setCopyFeedbackDuration(std::chrono::milliseconds duration)
{
    m_copyFeedbackTimer.setInterval(duration);
}

void LookupPanelView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        runStartAction();
    }
}

void LookupPanelView::closeEvent(QCloseEvent *event)
{
    cancelLookup();
    QWidget::closeEvent(event);
}

void LookupPanelView::runStartAction()
{
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

void LookupPanelView::cancelLookup()
{
    m_viewModel->cancel();
}

bool LookupPanelView::submitLookupInput(const QString &currentText)
{
    const QString text = currentText.trimmed();
    if (text.isEmpty() || text == m_shownText) {
        return false;
    }
    m_viewModel->lookupWithAI(text, m_settings);
    return true;
}

void LookupPanelView::toggleLookupSource()
{
    const LookupViewModel::State &state = m_viewModel->state();
    switch (state.kind()) {
    case LookupViewModel::State::Kind::loaded:
        if (state.result()->source == LookupResultSource::ai) {
            m_viewModel->lookupWithSystemDictionary(state.result()->selectedText, m_settings);
        } else {
            m_viewModel->lookupWithAI(state.result()->selectedText, m_settings);
        }
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

void LookupPanelView::retry()
{
    m_viewModel->retry(m_settings);
}

bool LookupPanelView::copyExplanation()
{
    const LookupViewModel::State &state = m_viewModel->state();
    if (state.kind() != LookupViewModel::State::Kind::loaded) {
        return false;
    }
    const QString markdown = state.result()->markdownExplanation();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(markdown);
    // Another program may own the clipboard again at once; only a text that stuck counts.
    if (clipboard->text() != markdown) {
        return false;
    }
    m_copyFeedbackMessage = QStringLiteral("已复制");
    m_copyFeedbackLabel->setVisible(true);
    m_copyFeedbackTimer.start();
    emit copyFeedbackChanged();
    return true;
}

void LookupPanelView::toggleSaved()
{
    if (!m_shownResult || !m_onSave || !m_onRemove) {
        return;
    }
    toggleSavedAndResync(*m_shownResult);
}

QCoro::Task<void> LookupPanelView::toggleSavedAndResync(LookupResult result)
{
    QPointer<LookupPanelView> self(this);
    co_await m_saveStateController->toggle(result, m_onSave, m_onRemove);
    // A refresh for a result shown meanwhile was skipped while the press ran; without this
    // the button would show the pressed result's state against the new one.
    if (self && m_onIsSaved && m_shownResult && *m_shownResult != result) {
        co_await m_saveStateController->refresh(*m_shownResult, m_onIsSaved);
    }
}

void LookupPanelView::setShownText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_shownText) {
        return;
    }
    m_shownText = trimmed;
    m_resultField->setText(trimmed);
    if (auto *scroll = qobject_cast<QScrollArea *>(m_resultPage)) {
        scroll->verticalScrollBar()->setValue(0);
    }
}

void LookupPanelView::render()
{
    using Kind = LookupViewModel::State::Kind;
    const LookupViewModel::State &state = m_viewModel->state();
    if (state.kind() != Kind::loaded) {
        m_shownResult.reset();
    }

    switch (state.kind()) {
    case Kind::idle:
        setShownText(QString());
        m_pages->setCurrentWidget(m_idlePage);
        // Opened without a text, the panel is there to be typed into.
        m_idleField->textView()->setFocus(Qt::OtherFocusReason);
        break;
    case Kind::capturingText:
        setShownText(QString());
        m_pages->setCurrentWidget(m_capturingPage);
        break;
    case Kind::loadingExplanation: {
        const QString text = state.selectedText().value_or(QString());
        setShownText(text);
        m_loadingText->setText(text);
        QFont font = m_loadingText->font();
        font.setPixelSize(LookupTextField::fontSize(text));
        m_loadingText->setFont(font);
        m_pages->setCurrentWidget(m_loadingPage);
        break;
    }
    case Kind::loadingDetailedExplanation: {
        const FastLookupResult &fast = *state.fastResult();
        renderResult(fast.selectedText, LookupResultSource::ai, fast.itemType, fast.displaySections(), false);
        break;
    }
    case Kind::loaded: {
        const LookupResult &result = *state.result();
        renderResult(result.selectedText, result.source, result.itemType, result.displaySections(), true);
        if (!m_shownResult || *m_shownResult != result) {
            m_shownResult = result;
            if (m_onIsSaved) {
                m_saveStateController->refresh(result, m_onIsSaved);
            }
        }
        break;
    }
    case Kind::readyForAILookup: {
        const QString text = state.selectedText().value_or(QString());
        setShownText(text);
        m_readyText->setText(text);
        QFont font = m_readyText->font();
        font.setPixelSize(LookupTextField::fontSize(text));
        m_readyText->setFont(font);
        m_readyMessage->setText(state.message());
        m_pages->setCurrentWidget(m_readyPage);
        break;
    }
    case Kind::failed:
        setShownText(state.selectedText().value_or(QString()));
        m_failedMessage->setText(state.message());
        m_pages->setCurrentWidget(m_failedPage);
        break;
    }
    renderSaveButton();
}

void LookupPanelView::renderResult(const QString &selectedText, LookupResultSource source, LearningItemType itemType,
                                   const QList<LookupResultDisplaySection> &sections, bool isFinal)
{
    setShownText(selectedText);
    const bool fromAI = source == LookupResultSource::ai;
    m_metadataLabel->setSymbol(fromAI ? kAISymbol : kDictionarySymbol);
    m_metadataLabel->setText(fromAI ? capitalized(rawValue(itemType)) : QStringLiteral("系统词典"));
    m_sourceToggleButton->setSymbol(fromAI ? kDictionarySymbol : kAISymbol);
    m_sourceToggleButton->setHelpText(fromAI ? kSwitchToDictionaryHelp : kSwitchToAIHelp);

    m_copyButton->setVisible(isFinal);
    m_saveButton->setVisible(isFinal && m_onSave && m_onRemove);
    m_copyFeedbackLabel->setVisible(isFinal && m_copyFeedbackMessage.has_value());
    m_detailNotice->setVisible(!isFinal);
    m_sectionsView->setSections(sections);
    m_pages->setCurrentWidget(m_resultPage);
}

void LookupPanelView::renderSaveButton()
{
    const LookupSaveStateController::ButtonAppearance appearance = m_saveStateController->buttonAppearance();
    m_saveButton->setSymbol(appearance.symbolName,
                            appearance.highlighted ? std::optional<QColor>(PanelColors::savedStar()) : std::nullopt);
    m_saveButton->setHelpText(appearance.tooltip);

    const LookupSaveStateController::State &saveState = m_saveStateController->state();
    const bool showsMessage = m_shownResult && saveState.kind() == LookupSaveStateController::State::Kind::failed;
    m_saveMessage->setText(showsMessage ? saveState.message() : QString());
    m_saveMessage->setVisible(showsMessage);
}

#include "views/lookup/LookupResultPage.h"

#include "views/common/ActivityIndicator.h"
#include "views/common/PanelTheme.h"
#include "views/common/PlainTextLabel.h"
#include "views/common/SymbolButton.h"
#include "views/common/SymbolLabel.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/lookup/LookupPanelPage.h"
#include "views/lookup/LookupTextField.h"

#include <QHBoxLayout>
#include <QScrollBar>

namespace {

QString capitalized(const QString &text)
{
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

} // namespace

LookupResultPage::LookupResultPage(QWidget *parent) : QScrollArea(parent)
{
    using LookupPanelPage::kPadding;
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll area paints nothing of its own, so the page colour shows through; a slim
    // scroll bar keeps the explanation from looking boxed in.
    viewport()->setAutoFillBackground(false);
    // Styled on the bar alone: a style sheet on the scroll area would repaint it in the
    // default window colour instead of the page's.
    PanelTheme::setStyleSheet(verticalScrollBar(), QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; }"
        "QScrollBar::handle:vertical { background: @border; border-radius: 3px; min-height: 30px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));

    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(12);

    m_field = new LookupTextField(content);
    m_field->setPlaceholderText(LookupPanelPage::kPlaceholder);
    connect(m_field, &LookupTextField::submitted, this, &LookupResultPage::submitted);
    layout->addWidget(m_field);

    auto *metadataRow = new QHBoxLayout;
    metadataRow->setSpacing(2);
    m_metadataLabel = new SymbolLabel(content);
    metadataRow->addWidget(m_metadataLabel);
    metadataRow->addStretch(1);
    m_copyFeedbackLabel =
        makePlainTextLabel(QStringLiteral("已复制"), 13, QFont::Medium, content, PanelColors::Role::secondaryLabel);
    m_copyFeedbackLabel->setWordWrap(false);
    m_copyFeedbackLabel->setVisible(false);
    metadataRow->addWidget(m_copyFeedbackLabel);
    metadataRow->addSpacing(4);
    m_sourceToggleButton = new SymbolButton(content);
    connect(m_sourceToggleButton, &QToolButton::clicked, this, &LookupResultPage::sourceToggleClicked);
    metadataRow->addWidget(m_sourceToggleButton);
    m_pronounceButton = new SymbolButton(content);
    connect(m_pronounceButton, &QToolButton::clicked, this, &LookupResultPage::pronounceClicked);
    metadataRow->addWidget(m_pronounceButton);
    m_saveButton = new SymbolButton(content);
    connect(m_saveButton, &QToolButton::clicked, this, &LookupResultPage::saveClicked);
    metadataRow->addWidget(m_saveButton);
    m_copyButton = new SymbolButton(QStringLiteral("doc.on.doc"), QStringLiteral("复制解释"), content);
    connect(m_copyButton, &QToolButton::clicked, this, &LookupResultPage::copyClicked);
    metadataRow->addWidget(m_copyButton);
    layout->addLayout(metadataRow);

    m_detailNotice = new QWidget(content);
    auto *noticeRow = new QHBoxLayout(m_detailNotice);
    noticeRow->setContentsMargins(0, 0, 0, 0);
    noticeRow->setSpacing(8);
    noticeRow->addWidget(new ActivityIndicator(14, m_detailNotice));
    noticeRow->addWidget(makePlainTextLabel(QStringLiteral("正在补全详细解释"), 13, QFont::Normal, m_detailNotice,
                                            PanelColors::Role::secondaryLabel));
    noticeRow->addStretch(1);
    layout->addWidget(m_detailNotice);

    m_saveMessage = makePlainTextLabel(QString(), 13, QFont::Normal, content, PanelColors::Role::errorText);
    m_saveMessage->setVisible(false);
    layout->addWidget(m_saveMessage);

    m_sectionsView = new LookupExplanationSectionsView(content);
    layout->addSpacing(4);
    layout->addWidget(m_sectionsView);
    layout->addStretch(1);
    setWidget(content);

    m_copyFeedbackTimer.setSingleShot(true);
    m_copyFeedbackTimer.setInterval(kCopyFeedbackDuration);
    connect(&m_copyFeedbackTimer, &QTimer::timeout, this, [this] { m_copyFeedbackLabel->setVisible(false); });
}

void LookupResultPage::setText(const QString &text)
{
    m_field->setText(text);
    verticalScrollBar()->setValue(0);
}

void LookupResultPage::showResult(LookupResultSource source, LearningItemType itemType,
                                  const QList<LookupResultDisplaySection> &sections, bool isFinal, bool canSave,
                                  bool canPronounce)
{
    using namespace LookupPanelPage;
    const bool fromAI = source == LookupResultSource::ai;
    m_metadataLabel->setSymbol(fromAI ? kAISymbol : kDictionarySymbol);
    m_metadataLabel->setText(fromAI ? capitalized(rawValue(itemType)) : QStringLiteral("系统词典"));
    m_sourceToggleButton->setSymbol(fromAI ? kDictionarySymbol : kAISymbol);
    m_sourceToggleButton->setHelpText(fromAI ? kSwitchToDictionaryHelp : kSwitchToAIHelp);

    m_copyButton->setVisible(isFinal);
    m_pronounceButton->setVisible(isFinal && canPronounce);
    m_saveButton->setVisible(isFinal && canSave);
    m_copyFeedbackLabel->setVisible(isFinal && m_copyFeedbackTimer.isActive());
    m_detailNotice->setVisible(!isFinal);
    m_sectionsView->setSections(sections);
}

void LookupResultPage::showSaveState(const LookupSaveStateController::ButtonAppearance &appearance,
                                     const QString &message)
{
    m_saveButton->setSymbol(appearance.symbolName,
                            appearance.highlighted ? PanelColors::Role::savedStar : PanelColors::Role::label);
    m_saveButton->setHelpText(appearance.tooltip);
    m_saveMessage->setText(message);
    m_saveMessage->setVisible(!message.isEmpty());
}

void LookupResultPage::showPronunciationState(const PronunciationPlaybackController::ButtonAppearance &appearance,
                                              bool enabled)
{
    m_pronounceButton->setSymbol(appearance.symbolName);
    m_pronounceButton->setHelpText(appearance.tooltip);
    m_pronounceButton->setEnabled(enabled);
}

void LookupResultPage::showCopyFeedback()
{
    m_copyFeedbackLabel->setVisible(true);
    m_copyFeedbackTimer.start();
}

#include "views/review/ReviewWindow.h"

#include "lookup/MarkdownExplanationParser.h"
#include "collection/LearningItemStore.h"
#include "views/common/ContentUnavailableView.h"
#include "views/lookup/LookupExplanationSectionsView.h"
#include "views/common/PanelTheme.h"
#include "views/common/PanelWindowSetup.h"
#include "views/common/PlainTextLabel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace {

constexpr int kButtonHeight = 32;

struct Grade {
    ReviewResult result;
    const char16_t *title;
    Qt::Key key;
};

constexpr std::array<Grade, 4> kGrades{{
    {ReviewResult::forgot, u"忘记", Qt::Key_1},
    {ReviewResult::hard, u"困难", Qt::Key_2},
    {ReviewResult::good, u"良好", Qt::Key_3},
    {ReviewResult::easy, u"简单", Qt::Key_4},
}};

} // namespace

ReviewWindow::StoreFactory ReviewWindow::storeFactory(ModelContext &context, AppNotificationCenter &notifications)
{
    return [&context, &notifications]() -> std::unique_ptr<ReviewLearningItemStoring> {
        return std::make_unique<LearningItemStore>(context, notifications);
    };
}

ReviewWindow::ReviewWindow(StoreFactory makeStore, std::unique_ptr<ReviewViewModel> viewModel, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      m_makeStore(std::move(makeStore)),
      m_viewModel(viewModel ? std::move(viewModel) : std::make_unique<ReviewViewModel>()),
      m_pages(new QStackedWidget(this)),
      m_placeholder(new ContentUnavailableView(this))
{
    Q_ASSERT(m_makeStore);
    setUpPanelWindow(this, QStringLiteral("复习"), kSize, kMinimumSize);

    m_placeholder->setObjectName(QStringLiteral("reviewPlaceholder"));
    m_placeholder->setActionText(QStringLiteral("重新加载"));
    connect(m_placeholder, &ContentUnavailableView::actionTriggered, this, &ReviewWindow::load);
    m_pages->addWidget(m_placeholder);
    m_itemPage = buildItemPage();
    m_pages->addWidget(m_itemPage);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->addWidget(m_pages);

    // Space and Return reveal the answer, 1 to 4 grade it: the whole session by keyboard.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_Return),
                                    QKeySequence(Qt::Key_Enter)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, &ReviewWindow::showAnswer);
    }
    for (const Grade &grade : kGrades) {
        const ReviewResult result = grade.result;
        connect(new QShortcut(QKeySequence(grade.key), this), &QShortcut::activated, this, [this, result] {
            if (m_viewModel->answerVisible()) {
                submit(result);
            }
        });
    }

    for (auto signal : {&ReviewViewModel::dueItemsChanged, &ReviewViewModel::currentIndexChanged,
                        &ReviewViewModel::answerVisibleChanged, &ReviewViewModel::errorMessageChanged}) {
        connect(m_viewModel.get(), signal, this, &ReviewWindow::render);
    }
    render();
}

ReviewWindow::~ReviewWindow() = default;

QWidget *ReviewWindow::buildItemPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("itemPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    QLabel *caption = makePlainTextLabel(QString(), 14, QFont::DemiBold, page, PanelColors::Role::secondaryLabel);
    caption->setText(QStringLiteral("复习"));
    layout->addWidget(caption);
    m_textLabel = makePlainTextLabel(QString(), 26, QFont::DemiBold, page);
    m_textLabel->setObjectName(QStringLiteral("itemText"));
    m_textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_textLabel);
    auto *divider = new QFrame(page);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    layout->addWidget(divider);

    m_answerButtons = new QWidget(page);
    auto *answerRow = new QHBoxLayout(m_answerButtons);
    answerRow->setContentsMargins(0, 4, 0, 0);
    m_showAnswerButton = new QPushButton(QStringLiteral("显示答案"), m_answerButtons);
    m_showAnswerButton->setDefault(true);
    m_rememberButton = new QPushButton(QStringLiteral("记住，下一个"), m_answerButtons);
    connect(m_showAnswerButton, &QPushButton::clicked, this, &ReviewWindow::showAnswer);
    connect(m_rememberButton, &QPushButton::clicked, this, &ReviewWindow::rememberAndAdvance);
    // The default action stands out in the desktop's highlight colour, which is readable on
    // the page and so the page's colour is readable on it.
    PanelTheme::setStyleSheet(m_showAnswerButton,
                              QStringLiteral("QPushButton { background: @accent; color: @page; border: none;"
                                             " border-radius: 6px; padding: 0 18px; }"
                                             "QPushButton:pressed { border: 2px solid @border; }"));
    for (QPushButton *button : {m_showAnswerButton, m_rememberButton}) {
        button->setMinimumHeight(kButtonHeight);
        button->setMinimumWidth(button->sizeHint().width() + 28);
        answerRow->addWidget(button);
    }
    answerRow->addStretch(1);
    layout->addWidget(m_answerButtons);

    m_explanationScrollArea = new QScrollArea(page);
    m_explanationScrollArea->setFrameShape(QFrame::NoFrame);
    m_explanationScrollArea->setWidgetResizable(true);
    m_explanationScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_explanationScrollArea->viewport()->setAutoFillBackground(false);
    m_explanationView = new LookupExplanationSectionsView;
    auto *explanationPage = new QWidget;
    explanationPage->setAutoFillBackground(false);
    auto *explanationLayout = new QVBoxLayout(explanationPage);
    explanationLayout->setContentsMargins(0, 0, 8, 0);
    explanationLayout->addWidget(m_explanationView);
    explanationLayout->addStretch(1);
    m_explanationScrollArea->setWidget(explanationPage);
    layout->addWidget(m_explanationScrollArea, 1);
    // Keeps the grade row at the bottom while the answer is hidden.
    layout->addStretch(0);

    m_errorLabel = makePlainTextLabel(QString(), 13, QFont::Normal, page, PanelColors::Role::errorText);
    m_errorLabel->setObjectName(QStringLiteral("errorLine"));
    layout->addWidget(m_errorLabel);

    auto *gradeRow = new QHBoxLayout;
    gradeRow->setSpacing(8);
    for (const Grade &grade : kGrades) {
        auto *button = new QPushButton(QString::fromUtf16(grade.title), page);
        button->setToolTip(QString::number(m_gradeButtons.size() + 1));
        const ReviewResult result = grade.result;
        connect(button, &QPushButton::clicked, this, [this, result] { submit(result); });
        button->setMinimumHeight(kButtonHeight);
        gradeRow->addWidget(button, 1);
        m_gradeButtons.append(button);
    }
    layout->addLayout(gradeRow);
    return page;
}

void ReviewWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        load();
    }
}

void ReviewWindow::load()
{
    std::unique_ptr<ReviewLearningItemStoring> store = m_makeStore();
    m_viewModel->load(*store);
}

void ReviewWindow::showAnswer()
{
    if (m_viewModel->currentItem()) {
        m_viewModel->setAnswerVisible(true);
    }
}

void ReviewWindow::rememberAndAdvance()
{
    std::unique_ptr<ReviewLearningItemStoring> store = m_makeStore();
    m_viewModel->rememberAndAdvance(*store);
}

void ReviewWindow::submit(ReviewResult result)
{
    std::unique_ptr<ReviewLearningItemStoring> store = m_makeStore();
    m_viewModel->submit(result, *store);
}

void ReviewWindow::render()
{
    const std::shared_ptr<LearningItem> item = m_viewModel->currentItem();
    const std::optional<QString> error = m_viewModel->errorMessage();
    if (!item) {
        m_renderedItem.reset();
        if (error) {
            m_placeholder->setSymbol(QStringLiteral("exclamationmark.triangle"));
            m_placeholder->setTitle(QStringLiteral("复习内容加载失败"));
            m_placeholder->setDescription(*error);
        } else {
            m_placeholder->setSymbol(QStringLiteral("checkmark.circle"));
            m_placeholder->setTitle(QStringLiteral("今天没有待复习内容"));
            m_placeholder->setDescription(QStringLiteral("先在查词结果中保存单词，或稍后再来复习。"));
        }
        m_pages->setCurrentWidget(m_placeholder);
        return;
    }

    const bool answerVisible = m_viewModel->answerVisible();
    m_textLabel->setText(item->text);
    m_answerButtons->setVisible(!answerVisible);
    m_explanationScrollArea->setVisible(answerVisible);
    if (answerVisible && m_renderedItem != item) {
        m_renderedItem = item;
        m_explanationView->setSections(MarkdownExplanationParser::parse(item->explanation));
        m_explanationScrollArea->verticalScrollBar()->setValue(0);
    } else if (!answerVisible) {
        m_renderedItem.reset();
    }
    m_errorLabel->setText(error.value_or(QString()));
    m_errorLabel->setVisible(error.has_value());
    for (QPushButton *button : std::as_const(m_gradeButtons)) {
        button->setEnabled(answerVisible);
    }
    m_pages->setCurrentWidget(m_itemPage);
    if (!answerVisible) {
        m_showAnswerButton->setFocus();
    }
}

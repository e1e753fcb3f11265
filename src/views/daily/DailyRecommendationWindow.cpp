#include "views/daily/DailyRecommendationWindow.h"

#include "viewmodels/daily/DailyRecommendationViewModel.h"
#include "views/common/ActivityIndicator.h"
#include "views/common/ContentUnavailableView.h"
#include "views/common/PanelColors.h"
#include "views/common/PanelWindowSetup.h"
#include "views/common/PlainTextLabel.h"
#include "views/daily/DailyRecommendationArticleView.h"
#include "views/daily/DailyRecommendationHistorySidebar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

DailyRecommendationWindow::DailyRecommendationWindow(std::unique_ptr<DailyRecommendationViewModel> viewModel,
                                                     std::function<bool()> isSelectionBadgeEnabled,
                                                     std::function<void(const QString &)> onLookupRequested,
                                                     QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_viewModel(std::move(viewModel)),
      m_sidebar(new DailyRecommendationHistorySidebar(this)),
      m_detail(new QStackedWidget(this)),
      m_failurePlaceholder(new ContentUnavailableView(m_detail)),
      m_articleScrollArea(new QScrollArea(m_detail)),
      m_articleView(new DailyRecommendationArticleView(std::move(isSelectionBadgeEnabled), std::move(onLookupRequested)))
{
    Q_ASSERT(m_viewModel);
    setUpPanelWindow(this, QStringLiteral("今日英文推荐"), kSize, kMinimumSize);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_sidebar);
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    layout->addWidget(divider);
    layout->addWidget(m_detail, 1);

    m_detail->addWidget(buildLoadingPage());
    m_failurePlaceholder->setSymbol(QStringLiteral("exclamationmark.triangle"));
    m_failurePlaceholder->setTitle(QStringLiteral("文章生成失败"));
    m_failurePlaceholder->setActionText(QStringLiteral("重试"));
    m_detail->addWidget(m_failurePlaceholder);
    m_articleScrollArea->setFrameShape(QFrame::NoFrame);
    m_articleScrollArea->setWidgetResizable(true);
    m_articleScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_articleScrollArea->viewport()->setAutoFillBackground(false);
    m_articleView->setAutoFillBackground(false);
    m_articleScrollArea->setWidget(m_articleView);
    m_detail->addWidget(m_articleScrollArea);

    DailyRecommendationViewModel *model = m_viewModel.get();
    connect(m_failurePlaceholder, &ContentUnavailableView::actionTriggered, this, [model] { model->load(true); });
    connect(m_articleView, &DailyRecommendationArticleView::refreshRequested, this, [model] { model->load(true); });
    connect(m_sidebar, &DailyRecommendationHistorySidebar::historySelected, this,
            [model](const QString &id) { model->selectHistory(id); });
    connect(model, &DailyRecommendationViewModel::stateChanged, this, &DailyRecommendationWindow::render);
    connect(model, &DailyRecommendationViewModel::selectionChanged, this, &DailyRecommendationWindow::renderSelection);
    connect(model, &DailyRecommendationViewModel::historyChanged, this, [this] {
        m_sidebar->setHistory(m_viewModel->historyDays(), m_viewModel->timeZone());
        renderSelection();
    });
    m_sidebar->setHistory({}, m_viewModel->timeZone());
    render();
}

DailyRecommendationWindow::~DailyRecommendationWindow()
{
    // Whatever the view model reports while it cancels must not reach half-destroyed pages.
    disconnect(m_viewModel.get(), nullptr, this, nullptr);
}

QWidget *DailyRecommendationWindow::currentDetailPage() const { return m_detail->currentWidget(); }

QWidget *DailyRecommendationWindow::buildLoadingPage()
{
    m_loadingPage = new QWidget(m_detail);
    auto *layout = new QVBoxLayout(m_loadingPage);
    layout->setSpacing(14);
    layout->addStretch(1);
    layout->addWidget(new ActivityIndicator(26, m_loadingPage), 0, Qt::AlignHCenter);
    QLabel *title = makePlainTextLabel(QStringLiteral("正在准备今日英文文章"), 15, QFont::DemiBold, m_loadingPage);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    m_loadingDifficulty =
        makePlainTextLabel(QString(), 13, QFont::Normal, m_loadingPage, PanelColors::Role::secondaryLabel);
    m_loadingDifficulty->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_loadingDifficulty);
    layout->addStretch(1);
    return m_loadingPage;
}

void DailyRecommendationWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_didStartLoading) {
        m_didStartLoading = true;
        m_viewModel->load(false);
    }
}

void DailyRecommendationWindow::render()
{
    using Kind = DailyRecommendationViewModel::State::Kind;
    const DailyRecommendationViewModel::State &state = m_viewModel->state();
    switch (state.kind()) {
    case Kind::idle:
    case Kind::loading:
        m_loadingDifficulty->setText(QStringLiteral("难度：") + title(m_viewModel->difficulty()));
        m_detail->setCurrentWidget(m_loadingPage);
        break;
    case Kind::failed:
        m_failurePlaceholder->setDescription(state.message());
        m_detail->setCurrentWidget(m_failurePlaceholder);
        break;
    case Kind::loaded:
        if (m_articleView->recommendation() != state.recommendation()) {
            m_articleView->setRecommendation(*state.recommendation());
            m_articleScrollArea->verticalScrollBar()->setValue(0);
        }
        m_detail->setCurrentWidget(m_articleScrollArea);
        break;
    }
    renderSelection();
}

void DailyRecommendationWindow::renderSelection()
{
    m_sidebar->setSelectedID(m_viewModel->selectedHistoryID());
    m_articleView->setSubtitle(m_viewModel->recommendationSubtitle());
    m_articleView->setRefreshVisible(m_viewModel->canRefreshDisplayedRecommendation());
}

#pragma once

#include "review/ReviewResult.h"
#include "review/ReviewLearningItemStoring.h"
#include "viewmodels/review/ReviewViewModel.h"

#include <QList>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class ContentUnavailableView;
class LookupExplanationSectionsView;
class AppNotificationCenter;
class ModelContext;

// The floating review window "复习": one due item at a time, its explanation on request, and
// the four answers that reschedule it. Loads the items due when it is shown; when the queue
// is done, or could not be read, a placeholder offers to load again.
class ReviewWindow : public QWidget {
    Q_OBJECT

public:
    // Makes a store over the application's collection, once per load and per answer.
    using StoreFactory = std::function<std::unique_ptr<ReviewLearningItemStoring>()>;

    static constexpr QSize kSize{620, 500};
    static constexpr QSize kMinimumSize{520, 420};
    static constexpr int kPadding = 24;

    static StoreFactory storeFactory(ModelContext &context, AppNotificationCenter &notifications);

    // `viewModel` may be given to fix its random source and clock; by default a fresh one.
    explicit ReviewWindow(StoreFactory makeStore, std::unique_ptr<ReviewViewModel> viewModel = nullptr,
                          QWidget *parent = nullptr);
    ~ReviewWindow() override;

    ReviewViewModel &viewModel() const { return *m_viewModel; }

    void load();
    // "显示答案".
    void showAnswer();
    // "记住，下一个".
    void rememberAndAdvance();
    void submit(ReviewResult result);

    ContentUnavailableView *placeholder() const { return m_placeholder; }
    QLabel *textLabel() const { return m_textLabel; }
    QLabel *errorLabel() const { return m_errorLabel; }
    QPushButton *showAnswerButton() const { return m_showAnswerButton; }
    QPushButton *rememberButton() const { return m_rememberButton; }
    // In the order forgot, hard, good, easy.
    const QList<QPushButton *> &gradeButtons() const { return m_gradeButtons; }
    LookupExplanationSectionsView *explanationView() const { return m_explanationView; }
    QScrollArea *explanationScrollArea() const { return m_explanationScrollArea; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildItemPage();
    void render();

    StoreFactory m_makeStore;
    std::unique_ptr<ReviewViewModel> m_viewModel;
    QStackedWidget *m_pages;
    ContentUnavailableView *m_placeholder;
    QWidget *m_itemPage = nullptr;
    QLabel *m_textLabel = nullptr;
    QWidget *m_answerButtons = nullptr;
    QPushButton *m_showAnswerButton = nullptr;
    QPushButton *m_rememberButton = nullptr;
    QScrollArea *m_explanationScrollArea = nullptr;
    LookupExplanationSectionsView *m_explanationView = nullptr;
    QLabel *m_errorLabel = nullptr;
    QList<QPushButton *> m_gradeButtons;
    // The item whose explanation is drawn, so a re-render keeps the scroll position.
    std::shared_ptr<LearningItem> m_renderedItem;
};

#include "viewmodels/lookup/LookupSaveStateController.h"

#include "foundation/CancellationError.h"

#include <QPointer>

#include <QCoro/QCoroTimer>

#include <chrono>

namespace {

const QString kRefreshFailedMessage = QStringLiteral("收藏状态读取失败。");
const QString kSaveFailedMessage = QStringLiteral("收藏保存失败。");
const QString kRemoveFailedMessage = QStringLiteral("取消收藏失败。");

} // namespace

LookupSaveStateController::LookupSaveStateController(QObject *parent) : QObject(parent) {}

LookupSaveStateController::ButtonAppearance LookupSaveStateController::buttonAppearance(const State &state)
{
    switch (state.kind()) {
    case State::Kind::saving:
        return {QStringLiteral("clock"), QStringLiteral("收藏中"), false};
    case State::Kind::saved:
        return {QStringLiteral("star.fill"), QStringLiteral("取消收藏"), true};
    case State::Kind::idle:
    case State::Kind::failed:
        break;
    }
    return {QStringLiteral("star"), QStringLiteral("收藏"), false};
}

QCoro::Task<void> LookupSaveStateController::refresh(LookupResult result, CheckAction checkAction)
{
    if (m_state.kind() == State::Kind::saving) {
        co_return;
    }
    const quint64 generation = ++m_generation;
    QPointer<LookupSaveStateController> self(this);

    std::optional<State> next;
    try {
        next = (co_await checkAction(result)) ? State::saved() : State::idle();
    } catch (const CancellationError &) {
        co_return;
    } catch (...) {
        next = State::failed(kRefreshFailedMessage);
    }
    if (!self || generation != m_generation) {
        co_return;
    }
    setState(*next);
}

QCoro::Task<void> LookupSaveStateController::toggle(LookupResult result, ChangeAction saveAction,
                                                    ChangeAction removeAction)
{
    switch (m_state.kind()) {
    case State::Kind::saving:
        co_return;
    case State::Kind::saved:
        co_await remove(std::move(result), std::move(removeAction));
        co_return;
    case State::Kind::idle:
    case State::Kind::failed:
        co_await save(std::move(result), std::move(saveAction));
        co_return;
    }
}

QCoro::Task<void> LookupSaveStateController::save(LookupResult result, ChangeAction action)
{
    if (m_state.kind() == State::Kind::saving || m_state.kind() == State::Kind::saved) {
        co_return;
    }
    const State before = m_state;
    QPointer<LookupSaveStateController> self(this);
    if (!co_await startAction()) {
        co_return;
    }

    State next = State::saved();
    try {
        co_await action(result);
    } catch (const CancellationError &) {
        next = before;
    } catch (...) {
        next = State::failed(kSaveFailedMessage);
    }
    if (self) {
        setState(next);
    }
}

QCoro::Task<void> LookupSaveStateController::remove(LookupResult result, ChangeAction action)
{
    QPointer<LookupSaveStateController> self(this);
    if (!co_await startAction()) {
        co_return;
    }

    State next = State::idle();
    try {
        co_await action(result);
    } catch (const CancellationError &) {
        // Nothing was removed as far as we know; the button keeps offering the removal.
        next = State::saved();
    } catch (...) {
        next = State::failed(kRemoveFailedMessage);
    }
    if (self) {
        setState(next);
    }
}

QCoro::Task<bool> LookupSaveStateController::startAction()
{
    ++m_generation;
    setState(State::saving());
    QPointer<LookupSaveStateController> self(this);
    // One turn of the event loop, so the panel draws the busy button before the action
    // (which may block the main thread in the store) begins.
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    co_return !self.isNull();
}

void LookupSaveStateController::setState(State state)
{
    if (state == m_state) {
        return;
    }
    m_state = std::move(state);
    emit stateChanged();
}

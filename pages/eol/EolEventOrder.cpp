#include "EolEventOrder.h"

#include "UdsEngine.h"

EolEventOrder::EolEventOrder(tarvel::TimerFactory& timers)
{
    retry_ = timers.Create([this] { RunWaiting(); });
}

EolEventOrder::~EolEventOrder() = default;

EolEventOrder::Step::Step(EolEventOrder& order) : order_(order)
{
    ++order_.depth_;
}

EolEventOrder::Step::~Step()
{
    if (--order_.depth_ == 0)
        order_.RunWaiting();
}

bool EolEventOrder::Busy() const
{
    return depth_ > 0 || tarvel::UdsRequestInFlight();
}

void EolEventOrder::Run(std::function<void()> action)
{
    if (waiting_.empty() && !Busy()) {
        Step step(*this);
        action();
        return;
    }
    waiting_.push_back(std::move(action));
    if (!Busy())
        RunWaiting();
    else if (!retry_->IsRunning())
        retry_->Start(kRetryMs);
}

void EolEventOrder::RunWaiting()
{
    if (draining_)
        return;
    draining_ = true;
    while (!waiting_.empty() && !Busy()) {
        std::function<void()> action = std::move(waiting_.front());
        waiting_.pop_front();
        Step step(*this);
        action();
    }
    draining_ = false;
    if (waiting_.empty())
        retry_->Stop();
    else if (!retry_->IsRunning())
        retry_->Start(kRetryMs);
}

#include "link/exchange_waiter.h"

ExchangeWaiter::ExchangeWaiter(Clock::duration tick) : tick_(tick) {}

void ExchangeWaiter::notify(void* waiter) {
    auto& w = *static_cast<ExchangeWaiter*>(waiter);
    {
        std::lock_guard lock(w.mutex_);
        w.arrived_ = true;
    }
    w.arrival_.notify_one();
}

void ExchangeWaiter::armTick() {
    armed_ = true;
    due_ = Clock::now() + tick_;
}

void ExchangeWaiter::cancelTick() {
    armed_ = false;
}

ExchangeWaiter::Wake ExchangeWaiter::wait() {
    std::unique_lock lock(mutex_);
    const auto arrived = [this] { return arrived_; };
    if (!armed_) {
        arrival_.wait(lock, arrived);
    } else if (!arrival_.wait_until(lock, due_, arrived) || Clock::now() >= due_) {
        armed_ = false;
        return Wake::Tick;
    }
    arrived_ = false;
    return Wake::Arrival;
}

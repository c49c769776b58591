// How an owner without an event loop (quelter-cli, the benchmark, tests) runs
// an exchange: it sleeps until the link signals an arrival or the engine's
// one-shot tick is due, whichever comes first, and hands that to the engine:
//
//     port.setArrivalNotify(&ExchangeWaiter::notify, &waiter);  // before open
//     ...                       // the engine's owner arms the tick here
//     while (waiter.tickArmed())
//         if (waiter.wait() == ExchangeWaiter::Wake::Arrival) engine.onArrival();
//         else engine.onTick();
//
// Only the standard library, so the same code serves every platform. Arrivals
// signalled while nobody waits are kept, as one, for the next wait. The waiter
// must outlive every connection the link opens with its notify.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class ExchangeWaiter {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Wake { Arrival, Tick };

    explicit ExchangeWaiter(Clock::duration tick = std::chrono::milliseconds(20));

    // The SerialLink arrival notify, with the waiter as its context; called on
    // the link's reader thread. Locks, sets a flag and wakes the waiter.
    static void notify(void* waiter);

    // The engine's one-shot tick, on the owner's thread: arming restarts it.
    void armTick();
    void cancelTick();
    bool tickArmed() const { return armed_; }

    // Sleeps until the tick is due (Tick; it is disarmed then) or bytes have
    // arrived (Arrival). A tick already due comes first: the engine's tick
    // takes waiting bytes too. With no tick armed, waits for an arrival alone.
    Wake wait();

  private:
    const Clock::duration tick_;
    // Owner's thread only.
    Clock::time_point due_{};
    bool armed_ = false;

    std::mutex mutex_;
    std::condition_variable arrival_;
    bool arrived_ = false;  // under mutex_
};

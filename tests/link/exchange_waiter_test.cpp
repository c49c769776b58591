// The owner's wait without an event loop: the tick when it is due, and
// arrivals signalled from another thread, never lost.
#include <gtest/gtest.h>

#include <thread>

#include "link/exchange_waiter.h"

namespace {

TEST(ExchangeWaiter, TickComesWhenDueAndAnArrivalIsNeverLost) {
    ExchangeWaiter waiter(std::chrono::milliseconds(20));
    const auto start = ExchangeWaiter::Clock::now();
    waiter.armTick();
    EXPECT_EQ(waiter.wait(), ExchangeWaiter::Wake::Tick);
    EXPECT_GE(ExchangeWaiter::Clock::now() - start, std::chrono::milliseconds(20));
    EXPECT_FALSE(waiter.tickArmed());

    // Signalled from another thread before anyone waits: the next wait takes
    // it at once, and only once.
    std::thread([&] { ExchangeWaiter::notify(&waiter); }).join();
    waiter.armTick();
    EXPECT_EQ(waiter.wait(), ExchangeWaiter::Wake::Arrival);
    EXPECT_TRUE(waiter.tickArmed());
    EXPECT_EQ(waiter.wait(), ExchangeWaiter::Wake::Tick);
}

}  // namespace

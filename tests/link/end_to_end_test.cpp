// Read and Write through the real POSIX port and a pseudo-terminal to the
// simulated tracker, paced at the line rate as a cable would be.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "exchange_fixture.h"
#include "link/com_port.h"
#include "link/exchange_waiter.h"
#include "pty_helpers.h"
#include "tools/tracker_sim/pty_tracker.h"

namespace {

// The owner as quelter-cli is: it sleeps until the port signals bytes or
// the tick is due. The tick is made kind to a loaded machine (100 ms, so
// five seconds of silence end a wait): a tracker answer is never late; only
// real silence is silent.
struct WaitingOwner : RecordingOwner {
    ExchangeWaiter waiter{std::chrono::milliseconds(100)};
    void armTick() override {
        RecordingOwner::armTick();
        waiter.armTick();
    }
    void cancelTick() override {
        RecordingOwner::cancelTick();
        waiter.cancelTick();
    }
};

class EndToEnd : public testing::Test {
  protected:
    EndToEnd() { port.setArrivalNotify(&ExchangeWaiter::notify, &owner.waiter); }

    void start(PtyOptions options = {}) {
        trackerBefore_ = sim.block;
        tracker_ = std::make_unique<PtyTracker>(sim, options);
        std::string error;
        ASSERT_TRUE(tracker_->start(error)) << error;
        ::setenv("QUELTER_PORTS", tracker_->path().c_str(), 1);
    }

    void run() {
        for (int wakes = 0; owner.waiter.tickArmed() && wakes < 100000; ++wakes) {
            if (owner.waiter.wait() == ExchangeWaiter::Wake::Arrival)
                engine.onArrival();
            else
                engine.onTick();
        }
    }

    DeviceConfig trackerImage() const {
        DeviceConfig c{};
        std::copy(trackerBefore_.begin(), trackerBefore_.end(), c.bytes);
        SwapByteOrder(c);
        return c;
    }

    TrackerSim sim;
    WaitingOwner owner;  // outlives the port, whose reader thread notifies it
    CCOMPort port;
    CBootloaderExchange engine{port, owner};
    std::unique_ptr<PtyTracker> tracker_;
    std::array<std::uint8_t, TrackerSim::kBlockSize> trackerBefore_{};
};

TEST_F(EndToEnd, ReadWriteWriteAgainAndReadBack) {
    start();

    engine.readDevice();
    run();
    ASSERT_EQ(owner.results, (std::vector<Shown>{kCleared, kReadOk}));
    EXPECT_TRUE(sameBlock(engine.workingImage, trackerImage()));
    EXPECT_FALSE(port.isOpen());

    owner.onCollect = [&] { SetU16(engine.workingImage, Field::GPRSTimer, 300); };
    engine.writeDevice();
    run();
    EXPECT_EQ(owner.last(), kWriteOk);
    EXPECT_TRUE(port.isOpen());
    // Right away again: the scan's open takes the port back from the first Write.
    engine.writeDevice();
    run();
    EXPECT_EQ(owner.last(), kWriteOk);

    owner.onCollect = nullptr;
    engine.readDevice();
    run();
    EXPECT_EQ(owner.last(), kReadOk);
    EXPECT_EQ(GetU16(engine.workingImage, Field::GPRSTimer), 300);
    EXPECT_EQ(GetText(engine.workingImage, Field::DevicePassword), "8647");
    EXPECT_EQ(GetText(engine.workingImage, Field::USSDReq), "*100#");

    tracker_->stop();
    EXPECT_EQ(sim.framesSeen(SimFrame::DataBlock), 24);
}

TEST_F(EndToEnd, NoiseBeforeTheOpenChatterAfterAndABlockInTwoParts) {
    PtyOptions options;
    options.noiseBeforeOpen = 64;
    sim.faults.chatter = 300;
    sim.faults.split = {SimFrame::ReadCount, 5, 1 + 100};
    start(options);

    // The Write leaves the port open to a tracker that talks on; the Read
    // after it must start on a clean line.
    engine.workingImage = trackerImage();
    engine.writeDevice();
    run();
    EXPECT_EQ(owner.last(), kWriteOk);
    ASSERT_TRUE(eventually([&] { return port.available() == 300; }));

    engine.readDevice();
    run();
    EXPECT_EQ(owner.last(), kReadOk);
    DeviceConfig written = trackerImage();
    SetText(written, Field::DevicePassword, "8647");
    EXPECT_TRUE(sameBlock(engine.workingImage, written));
}

}  // namespace

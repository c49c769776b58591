// Read and Write through the real POSIX port and a pseudo-terminal to the
// simulated tracker, paced at the line rate as a cable would be.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

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

TEST(PtyTracker, WrittenBlockTakesItsLineTimeAndThenItsFlashTime) {
    TrackerSim sim;
    PtyOptions options;
    options.flashMs = 150;
    PtyTracker tracker(sim, options);
    std::string error;
    ASSERT_TRUE(tracker.start(error)) << error;
    const int host = ::open(tracker.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(host, 0);

    // Sends a frame; the one-byte answer and how long it took to come.
    using Clock = std::chrono::steady_clock;
    auto talk = [&](const Bytes& frame, Clock::duration& took) {
        const auto start = Clock::now();
        if (::write(host, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()))
            return -1;
        pollfd in{host, POLLIN, 0};
        std::uint8_t answer = 0;
        if (::poll(&in, 1, 20000) != 1 || ::read(host, &answer, 1) != 1) return -1;
        took = Clock::now() - start;
        return int{answer};
    };
    Bytes block = {0x7F};
    std::uint8_t sum = 0x7F;
    for (int i = 0; i < 128; ++i) {
        block.push_back(static_cast<std::uint8_t>(i));
        sum ^= static_cast<std::uint8_t>(i);
    }
    block.push_back(sum);

    Clock::duration took{};
    for (const char* frame : {"7F", "31 CE", "00 00 10 00 10"})
        ASSERT_EQ(talk(hex(frame), took), 0x79) << frame;
    ASSERT_EQ(talk(block, took), 0x79);
    // 130 bytes at 115200 baud, 11 bits a byte: 12.4 ms on the cable.
    EXPECT_GE(took, std::chrono::microseconds(150'000 + 12'400));

    ::close(host);
    tracker.stop();
    EXPECT_EQ(sim.block[127], 127);
}

}  // namespace

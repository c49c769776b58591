// The POSIX serial port over pseudo-terminals, with its two threads running.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <numeric>

#include "link/com_port.h"
#include "link/exchange_waiter.h"
#include "pty_helpers.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sequence(std::size_t count, int first = 0) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>((first + i) % 251);
    return bytes;
}

class PortOverPty : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        ::setenv("QUELTER_PORTS", pty.path.c_str(), 1);
    }

    PtyPair pty;
    CCOMPort port;
};

TEST_F(PortOverPty, BurstsArriveInOrderAndWrapTheCallersRing) {
    ASSERT_EQ(port.open(1, 115200), 0);
    ASSERT_TRUE(port.isOpen());
    const Bytes all = sequence(21, 1);
    pty.send(Bytes(all.begin(), all.begin() + 5));
    pty.send(Bytes(all.begin() + 5, all.begin() + 12));
    pty.send(Bytes(all.begin() + 12, all.end()));
    ASSERT_TRUE(eventually([&] { return port.available() == 21; }));

    Bytes ring(1024, 0xEE);
    int writeIndex = 1020;
    EXPECT_EQ(port.fetch(ring.data(), writeIndex, 1024), 21);
    EXPECT_EQ(writeIndex, 17);
    EXPECT_EQ(Bytes(ring.begin() + 1020, ring.end()), Bytes(all.begin(), all.begin() + 4));
    EXPECT_EQ(Bytes(ring.begin(), ring.begin() + 17), Bytes(all.begin() + 4, all.end()));
    EXPECT_EQ(port.available(), 0);
    EXPECT_EQ(port.fetch(ring.data(), writeIndex, 1024), 0);
}

TEST_F(PortOverPty, ArrivalsWakeTheOwnerWithTheBytesAlreadyWaiting) {
    // A tick far off: only the reader's notify can end these waits in time.
    ExchangeWaiter waiter(std::chrono::seconds(20));
    port.setArrivalNotify(&ExchangeWaiter::notify, &waiter);
    ASSERT_EQ(port.open(1, 115200), 0);

    const Bytes all = sequence(300, 7);
    Bytes got, ring(1024);
    int writeIndex = 0;
    for (std::size_t sent = 0; sent < all.size(); sent += 60) {
        pty.send(Bytes(all.begin() + static_cast<long>(sent),
                       all.begin() + static_cast<long>(sent) + 60));
        // Every byte appended before a notify is there once the owner wakes.
        while (got.size() < sent + 60) {
            waiter.armTick();
            ASSERT_EQ(waiter.wait(), ExchangeWaiter::Wake::Arrival);
            const int start = writeIndex;
            const int n = port.fetch(ring.data(), writeIndex, 1024);
            for (int i = 0; i < n; ++i)
                got.push_back(ring[static_cast<std::size_t>((start + i) % 1024)]);
        }
    }
    EXPECT_EQ(got, all);
    port.close();  // the reader ends before the waiter goes
}

TEST_F(PortOverPty, InputFromBeforeTheOpenIsDiscarded) {
    pty.send(Bytes(40, 0x55));
    ASSERT_TRUE(eventually([&] { return pty.slaveInputQueued() == 40; }));

    ASSERT_EQ(port.open(1, 115200), 0);
    const Bytes fresh = {0x79, 0x1F, 0x79};
    pty.send(fresh);
    ASSERT_TRUE(eventually([&] { return port.available() >= 3; }));

    Bytes ring(1024);
    int writeIndex = 0;
    ASSERT_EQ(port.fetch(ring.data(), writeIndex, 1024), 3);
    EXPECT_EQ(Bytes(ring.begin(), ring.begin() + 3), fresh);
}

TEST_F(PortOverPty, PortIsExclusive) {
    ASSERT_EQ(port.open(1, 115200), 0);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);  // other programs' opens fail with EBUSY

    CCOMPort second;
    EXPECT_EQ(second.open(1, 115200), 1);
    EXPECT_FALSE(second.isOpen());

    port.close();
    ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(second.open(1, 115200), 0);
    second.close();

    // A cooperating program holding the port's lock keeps it too.
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.open(1, 115200), 1);
    ::close(other);
    EXPECT_EQ(port.open(1, 115200), 0);
}

TEST_F(PortOverPty, OpeningAnotherPortClosesTheFirst) {
    PtyPair other;
    ASSERT_TRUE(other.ok());
    ::setenv("QUELTER_PORTS", (pty.path + ":" + other.path).c_str(), 1);

    ASSERT_EQ(port.open(1, 115200), 0);
    ASSERT_EQ(port.open(2, 115200), 0);

    CCOMPort second;
    EXPECT_EQ(second.open(1, 115200), 0);
    EXPECT_EQ(port.open(2, 115200), 0);
}

TEST_F(PortOverPty, FramesGoOutWholeAndNothingLeavesAClosedPort) {
    ASSERT_EQ(port.open(1, 115200), 0);
    const Bytes frame = sequence(130);
    port.write(frame.data(), 130);
    EXPECT_EQ(pty.receive(130), frame);

    port.close();
    EXPECT_FALSE(port.isOpen());
    port.write(frame.data(), 130);
    Bytes ring(16);
    int writeIndex = 5;
    EXPECT_EQ(port.fetch(ring.data(), writeIndex, 16), 0);
    EXPECT_EQ(writeIndex, 5);
    EXPECT_EQ(port.available(), 0);

    // Had the write on the closed port gone anywhere, it would come first.
    ASSERT_EQ(port.open(1, 115200), 0);
    const Bytes marker = {0x7F};
    port.write(marker.data(), 1);
    EXPECT_EQ(pty.receive(1), marker);
}

TEST_F(PortOverPty, FullReceiveBufferKeepsTheOldestBytes) {
    ASSERT_EQ(port.open(1, 115200), 0);
    const Bytes flood = sequence(5000);
    pty.send(flood);
    ASSERT_TRUE(
        eventually([&] { return pty.slaveInputQueued() == 0 && port.available() == 4096; }));

    Bytes ring(8192);
    int writeIndex = 0;
    ASSERT_EQ(port.fetch(ring.data(), writeIndex, 8192), 4096);
    EXPECT_EQ(Bytes(ring.begin(), ring.begin() + 4096), Bytes(flood.begin(), flood.begin() + 4096));
}

TEST_F(PortOverPty, UnpluggedTrackerEndsTheReaderQuietly) {
    ASSERT_EQ(port.open(1, 115200), 0);
    pty.send({1, 2, 3});
    ASSERT_TRUE(eventually([&] { return port.available() == 3; }));
    EXPECT_FALSE(port.lineLost());

    pty.hangUp();
    ASSERT_TRUE(eventually([&] { return port.lineLost(); }));

    // The port stays usable to its owner: what came before is there, writes
    // go nowhere, and close joins both threads.
    EXPECT_EQ(port.available(), 3);
    const Bytes frame = {0x7F};
    port.write(frame.data(), 1);
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PortOverPty, CloseGivesBackTheLineSettingsItChanged) {
    termios before{};
    ASSERT_EQ(::tcgetattr(pty.slave, &before), 0);
    ASSERT_EQ(port.open(1, 115200), 0);
    termios during{};
    ASSERT_EQ(::tcgetattr(pty.slave, &during), 0);
    EXPECT_EQ(cfgetospeed(&during), speed_t{B115200});
    port.close();

    termios after{};
    ASSERT_EQ(::tcgetattr(pty.slave, &after), 0);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}

}  // namespace

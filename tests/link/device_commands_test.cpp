// Read, Write and Reset as the user sees them: which port, which texts, and
// what reaches the tracker.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "config/defaults.h"
#include "exchange_fixture.h"

namespace {

TEST(Commands, ScanSkipsPortsThatDoNotOpen) {
    ExchangeBench bench(kModelRQ30, 4);

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.link.openAttempts(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kReadOk}));
}

TEST(Commands, ScanMovesPastASilentPort) {
    ExchangeBench bench(kModelRQ30, 2);
    bench.link.setPort(1, SimulatedLink::Port::Silent);

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.link.openAttempts(), (std::vector<int>{1, 2}));
    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kReadOk}));
    EXPECT_FALSE(bench.link.isOpen());
}

TEST(Commands, NoPortOpensTellsTheUserAndStops) {
    ExchangeBench bench(kModelRQ30, 0);

    bench.engine.writeDevice();

    EXPECT_EQ(bench.link.openAttempts().size(), 254u);
    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kNoConnection}));
    EXPECT_FALSE(bench.owner.armed);
}

TEST(Commands, UnknownModelIsReportedButTheImageIsShown) {
    ExchangeBench bench(0x42);

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kReadOk, kBadModel}));
    EXPECT_EQ(bench.owner.modelButton, "RQ30");
    EXPECT_EQ(bench.engine.editedModel, 0x42);
    EXPECT_EQ(bench.owner.showConfigCalls, 1);
    EXPECT_TRUE(sameBlock(bench.engine.workingImage, bench.trackerImage()));
}

TEST(Commands, WriteToAnotherModelSendsNothingAndKeepsThePages) {
    ExchangeBench bench(kModelRQ30);
    bench.engine.editedModel = kModelRQ10;
    const auto trackerBefore = bench.sim.block;
    DeviceConfig pages{};
    loadDefaults(pages);
    SetU16(pages, Field::GPRSTimer, 300);
    bench.owner.onCollect = [&] { bench.engine.workingImage = pages; };

    bench.engine.writeDevice();
    bench.run();

    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kIncompatible}));
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::WriteCommand), 0);
    for (const Bytes& frame : bench.sent) EXPECT_NE(frame, hex("31 CE"));
    EXPECT_EQ(bench.sim.block, trackerBefore);
    EXPECT_EQ(0, std::memcmp(bench.engine.workingImage.bytes, pages.bytes, kConfigSize));
    // One silent tick later the port is closed.
    EXPECT_FALSE(bench.link.isOpen());
}

TEST(Commands, ResetShowsTheDefaultsAndWritesThem) {
    ExchangeBench bench;
    const auto trackerBefore = bench.sim.block;
    DeviceConfig defaults{};
    loadDefaults(defaults);
    SetU16(bench.engine.workingImage, Field::GPRSTimer, 999);

    bench.engine.resetDevice();
    EXPECT_EQ(bench.owner.showConfigCalls, 1);  // before anything is sent
    bench.run();

    EXPECT_EQ(bench.owner.last(), kWriteOk);
    EXPECT_EQ(0, std::memcmp(bench.engine.workingImage.bytes, defaults.bytes, kConfigSize));
    DeviceConfig expected = defaults;
    SwapByteOrder(expected);
    DeviceConfig tracker{};
    std::copy(trackerBefore.begin(), trackerBefore.end(), tracker.bytes);
    KeepDeviceFields(expected, tracker);
    EXPECT_TRUE(std::equal(bench.sim.block.begin(), bench.sim.block.end(), expected.bytes));
}

TEST(Commands, ResetOnAnotherModelLeavesTheDefaultsOnThePages) {
    ExchangeBench bench(kModelRQ20);
    DeviceConfig defaults{};
    loadDefaults(defaults);

    bench.engine.resetDevice();
    bench.run();

    EXPECT_EQ(bench.owner.last(), kIncompatible);
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::WriteCommand), 0);
    EXPECT_EQ(0, std::memcmp(bench.engine.workingImage.bytes, defaults.bytes, kConfigSize));
}

TEST(Commands, SecondWriteRightAfterAWriteOpensTheTrackersPortAgain) {
    ExchangeBench bench;

    bench.engine.writeDevice();
    bench.run();
    ASSERT_TRUE(bench.link.isOpen());
    bench.engine.writeDevice();
    bench.run();

    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kWriteOk, kCleared, kWriteOk}));
    EXPECT_EQ(bench.link.openAttempts(), (std::vector<int>{1, 1}));
    EXPECT_EQ(bench.link.closes(), 1);
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::DataBlock), 24);
}

// A scan that finds no tracker names the first port that was there but could
// not be had, whatever the other ports did; silence on a port does not make
// the scan forget.
TEST(Commands, ScanThatFindsNothingSaysWhyAPortWasRefused) {
    using P = SimulatedLink::Port;
    const Shown busy{"Порт COM1 занят другой программой", ResultColour::Red};
    const Shown denied{"Нет доступа к порту COM2: добавьте себя в группу dialout",
                       ResultColour::Red};
    const Shown busyAfterSilence{"Порт COM3 занят другой программой", ResultColour::Red};
    const struct {
        std::vector<P> ports;  // COM1 upwards; the rest are absent
        Shown shown;
    } cases[] = {
        {{}, kNoConnection},
        {{P::Busy, P::Denied}, busy},
        {{P::Absent, P::Denied, P::Busy}, denied},
        {{P::Silent, P::Absent, P::Busy}, busyAfterSilence},
        {{P::Busy, P::Tracker}, kReadOk},
    };
    for (const auto& c : cases) {
        ExchangeBench bench(kModelRQ30, 0);
        for (std::size_t i = 0; i < c.ports.size(); ++i)
            bench.link.setPort(static_cast<int>(i) + 1, c.ports[i]);
        bench.engine.readDevice();
        bench.run();
        EXPECT_EQ(bench.owner.last(), c.shown) << c.ports.size();
        EXPECT_EQ(bench.engine.trackerNotFound(), c.shown != kReadOk) << c.ports.size();
        EXPECT_FALSE(bench.link.isOpen());
    }
}

// The cable pulled in the middle of a Read ends it on the next tick, not
// after a second of silence; pulled before the tracker answered, the scan
// goes on to the next port as after silence.
TEST(Commands, PulledCableEndsTheExchangeAtOnce) {
    ExchangeBench bench;
    bench.engine.readDevice();
    while (bench.owner.armed && bench.engine.blocksDone() < 3) {
        bench.owner.armed = false;
        bench.engine.onTick();
    }
    ASSERT_EQ(bench.engine.blocksDone(), 3);
    bench.link.pullCable();
    EXPECT_EQ(bench.run(), 1);
    EXPECT_EQ(bench.owner.last(), kInterrupted);
    EXPECT_FALSE(bench.link.isOpen());
    EXPECT_FALSE(bench.engine.running());

    ExchangeBench second(kModelRQ30, 2);
    second.link.setPort(1, SimulatedLink::Port::Silent);
    second.engine.readDevice();
    second.link.pullCable();
    second.run();
    EXPECT_EQ(second.link.openAttempts(), (std::vector<int>{1, 2}));
    EXPECT_EQ(second.owner.last(), kReadOk);
}

// A backup of this tracker taken some time ago: other settings, bytes in the
// reserved stretches that no page carries, and the tracker's own fields and
// password as they were then.
DeviceConfig olderBackup(const ExchangeBench& bench) {
    DeviceConfig backup = bench.trackerImage();
    SetU16(backup, Field::GPRSTimer, 777);
    SetText(backup, Field::MainPhone, "+79005554433");
    backup.bytes[500] = 0xAB;
    SetU32(backup, Field::DeviceType, 0x12345678);
    SetText(backup, Field::DevicePassword, "1111");
    SwapByteOrder(backup);
    return backup;
}

TEST(Commands, RestoreWritesTheBackupByteForByteButTheTrackersOwnFields) {
    ExchangeBench bench;
    DeviceConfig tracker{};
    std::copy(bench.sim.block.begin(), bench.sim.block.end(), tracker.bytes);
    const DeviceConfig backup = olderBackup(bench);
    bool collected = false;
    bench.owner.onCollect = [&] { collected = true; };

    bench.engine.restoreDevice(backup, kModelRQ30);
    bench.run();

    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kWriteOk}));
    EXPECT_FALSE(collected);  // the pages play no part
    DeviceConfig expected = backup;
    KeepDeviceFields(expected, tracker);
    EXPECT_TRUE(std::equal(bench.sim.block.begin(), bench.sim.block.end(), expected.bytes));
    EXPECT_EQ(bench.sim.block[500], 0xAB);
    // Like every Write: a backup of what the tracker held first.
    ASSERT_EQ(bench.owner.backups.size(), 1u);
    EXPECT_TRUE(sameBlock(bench.owner.backups[0].first, tracker));
}

TEST(Commands, RestoreOfAnotherModelsBackupSendsNothing) {
    ExchangeBench bench(kModelRQ10);
    const auto before = bench.sim.block;
    const DeviceConfig backup = olderBackup(bench);

    bench.engine.restoreDevice(backup, kModelRQ30);
    bench.run();

    EXPECT_EQ(bench.owner.last(), kIncompatible);
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::WriteCommand), 0);
    EXPECT_EQ(bench.sim.block, before);
    EXPECT_TRUE(bench.owner.backups.empty());
}

}  // namespace

// The exchange engine against the in-process tracker: exact frames, answers
// handled as they arrive, split and wrapped, refusals, silence counted in
// ticks, and exchanges that stop part-way.
#include <gtest/gtest.h>

#include <cstring>

#include "exchange_fixture.h"

namespace {

TEST(Exchange, ReadSendsTheProtocolFramesAndShowsTheTracker) {
    ExchangeBench bench(kModelRQ10);
    bench.sim.setFirmwareVersion({0x01, 0x02, 0x0A, 0xFF});

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.sent, expectedReadFrames());
    Bytes answers = hex("79  79 79 06 70 00 01 02 11 21 31 79");
    for (int block = 0; block < 12; ++block) {
        answers.insert(answers.end(), {0x79, 0x79, 0x79});
        answers.insert(answers.end(), bench.sim.block.begin() + 128 * block,
                       bench.sim.block.begin() + 128 * (block + 1));
    }
    EXPECT_EQ(bench.received, answers);
    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kReadOk}));
    EXPECT_EQ(bench.owner.version, "Версия прошивки:1.2.A.FF");
    EXPECT_EQ(bench.owner.modelButton, "RQ10");
    EXPECT_EQ(bench.engine.deviceModel, 0x70);
    EXPECT_EQ(bench.engine.editedModel, 0x70);
    EXPECT_EQ(bench.owner.showConfigCalls, 1);
    // Host order in the working image; block 7 wrapped the ring on the way.
    EXPECT_TRUE(sameBlock(bench.engine.workingImage, bench.trackerImage()));
    EXPECT_EQ(GetText(bench.engine.workingImage, Field::MainPhone), "+79161234567");
    EXPECT_EQ(GetI32(bench.engine.workingImage, Field::ZoneLatitude), 55751244);
    // One tick after the last block the port is closed and nothing is armed.
    EXPECT_FALSE(bench.link.isOpen());
    EXPECT_FALSE(bench.owner.armed);
}

TEST(Exchange, WriteSendsThePagesWithTheTrackersOwnFieldsAndTheForcedPassword) {
    ExchangeBench bench;
    const auto before = bench.sim.block;
    bench.engine.workingImage = bench.trackerImage();  // as a Read showed it
    // The pages hold a new send period, and stale values (say, from a settings
    // file) in every field that belongs to the tracker.
    bench.owner.onCollect = [&] {
        DeviceConfig& w = bench.engine.workingImage;
        SetU16(w, Field::GPRSTimer, 300);
        SetText(w, Field::DevicePassword, "999999999999999");
        std::memset(fieldBytes(w, Field::FirmwareVersion), 9, 4);
        std::memset(fieldBytes(w, Field::KeptBlock256), 0, 32);
        std::memset(fieldBytes(w, Field::KeptBlock320), 0, 16);
        SetText(w, Field::USSDReq, "*999#");
        SetU32(w, Field::DeviceType, 0xDEAD);
        SetU8(w, Field::KeptByte359, 0);
        SetU16(w, Field::KeptWord362, 0);
        SetU16(w, Field::KeptWord366, 0);
    };

    bench.engine.writeDevice();
    bench.run();

    ASSERT_EQ(bench.sent.size(), 38u + 1 + 36 + 36);
    const std::vector<Bytes> readPart(bench.sent.begin(), bench.sent.begin() + 38);
    EXPECT_EQ(readPart, expectedReadFrames());
    EXPECT_EQ(bench.sent[38], hex("7F"));
    for (int block = 0; block < 12; ++block) {
        const int address = 0x1000 + 128 * block;
        const Bytes& command = bench.sent[39 + 3 * block];
        const Bytes& where = bench.sent[40 + 3 * block];
        const Bytes& data = bench.sent[41 + 3 * block];
        EXPECT_EQ(command, hex("31 CE"));
        EXPECT_EQ(where, (Bytes{0, 0, static_cast<std::uint8_t>(address >> 8),
                                static_cast<std::uint8_t>(address & 0xFF),
                                static_cast<std::uint8_t>((address >> 8) ^ (address & 0xFF))}));
        ASSERT_EQ(data.size(), 130u);
        EXPECT_EQ(data[0], 0x7F);
        std::uint8_t sum = 0;
        for (std::uint8_t b : data) sum ^= b;
        EXPECT_EQ(sum, 0) << "checksum of the block at " << std::hex << address;
    }
    const Bytes& first = bench.sent[41];
    EXPECT_EQ(Bytes(first.begin() + 1 + 64, first.begin() + 1 + 79),
              (Bytes{'8', '6', '4', '7', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    // The tracker now holds what it held, but for the new period (big-endian)
    // and the forced password.
    auto expected = before;
    expected[38] = 0x01, expected[39] = 0x2C;
    std::memset(expected.data() + 64, 0, 16);
    std::memcpy(expected.data() + 64, "8647", 4);
    EXPECT_EQ(bench.sim.block, expected);

    // Then the block is read back with the Read's frames and found as sent.
    EXPECT_EQ(std::vector<Bytes>(bench.sent.begin() + 75, bench.sent.end()),
              expectedBlockReadFrames());
    EXPECT_EQ(bench.owner.last(), kWriteOk);
    // After the check's last block nothing more is sent and the port stays open.
    EXPECT_FALSE(bench.owner.armed);
    EXPECT_TRUE(bench.link.isOpen());
}

TEST(Exchange, BackupIsTakenOfTheBlockAsReadBeforeAnyBlockIsWritten) {
    ExchangeBench bench;
    const auto before = bench.sim.block;
    std::size_t framesBeforeBackup = 0;
    bench.owner.onBackup = [&] {
        framesBeforeBackup = bench.sent.size();
        return true;
    };

    bench.engine.writeDevice();
    bench.run();

    EXPECT_EQ(framesBeforeBackup, 38u);  // the pre-read, and not the write phase's Sync
    ASSERT_EQ(bench.owner.backups.size(), 1u);
    const auto& [block, model] = bench.owner.backups[0];
    EXPECT_TRUE(std::equal(before.begin(), before.end(), block.bytes));  // device order
    EXPECT_EQ(model, kModelRQ30);
    EXPECT_EQ(bench.owner.last(), kWriteOk);
}

TEST(Exchange, WriteWhoseBackupFailsSendsNoBlock) {
    ExchangeBench bench;
    const auto before = bench.sim.block;
    const Shown refused{"no backup", ResultColour::Red};
    bench.owner.onBackup = [&] {
        bench.owner.showResult(refused.text, refused.colour);
        return false;
    };

    bench.engine.writeDevice();
    bench.run();

    EXPECT_EQ(bench.sent, expectedReadFrames());
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::WriteCommand), 0);
    EXPECT_EQ(bench.sim.block, before);
    EXPECT_EQ(bench.owner.last(), refused);
    EXPECT_FALSE(bench.link.isOpen());
    EXPECT_FALSE(bench.owner.armed);
}

TEST(Exchange, BlockStoredWronglyFailsTheCheckWithTheNumberOfBytes) {
    struct Case {
        FrameFault badFlash;
        const char* text;
    };
    const Case cases[] = {
        {{SimFrame::DataBlock, 5, 1}, "Ошибка проверки записи: 128 байт отличаются"},
        {{SimFrame::DataBlock, 1, 12}, "Ошибка проверки записи: 1536 байт отличаются"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ExchangeBench bench;
        bench.sim.faults.badFlash.push_back(c.badFlash);

        bench.engine.writeDevice();
        bench.run();

        EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, {c.text, ResultColour::Red}}));
        EXPECT_EQ(bench.sim.framesSeen(SimFrame::DataBlock), 12);
        EXPECT_FALSE(bench.owner.armed);
    }
}

TEST(Exchange, AnswersAreHandledAsTheyArriveAndTheTickOnlyCountsSilence) {
    // A tracker that answers at once: the whole Read runs on arrivals, and the
    // port stays open until the one tick (20 ms) after its end.
    ExchangeBench read;
    read.engine.readDevice();
    read.deliverArrivals();
    EXPECT_EQ(read.sent, expectedReadFrames());
    EXPECT_EQ(read.owner.results, (std::vector<Shown>{kCleared, kReadOk}));
    EXPECT_TRUE(read.link.isOpen());
    EXPECT_TRUE(read.owner.armed);
    EXPECT_EQ(read.run(), 1);
    EXPECT_FALSE(read.link.isOpen());

    // A Write ends with the last block of its check: no tick stays armed.
    ExchangeBench write;
    write.engine.writeDevice();
    write.deliverArrivals();
    EXPECT_EQ(write.owner.results, (std::vector<Shown>{kCleared, kWriteOk}));
    EXPECT_FALSE(write.owner.armed);
    EXPECT_TRUE(write.link.isOpen());
}

TEST(Exchange, LinkThatNeverSignalsArrivalsIsServedByTheTick) {
    for (bool write : {false, true}) {
        SCOPED_TRACE(write ? "Write" : "Read");
        ExchangeBench onArrivals, onTicks;
        for (ExchangeBench* bench : {&onArrivals, &onTicks}) {
            bench->sim.faults.split = {SimFrame::ReadCount, 4, 1 + 60};
            bench->owner.onCollect = [bench] {
                SetU16(bench->engine.workingImage, Field::GPRSTimer, 300);
            };
            write ? bench->engine.writeDevice() : bench->engine.readDevice();
        }
        onArrivals.run();
        onTicks.runOnTicksOnly();

        EXPECT_EQ(onTicks.sent, onArrivals.sent);
        EXPECT_EQ(onTicks.received, onArrivals.received);
        EXPECT_EQ(onTicks.owner.results, onArrivals.owner.results);
        EXPECT_EQ(onTicks.owner.last(), write ? kWriteOk : kReadOk);
        EXPECT_EQ(onTicks.sim.block, onArrivals.sim.block);
        EXPECT_TRUE(sameBlock(onTicks.engine.workingImage, onArrivals.engine.workingImage));
    }
}

TEST(Exchange, SlowAnswerIsWaitedForUntilFiftySilentTicks) {
    // The tracker writes block 5 to its flash before it acknowledges: an ACK
    // after 49 silent ticks (just under a second) is taken, one after 50 is
    // too late, and the exchange ends there.
    struct Case {
        int silentTicks;
        Shown outcome;
    };
    for (const Case& c : {Case{49, kWriteOk}, Case{50, kInterrupted}}) {
        SCOPED_TRACE(c.silentTicks);
        ExchangeBench bench;
        bench.sim.faults.split = {SimFrame::DataBlock, 5, 0};
        bench.link.setPauseLooks(c.silentTicks);

        bench.engine.writeDevice();
        EXPECT_EQ(bench.run(), 50);

        EXPECT_EQ(bench.owner.last(), c.outcome);
        EXPECT_EQ(bench.sim.framesSeen(SimFrame::DataBlock), c.outcome == kWriteOk ? 12 : 5);
    }
}

// The tracker's answers held back until the test lets them in: bytes that
// reach the port some time after the frame went out.
class LateLink final : public SerialLink {
  public:
    explicit LateLink(SerialLink& inner) : inner_(inner) {}
    bool letIn = false;

    int open(int portNumber, int baud) override { return inner_.open(portNumber, baud); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    int available() override { return letIn ? inner_.available() : 0; }
    int fetch(std::uint8_t* ring, int& writeIndex, int ringSize) override {
        return letIn ? inner_.fetch(ring, writeIndex, ringSize) : 0;
    }
    void write(const std::uint8_t* bytes, std::uint8_t length) override {
        inner_.write(bytes, length);
    }

  private:
    SerialLink& inner_;
};

TEST(Exchange, TrackerAnsweringEveryFrameAfterOneTickIsNotTakenForSilent) {
    // Each answer comes just after a tick has found nothing (a tracker or a
    // cable taking 20 to 40 ms to answer): the Write's 75 answers, and the 36
    // of its read-back check, each follow one silent tick, never fifty in a row.
    TrackerSim sim(kModelRQ30);
    SimulatedLink simulated(sim, 1);
    LateLink late(simulated);
    RecordingOwner owner;
    CBootloaderExchange engine(late, owner);

    engine.writeDevice();
    int answers = 0;
    while (owner.armed && answers < 200) {
        late.letIn = false;
        owner.armed = false;
        engine.onTick();
        late.letIn = true;
        engine.onArrival();
        ++answers;
    }
    EXPECT_EQ(owner.last(), kWriteOk);
    EXPECT_EQ(answers, 75 + 36);
}

// A refusal is retried with the frame the answer table names, and the
// exchange then goes on to its end. Indices are into the frames of a
// fault-free run of the same command.
struct RefusalCase {
    const char* name;
    bool write;
    SimFrame kind;
    int nth;        // which frame of the kind the tracker refuses
    int refused;    // its index among the frames
    int retryFrom;  // the frames from here through the refused one go again
};

const RefusalCase kRefusals[] = {
    {"ReadSync", false, SimFrame::Sync, 1, 0, 0},
    {"ReadGet", false, SimFrame::Get, 1, 1, 1},
    {"ReadCommandOfBlock5", false, SimFrame::ReadCommand, 6, 17, 17},
    {"ReadAddressOfBlock5", false, SimFrame::Address, 6, 18, 17},
    {"ReadCountOfBlock5", false, SimFrame::ReadCount, 6, 19, 17},
    {"WritePhaseSync", true, SimFrame::Sync, 2, 38, 38},
    {"WriteCommandOfBlock5", true, SimFrame::WriteCommand, 6, 54, 54},
    {"WriteAddressOfBlock5", true, SimFrame::Address, 18, 55, 54},
    {"DataBlock5", true, SimFrame::DataBlock, 6, 56, 56},
    // The check after the write: a read from the block's command.
    {"CheckCommandOfBlock5", true, SimFrame::ReadCommand, 12 + 6, 90, 90},
    {"CheckAddressOfBlock5", true, SimFrame::Address, 24 + 6, 91, 90},
    {"CheckCountOfBlock5", true, SimFrame::ReadCount, 12 + 6, 92, 90},
};

class Refusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, IsRetriedAsTheAnswerTableSays) {
    const RefusalCase& c = GetParam();
    auto runCommand = [&](ExchangeBench& bench) {
        c.write ? bench.engine.writeDevice() : bench.engine.readDevice();
        bench.run();
    };
    ExchangeBench reference;
    runCommand(reference);

    ExchangeBench bench;
    bench.sim.faults.refuse.push_back({c.kind, c.nth, 1});
    runCommand(bench);

    std::vector<Bytes> expected = reference.sent;
    expected.insert(expected.begin() + c.refused + 1, reference.sent.begin() + c.retryFrom,
                    reference.sent.begin() + c.refused + 1);
    EXPECT_EQ(bench.sent, expected);
    EXPECT_EQ(bench.owner.last(), c.write ? kWriteOk : kReadOk);
    EXPECT_EQ(bench.sim.block, reference.sim.block);
    EXPECT_TRUE(sameBlock(bench.engine.workingImage, reference.engine.workingImage));
}

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(Exchange, Refusal, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Exchange, AnswerArrivingInTwoPartsIsTakenWholeWhenTheRestIsIn) {
    // A block's 100 + 28 data bytes, the rest one tick later or after a tick
    // with nothing new; the Get answer cut before and after the model id; an
    // answer that comes only ticks later.
    struct Case {
        AnswerSplit split;
        int pauseLooks;
    };
    const Case cases[] = {
        {{SimFrame::ReadCount, 3, 1 + 100}, 1},
        {{SimFrame::ReadCount, 3, 1 + 100}, 2},
        {{SimFrame::Get, 1, 1}, 1},
        {{SimFrame::Get, 1, 4}, 2},
        // A slow answer between blocks is waited for, not taken for the end.
        {{SimFrame::Address, 5, 0}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.split.kind) << " at " << c.split.at
                                        << ", pause " << c.pauseLooks);
        ExchangeBench bench(kModelRQ20);
        bench.sim.faults.split = c.split;
        bench.link.setPauseLooks(c.pauseLooks);

        bench.engine.readDevice();
        bench.run();

        EXPECT_EQ(bench.sent, expectedReadFrames());
        EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kReadOk}));
        EXPECT_EQ(bench.engine.deviceModel, kModelRQ20);
        EXPECT_TRUE(sameBlock(bench.engine.workingImage, bench.trackerImage()));
    }
}

TEST(Exchange, BlockWrappingTheRingIsStoredWhole) {
    // 52 refused syncs move block 7 to ring offset 984: 40 bytes before the end
    // of the ring, 88 from its start.
    ExchangeBench bench;
    bench.sim.faults.refuse.push_back({SimFrame::Sync, 1, 52});

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.owner.last(), kReadOk);
    EXPECT_TRUE(sameBlock(bench.engine.workingImage, bench.trackerImage()));
}

TEST(Exchange, TrackerThatFallsSilentAfterAnsweringEndsTheExchangeOnRed) {
    // Frames answered before the silence: Sync and Get; then into block 3; and
    // in a Write, into the write phase (38 frames of the pre-read, its Sync,
    // two blocks written) and into the check that reads the block back (a
    // Write not checked is no success).
    struct Case {
        bool write;
        int answered;
    };
    for (const Case c :
         {Case{false, 2}, Case{false, 10}, Case{true, 38 + 1 + 6}, Case{true, 38 + 1 + 36 + 7}}) {
        SCOPED_TRACE(c.answered);
        ExchangeBench bench;
        bench.sim.faults.silentAfter = c.answered;

        c.write ? bench.engine.writeDevice() : bench.engine.readDevice();
        bench.run();

        EXPECT_EQ(bench.owner.last(), kInterrupted);
        EXPECT_FALSE(bench.link.isOpen());
        EXPECT_FALSE(bench.owner.armed);
        EXPECT_EQ(bench.link.openAttempts(), std::vector<int>{1});
    }
}

TEST(Exchange, BlockThatStopsShortEndsTheExchangeOnRed) {
    // Bytes already waiting are no answer: the wait for the rest of a block is
    // silence all the same, and ends like it.
    ExchangeBench bench;
    bench.sim.faults.split = {SimFrame::ReadCount, 2, 1 + 100};
    bench.link.setPauseLooks(1'000'000);

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.owner.last(), kInterrupted);
    EXPECT_FALSE(bench.link.isOpen());
    EXPECT_FALSE(bench.owner.armed);
}

TEST(Exchange, TrackerThatAnswersTheSyncButNotTheGetIsNotTakenForOne) {
    ExchangeBench bench;
    bench.sim.faults.silentAfter = 1;

    bench.engine.readDevice();
    bench.run();

    // The scan went on past it and found nothing else.
    EXPECT_EQ(bench.link.openAttempts().size(), 254u);
    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kNoConnection}));
}

TEST(Exchange, AnswerThatIsNeitherAckNorNackEndsTheExchangeOnRed) {
    for (SimFrame kind : {SimFrame::Address, SimFrame::ReadCount, SimFrame::DataBlock}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ExchangeBench bench;
        const bool write = kind == SimFrame::DataBlock;
        bench.sim.faults.badAnswer.push_back({kind, 3, 1});

        write ? bench.engine.writeDevice() : bench.engine.readDevice();
        bench.run();

        EXPECT_EQ(bench.owner.last(), kInterrupted);
        EXPECT_FALSE(bench.link.isOpen());
        EXPECT_FALSE(bench.owner.armed);
    }
}

TEST(Exchange, EndlessRefusalsEndTheExchangeOnRedAfterOneHundred) {
    ExchangeBench bench;
    bench.sim.faults.refuse.push_back({SimFrame::Address, 3, 1'000'000});

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.owner.last(), kInterrupted);
    EXPECT_FALSE(bench.link.isOpen());
    // Two Address frames accepted, then 101 refused: the last one is too many.
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::Address), 2 + 101);
}

// The tracker did acknowledge the sync: refusing the Get for good breaks the
// exchange off on this port rather than passing on to the next one.
TEST(Exchange, TrackerRefusingTheGetForGoodEndsOnRedWithoutScanningOn) {
    ExchangeBench bench;
    bench.sim.faults.refuse.push_back({SimFrame::Get, 1, 1'000'000});

    bench.engine.readDevice();
    bench.run();

    EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kInterrupted}));
    EXPECT_EQ(bench.link.openAttempts().size(), 1u);
    EXPECT_FALSE(bench.link.isOpen());
    EXPECT_EQ(bench.sim.framesSeen(SimFrame::Get), 101);
}

TEST(Exchange, NewCommandStartsCleanAfterOneStoppedMidBlock) {
    ExchangeBench bench;
    bench.sim.faults.split = {SimFrame::ReadCount, 2, 1 + 100};
    bench.link.setPauseLooks(1'000'000);  // the rest of block 2 never comes
    bench.engine.readDevice();
    bench.run(12);  // up to the middle of block 2
    ASSERT_TRUE(bench.owner.armed);

    // The user clicks Read again.
    const int cancels = bench.owner.cancelCalls;
    bench.engine.readDevice();
    EXPECT_EQ(bench.owner.cancelCalls, cancels + 1);
    bench.run();

    EXPECT_EQ(bench.owner.last(), kReadOk);
    EXPECT_TRUE(sameBlock(bench.engine.workingImage, bench.trackerImage()));
}

TEST(Exchange, TrackerTalkingOnAfterTheExchangeChangesNoOutcome) {
    {
        ExchangeBench bench;
        bench.sim.faults.chatter = 256;
        bench.engine.readDevice();
        bench.run();
        EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kReadOk}));
        EXPECT_FALSE(bench.link.isOpen());
        EXPECT_FALSE(bench.owner.armed);
    }
    {
        ExchangeBench bench;
        bench.sim.faults.chatter = 256;
        bench.engine.writeDevice();
        bench.run();
        EXPECT_EQ(bench.owner.results, (std::vector<Shown>{kCleared, kWriteOk}));
        EXPECT_FALSE(bench.owner.armed);
    }
}

TEST(Exchange, TicksAndArrivalsWithoutAnExchangeDoNothing) {
    ExchangeBench bench;
    bench.engine.onTick();
    bench.engine.onArrival();
    EXPECT_TRUE(bench.link.openAttempts().empty());
    EXPECT_FALSE(bench.owner.armed);
    EXPECT_TRUE(bench.owner.results.empty());
}

}  // namespace

// The simulated tracker as a generic bootloader host sees it: the checks the
// engine tests lean on (a bad checksum is refused, nothing is stored), the
// standard commands, the block file and the command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <utility>

#include "exchange_fixture.h"
#include "tools/tracker_sim/sim_options.h"

namespace {

class Collect : public TrackerOutput {
  public:
    void send(const std::uint8_t* bytes, std::size_t length) override {
        bytes_.insert(bytes_.end(), bytes, bytes + length);
    }
    void pause() override {}
    Bytes take() { return std::exchange(bytes_, {}); }

  private:
    Bytes bytes_;
};

Bytes talk(TrackerSim& sim, Collect& out, const std::string& frame) {
    const Bytes bytes = hex(frame);
    sim.receive(bytes.data(), bytes.size(), out);
    return out.take();
}

TEST(TrackerSim, AnswersAGenericBootloaderHost) {
    TrackerSim sim(kModelRQ10);
    sim.productId = 0x0436;
    Collect out;
    const auto before = sim.block;
    struct Step {
        const char* host;
        const char* tracker;
    };
    const Step steps[] = {
        {"7F", "79"},
        {"00 FF", "79 06 70 00 01 02 11 21 31 79"},  // Get without the leading 0x7F
        {"01 FE", "79 70 00 00 79"},                 // Get Version
        {"02 FD", "79 01 04 36 79"},                 // Get ID
        {"44 BB", "1F"},                             // no such command
        {"11 EF", "1F"},                             // bad complement
        {"11 EE", "79"},
        {"00 00 10 00 11", "1F"},  // bad address checksum
        {"11 EE", "79"},
        {"00 00 20 00 20", "1F"},  // outside the block
        {"11 EE", "79"},
        {"00 00 15 FC E9", "79"},
        {"07 F8", "1F"},  // runs past its end
        {"11 EE", "79"},
        {"00 00 15 FC E9", "79"},
        {"03 FC", "79 00 00 00 00"},
        {"31 CE", "79"},
        {"00 00 10 00 10", "79"},
        {"01 AA BB 11", "1F"},  // bad data checksum
        {"01 AA BB 10", "79"},  // sent again at once, correct this time
        {"21 DE", "79"},
        {"08 00 00 00 08", "79"},  // Go: accepted, nothing happens
    };
    for (const Step& s : steps) EXPECT_EQ(talk(sim, out, s.host), hex(s.tracker)) << s.host;

    auto expected = before;
    expected[0] = 0xAA, expected[1] = 0xBB;
    EXPECT_EQ(sim.block, expected);
}

TEST(TrackerSim, BlockFileHoldsExactly1536Bytes) {
    const std::string path = testing::TempDir() + "quelter-block.bin";
    TrackerSim saved(kModelRQ20);
    saved.block[5] = 0x42;
    std::string error;
    ASSERT_TRUE(saved.saveBlock(path, error)) << error;

    TrackerSim loaded;
    ASSERT_TRUE(loaded.loadBlock(path, error)) << error;
    EXPECT_EQ(loaded.block, saved.block);

    std::ofstream(path, std::ios::app) << 'x';
    loaded.block[5] = 0;
    EXPECT_FALSE(loaded.loadBlock(path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(loaded.block[5], 0);  // a bad file changes nothing
    EXPECT_FALSE(loaded.loadBlock(path + ".missing", error));
    std::remove(path.c_str());
}

TEST(TrackerSim, CommandLine) {
    SimProgramOptions o;
    std::string error;
    const char* good[] = {"sim",        "--model",
                          "RQ10",       "--version",
                          "1.2.a.FF",   "--refuse",
                          "address:6",  "--refuse",
                          "sync:1:52",  "--bad-answer",
                          "count:3",    "--split-block",
                          "3:100",      "--silent-after",
                          "45",         "--chatter",
                          "300",        "--no-pacing",
                          "--delay-ms", "0",
                          "--flash-ms", "25"};
    ASSERT_TRUE(parseSimOptions(std::size(good), good, o, error)) << error;
    EXPECT_EQ(o.model, 0x70);
    EXPECT_EQ(o.version, (std::array<std::uint8_t, 4>{1, 2, 0x0A, 0xFF}));
    ASSERT_EQ(o.faults.refuse.size(), 2u);
    EXPECT_EQ(o.faults.refuse[1].kind, SimFrame::Sync);
    EXPECT_EQ(o.faults.refuse[1].count, 52);
    EXPECT_EQ(o.faults.split.kind, SimFrame::ReadCount);
    EXPECT_EQ(o.faults.split.at, 101);
    EXPECT_FALSE(o.pty.pacing);
    EXPECT_EQ(o.pty.flashMs, 25);
    const char* flash[] = {"sim", "--bad-flash", "5:2"};
    ASSERT_TRUE(parseSimOptions(std::size(flash), flash, o, error)) << error;
    ASSERT_EQ(o.faults.badFlash.size(), 1u);
    EXPECT_EQ(o.faults.badFlash[0].kind, SimFrame::DataBlock);
    EXPECT_EQ(o.faults.badFlash[0].first, 5);
    EXPECT_EQ(o.faults.badFlash[0].count, 2);

    for (const char* bad :
         {"--model=RQ10", "--version", "--refuse", "--bad-flash", "--frobnicate"}) {
        const char* argv[] = {"sim", bad, "1.2.3"};
        SimProgramOptions ignored;
        EXPECT_FALSE(parseSimOptions(3, argv, ignored, error)) << bad;
    }
    for (const char* value :
         {"1.2.3", "1.2.3.4.5", "1.2.3.100", "1..2.3", "1.2.-1.4", "1.+2.3.4"}) {
        const char* argv[] = {"sim", "--version", value};
        SimProgramOptions ignored;
        EXPECT_FALSE(parseSimOptions(3, argv, ignored, error)) << value;
    }

    // Numbers are decimal, or hexadecimal after 0x; a leading zero is no octal.
    struct Number {
        const char* text;
        int model;  // -1: refused
    };
    for (const Number& n :
         {Number{"010", 10}, Number{"0x70", 0x70}, Number{"0X1f", 0x1F}, Number{"+5", -1},
          Number{" 5", -1}, Number{"-0", -1}, Number{"0x", -1}, Number{"256", -1}}) {
        const char* argv[] = {"sim", "--model", n.text};
        SimProgramOptions parsed;
        EXPECT_EQ(parseSimOptions(3, argv, parsed, error), n.model >= 0) << n.text;
        if (n.model >= 0) {
            EXPECT_EQ(parsed.model, n.model) << n.text;
        }
    }
}

}  // namespace

// quelter-cli's diff, --json and --all against simulated trackers over
// pseudo-terminals.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/device_config.h"
#include "tests/e2e/cli_support.h"

namespace {

std::string deviceOrder(DeviceConfig c) {
    SwapByteOrder(c);
    return std::string(reinterpret_cast<const char*>(c.bytes), kDeviceBlockSize);
}

// A tracker with a name in Cyrillic, a password of its own, its own fields
// that a Write keeps, and bytes in two reserved stretches.
DeviceConfig trackerImage() {
    DeviceConfig c{};
    SetText(c, Field::MainPhone, "+79161234567");
    SetText(c, Field::QuelterName, "\xCC\xE0\xF8\xE8\xED\xE0");  // "Машина" in CP1251
    SetU8(c, Field::Speed, 90);
    SetU16(c, Field::WakeupPeriod, 1500);
    SetI32(c, Field::ZoneLatitude, -33868820);
    SetU8(c, Field::AlarmLockShock, 9);
    SetText(c, Field::DevicePassword, "1111");
    SetText(c, Field::USSDReq, "*100#");
    SetU32(c, Field::DeviceType, 0xA5A50001);
    c.bytes[176] = 0x55;
    c.bytes[500] = 0xAA;
    return c;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Replaces the value of one key in a settings file (CRLF lines).
void setKey(std::string& ini, const std::string& key, const std::string& value) {
    const auto at = ini.find("\r\n" + key + "=");
    ASSERT_NE(std::string::npos, at) << key;
    const auto from = at + 3 + key.size();
    ini.replace(from, ini.find("\r\n", from) - from, value);
}

class FleetTest : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(FleetTest, DiffListsExactlyWhatTheWriteThenChanges) {
    const DeviceConfig before = trackerImage();
    writeFile(dir / "block", deviceOrder(before));
    Simulator sim(
        {"--no-pacing", "--block", (dir / "block").string(), "--save", (dir / "after").string()});

    ASSERT_EQ(0,
              runCli({"read", "--port", sim.path(), "-o", (dir / "a.ini").string()}, dir / "read")
                  .exitCode);
    std::string ini = readFile(dir / "a.ini");
    setKey(ini, "QuelterName", "\xC3\xF0\xF3\xE7\xEE\xE2\xE8\xEA");  // "Грузовик"
    setKey(ini, "Speed", "77");
    setKey(ini, "QuelterZone.Latitude", "-1");
    setKey(ini, "USSDReq", "*111#");  // the tracker's own: a Write keeps "*100#"
    writeFile(dir / "b.ini", ini);

    const CliRun diff =
        runCli({"diff", (dir / "b.ini").string(), "--port", sim.path()}, dir / "diff");
    ASSERT_EQ(8, diff.exitCode) << diff.err;
    std::map<std::string, std::string> listed;
    for (const std::string& line : linesOf(diff.out))
        listed[line.substr(0, line.find('\t'))] = line;
    EXPECT_EQ("QuelterName\t\"Машина\"\t\"Грузовик\"", listed["QuelterName"]);
    EXPECT_EQ("Speed\t90\t77", listed["Speed"]);
    EXPECT_EQ("QuelterZone.Latitude\t-33868820\t-1", listed["QuelterZone.Latitude"]);
    EXPECT_EQ("DevicePassword\t\"1111\"\t\"8647\"", listed["DevicePassword"]);

    ASSERT_EQ(
        0,
        runCli({"write", (dir / "b.ini").string(), "--port", sim.path()}, dir / "write").exitCode);
    // Nothing is left to change.
    const CliRun again =
        runCli({"diff", (dir / "b.ini").string(), "--port", sim.path()}, dir / "again");
    EXPECT_EQ(0, again.exitCode) << again.err;
    EXPECT_EQ("", again.out);
    sim.stop();

    // What really changed, field by field, and in the stretches no field names.
    const DeviceConfig after = hostImage(readFile(dir / "after"));
    std::set<std::string> changed;
    bool named[kDeviceBlockSize] = {};
    for (const FieldInfo& fi : fieldTable()) {
        if (fi.offset >= kDeviceBlockSize) continue;
        std::fill(named + fi.offset, named + fi.offset + fi.width, true);
        if (std::memcmp(before.bytes + fi.offset, after.bytes + fi.offset, fi.width) != 0)
            changed.insert(fi.name);
    }
    for (std::size_t i = 0; i < kDeviceBlockSize; ++i)
        if (!named[i] && before.bytes[i] != after.bytes[i])
            changed.insert("Reserved" + std::to_string(i));
    EXPECT_EQ(0u, changed.count("USSDReq"));
    EXPECT_EQ(1u, changed.count("Reserved500"));

    std::set<std::string> keys;
    for (const auto& entry : listed) keys.insert(entry.first);
    EXPECT_EQ(changed, keys);
}

TEST_F(FleetTest, DiffEndsAsAWriteWouldWithoutWriting) {
    const std::string block = deviceOrder(trackerImage());
    writeFile(dir / "block", block);
    Simulator sim({"--no-pacing", "--model", "RQ10", "--block", (dir / "block").string(), "--save",
                   (dir / "after").string()});
    writeFile(dir / "rq30.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\n");

    const CliRun other =
        runCli({"diff", (dir / "rq30.ini").string(), "--port", sim.path()}, dir / "other");
    EXPECT_EQ(2, other.exitCode);
    EXPECT_NE(std::string::npos, other.err.find("Несовместимое устройство"));
    EXPECT_EQ("", other.out);

    const CliRun missing = runCli(
        {"diff", (dir / "none.ini").string(), "--port", sim.path(), "--trace"}, dir / "missing");
    EXPECT_EQ(4, missing.exitCode);
    EXPECT_EQ(std::string::npos, missing.err.find(" > ")) << "a port was opened";

    // A file that names no model is compared for the model given, as write takes it.
    writeFile(dir / "any.ini", "[GPS Quelter Config file]\r\nSpeed=5\r\n");
    EXPECT_EQ(
        2,
        runCli({"diff", (dir / "any.ini").string(), "--port", sim.path()}, dir / "any").exitCode);
    const CliRun given =
        runCli({"diff", (dir / "any.ini").string(), "--model", "RQ10", "--port", sim.path()},
               dir / "rq10");
    EXPECT_EQ(8, given.exitCode) << given.err;
    EXPECT_NE(std::string::npos, given.out.find("\nSpeed\t90\t5\n")) << given.out;

    const CliRun none = runCli(
        {"diff", (dir / "rq30.ini").string(), "--port", (dir / "no-port").string()}, dir / "none");
    EXPECT_EQ(1, none.exitCode);
    sim.stop();
    EXPECT_EQ(block, readFile(dir / "after"));
}

TEST_F(FleetTest, JsonGivesOneObjectPerTracker) {
    Simulator sim({"--no-pacing", "--model", "RQ10", "--version", "3.5.0.C"});
    writeFile(dir / "rq10.ini", "[GPS Quelter Config file]\r\nBootVersion=112\r\n");
    const CliRun w =
        runCli({"write", (dir / "rq10.ini").string(), "--port", sim.path(), "--json"}, dir / "w");
    EXPECT_EQ(0, w.exitCode) << w.err;
    EXPECT_TRUE(std::regex_match(
        w.out, std::regex("\\{\"command\":\"write\",\"port\":\"" + sim.path() +
                          "\",\"model\":\"RQ10\",\"model_id\":112,\"firmware\":\"3.5.0.C\","
                          "\"file\":\"[^\"]*rq10.ini\",\"result\":\"Параметры записаны успешно\","
                          "\"exit\":0,\"backup\":\"" +
                          (dir / "data").string() +
                          "/quelter-config/backups/[^\"]+-RQ10\\.bin\",\"check\":\"passed\","
                          "\"elapsed_ms\":[0-9]+\\}\n")))
        << w.out;
    EXPECT_NE(std::string::npos, w.err.find("Параметры записаны успешно"));

    // A block that does not read back as written.
    Simulator flawed({"--no-pacing", "--model", "RQ10", "--bad-flash", "5"});
    const CliRun bad = runCli(
        {"write", (dir / "rq10.ini").string(), "--port", flawed.path(), "--json"}, dir / "bad");
    EXPECT_EQ(5, bad.exitCode) << bad.err;
    EXPECT_NE(std::string::npos, bad.out.find("\"exit\":5,\"backup\":\"")) << bad.out;
    EXPECT_NE(std::string::npos, bad.out.find("\"check\":\"failed\"")) << bad.out;

    const std::string nowhere = (dir / "no-port").string();
    const CliRun none = runCli({"reset", "--port", nowhere, "--json"}, dir / "none");
    EXPECT_EQ(1, none.exitCode);
    EXPECT_TRUE(std::regex_match(
        none.out,
        std::regex("\\{\"command\":\"reset\",\"port\":\"" + nowhere +
                   "\",\"model\":null,\"model_id\":null,\"result\":\"Подключения GPS Quelter к "
                   "ПК не обнаружено\",\"exit\":1,\"elapsed_ms\":[0-9]+\\}\n")))
        << none.out;
}

TEST_F(FleetTest, OptionsThatDoNotFitTheCommandAreUsageErrors) {
    for (const std::vector<std::string>& wrong : {
             std::vector<std::string>{"diff"},
             {"read", "--json"},                 // the settings file would go where the JSON goes
             {"read", "--all"},                  // one file per tracker needs a folder
             {"write", "a.ini", "-o", "b.ini"},  // once wrote b.ini to the tracker
             {"diff", "a.ini", "-o", "b.ini"},
         }) {
        const CliRun r = runCli(wrong, dir / "usage");
        EXPECT_EQ(64, r.exitCode) << wrong.back();
        EXPECT_EQ("", r.out);
    }
}

TEST_F(FleetTest, AllRunsOneExchangePerPortAndFailsIfAnyTrackerFails) {
    const std::string block = deviceOrder(trackerImage());
    writeFile(dir / "block", block);
    std::vector<std::unique_ptr<Simulator>> sims;
    const char* models[] = {"RQ30", "RQ10", "RQ30"};
    for (int i = 0; i < 3; ++i) {
        const std::string save = (dir / "after").string() + std::to_string(i);
        sims.push_back(std::make_unique<Simulator>(
            std::vector<std::string>{"--no-pacing", "--model", models[i], "--block",
                                     (dir / "block").string(), "--save", save}));
    }
    const std::string nowhere = (dir / "no-port").string();
    std::vector<std::string> ports = {"--port", sims[0]->path(), "--port", nowhere,
                                      "--port", sims[1]->path(), "--port", sims[2]->path()};
    auto withPorts = [&ports](std::vector<std::string> args) {
        args.insert(args.end(), ports.begin(), ports.end());
        return args;
    };

    // One file per tracker, each what a single read gives.
    const CliRun read =
        runCli(withPorts({"read", "--all", "-o", (dir / "fleet").string()}), dir / "read");
    EXPECT_EQ(0, read.exitCode) << read.err;
    std::string name = sims[1]->path().substr(5) + ".ini";  // "/dev/pts/N" saves to pts-N.ini
    std::replace(name.begin(), name.end(), '/', '-');
    const std::string rq10 = readFile(dir / "fleet" / name.c_str());
    EXPECT_EQ(rq10, runCli({"read", "--port", sims[1]->path()}, dir / "one").out);
    EXPECT_NE(std::string::npos, rq10.find("BootVersion=112"));
    EXPECT_NE(std::string::npos, read.err.find(sims[2]->path() + ": Параметры прочитаны успешно"));

    // A file for an RQ30: the RQ10 refuses it, the others take it.
    writeFile(dir / "rq30.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\nSpeed=42\r\n");
    const CliRun write =
        runCli(withPorts({"write", (dir / "rq30.ini").string(), "--all", "--json"}), dir / "w");
    EXPECT_EQ(2, write.exitCode) << write.err;
    const std::vector<std::string> results = linesOf(write.out);
    ASSERT_EQ(4u, results.size()) << write.out;
    const std::pair<std::string, int> expected[] = {
        {sims[0]->path(), 0}, {nowhere, 1}, {sims[1]->path(), 2}, {sims[2]->path(), 0}};
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_NE(std::string::npos, results[i].find("\"port\":\"" + expected[i].first + "\""))
            << results[i];
        EXPECT_NE(std::string::npos,
                  results[i].find("\"exit\":" + std::to_string(expected[i].second) + ","))
            << results[i];
    }
    // Each tracker written has a backup of its own, of what it held before.
    std::set<std::string> backups;
    for (std::size_t i : {0u, 3u}) {
        std::smatch backup;
        ASSERT_TRUE(std::regex_search(results[i], backup, std::regex("\"backup\":\"([^\"]+)\"")))
            << results[i];
        EXPECT_EQ(block, readFile(backup[1].str()));
        backups.insert(backup[1].str());
    }
    EXPECT_EQ(2u, backups.size());

    // Only the trackers that succeeded count: no tracker at all is exit 1.
    EXPECT_EQ(1, runCli({"reset", "--all", "--port", nowhere}, dir / "none").exitCode);
    ports = {"--port", sims[0]->path(), "--port", nowhere, "--port", sims[2]->path()};
    const CliRun same =
        runCli(withPorts({"diff", (dir / "rq30.ini").string(), "--all"}), dir / "d");
    EXPECT_EQ(0, same.exitCode) << same.err;  // the write above reached both
    EXPECT_EQ("", same.out);
    writeFile(dir / "rq30.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\nSpeed=43\r\n");
    const CliRun diff =
        runCli(withPorts({"diff", (dir / "rq30.ini").string(), "--all"}), dir / "d8");
    EXPECT_EQ(8, diff.exitCode) << diff.err;
    EXPECT_EQ(sims[0]->path() + "\tSpeed\t42\t43\n" + sims[2]->path() + "\tSpeed\t42\t43\n",
              diff.out);
    EXPECT_EQ(
        0, runCli(withPorts({"write", (dir / "rq30.ini").string(), "--all"}), dir / "ok").exitCode);

    for (auto& sim : sims) sim->stop();
    EXPECT_EQ(43, GetU8(hostImage(readFile(dir / "after0")), Field::Speed));
    EXPECT_EQ(43, GetU8(hostImage(readFile(dir / "after2")), Field::Speed));
    EXPECT_EQ(block, readFile(dir / "after1"));
}

}  // namespace

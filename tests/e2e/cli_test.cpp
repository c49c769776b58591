// quelter-cli against quelter-tracker-sim over a pseudo-terminal: the real
// programs, the real port layer and the real 20 ms tick.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/device_config.h"
#include "settings/settings_file.h"
#include "tests/e2e/cli_support.h"

namespace {

// The key=value lines of a settings file (CRLF lines, one section).
std::map<std::string, std::string> keysOf(const std::string& file) {
    std::map<std::string, std::string> keys;
    std::istringstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

// A tracker block in device order with a few fields of the user's.
std::string trackerBlock() {
    DeviceConfig c{};
    SetText(c, Field::MainPhone, "+79161234567");
    SetText(c, extPhoneField(2), "+79037654321");
    SetU16(c, Field::PhoneEn, 1 << 2);
    SetText(c, Field::QuelterName, "\xCC\xE0\xF8\xE8\xED\xE0");  // "Машина" in CP1251
    SetU8(c, Field::SysMode, 0x23);
    SetU8(c, Field::ModeFlags1, 0x08);
    SetU8(c, Field::Lang, 2);
    SetI8(c, Field::GMTOffset, 3);
    SetI32(c, Field::ZoneLatitude, -33868820);
    SetI32(c, Field::ZoneLongitude, 151209295);
    SetU32(c, Field::ZoneDistance, 1500);
    SetU16(c, Field::WakeupPeriod, 1500);
    SetU16(c, Field::GPRSTimer, 300);
    SetU32(c, Field::WakeUp1, 0x0700);
    SetU16(c, Field::WakeEnableFlags, 0);
    SetU16(c, Field::TempH, 303);
    SetU16(c, Field::TempL, 263);
    SetU8(c, Field::Speed, 90);
    SetU8(c, Field::VibrParam, 4);
    SetU16(c, Field::ParkTimer, 45);
    SetU16(c, Field::StayTimer, 600);
    SetU16(c, Field::RelayPulseLen, 20);
    SetU16(c, Field::NoSleepTimer, 600);
    SetU8(c, Field::AlarmLockShock, 9);
    SetText(c, Field::ApnAddress, "internet.mts.ru");
    SetText(c, Field::MonServerIP, "gps.example.org:5050");
    // The tracker's own fields, which a Write must keep.
    SetText(c, Field::USSDReq, "*100#");
    SetU32(c, Field::DeviceType, 0xA5A50001);
    std::memcpy(fieldBytes(c, Field::FirmwareVersion), "\x03\x05\x00\x0C", 4);
    std::memset(fieldBytes(c, Field::KeptBlock256), 0x5C, 32);
    SetText(c, Field::DevicePassword, "1111");
    SwapByteOrder(c);
    return std::string(reinterpret_cast<const char*>(c.bytes), kDeviceBlockSize);
}

// The backups a run named on standard error, in order.
std::vector<fs::path> backupsNamed(const CliRun& r) {
    std::vector<fs::path> paths;
    const std::string head = "Резервная копия: ";
    std::istringstream in(r.err);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(head, 0) == 0) paths.emplace_back(line.substr(head.size()));
    return paths;
}

// The trace's frames sent, one string of hex bytes each.
std::vector<std::string> framesSent(const CliRun& r) {
    std::vector<std::string> frames;
    std::istringstream in(r.err);
    for (std::string line; std::getline(in, line);)
        if (const auto at = line.find(" ms > "); at != std::string::npos)
            frames.push_back(line.substr(at + 6));
    return frames;
}

bool sends(const CliRun& r, const std::string& frame) {
    const auto frames = framesSent(r);
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

class CliTest : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(CliTest, ReadWritesTheSettingsFileTheWindowWouldSave) {
    writeFile(dir / "block", trackerBlock());
    Simulator sim({"--model", "RQ30", "--block", (dir / "block").string()});
    ASSERT_FALSE(sim.path().empty());

    const CliRun r = runCli({"read", "--port", sim.path()}, dir / "read");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("Параметры прочитаны успешно"));
    EXPECT_NE(std::string::npos, r.err.find("Версия прошивки:3.5.0.C"));
    EXPECT_NE(std::string::npos, r.err.find("RQ30"));

    // Section first, 61 keys, CRLF lines, nothing else.
    ASSERT_EQ(
        0u, r.out.rfind(
                "[GPS Quelter Config file]\r\nAngle=0\r\nBalanceLevel=0\r\nBootVersion=17\r\n", 0));
    const auto keys = keysOf(r.out);
    EXPECT_EQ(61u, keys.size());
    const std::map<std::string, std::string> expected = {
        {"MainPhone.PhoneNum", "+79161234567"},
        {"ExtPhone2", "+79037654321"},
        {"PhoneEn", "4"},
        {"QuelterName", "\xCC\xE0\xF8\xE8\xED\xE0"},
        {"Lang", "2"},
        {"GMTOffset", "3"},
        {"GMTFlags", "1"},  // every collection sets it
        {"QuelterZone.Latitude", "-33868820"},
        {"QuelterZone.Longitude", "151209295"},
        {"QuelterZone.Distane", "1500"},
        {"WakeupPeriod", "1500"},
        {"GPRSTimer", "300"},
        {"WakeUp1", "1792"},
        {"TempH", "303"},
        {"TempL", "263"},
        {"Speed", "90"},
        {"VibrParam", "4"},
        {"RelayPulseLen", "20"},
        {"QuelterAPN.Address", "internet.mts.ru"},
        {"MonServerIP", "gps.example.org:5050"},
        // Not carried by the pages: a saved file after a Read holds them empty.
        {"DeviceType", "0"},
        {"USSDReq", ""},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(value, keys.at(key)) << key;
}

TEST_F(CliTest, WriteBacksUpTheTrackerThenLeavesItHoldingTheFile) {
    const std::string original = trackerBlock();
    writeFile(dir / "block", original);
    Simulator sim({"--block", (dir / "block").string(), "--save", (dir / "after").string()});

    // A settings file prepared elsewhere: another phone, name and period.
    CliRun first =
        runCli({"read", "--port", sim.path(), "-o", (dir / "a.ini").string()}, dir / "r1");
    ASSERT_EQ(0, first.exitCode) << first.err;
    std::string ini = readFile(dir / "a.ini");
    auto replace = [&ini](const std::string& from, const std::string& to) {
        const auto at = ini.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        ini.replace(at, from.size(), to);
    };
    replace("MainPhone.PhoneNum=+79161234567", "MainPhone.PhoneNum=+70000000001");
    replace("WakeupPeriod=1500", "WakeupPeriod=720");
    writeFile(dir / "b.ini", ini);

    const CliRun w = runCli({"write", (dir / "b.ini").string(), "--port", sim.path()}, dir / "w");
    ASSERT_EQ(0, w.exitCode) << w.err;
    EXPECT_NE(std::string::npos, w.err.find("Параметры записаны успешно"));

    // The backup: the block exactly as the tracker held it, and a settings
    // file that opens back to the same fields, the tracker's own included.
    const std::vector<fs::path> backups = backupsNamed(w);
    ASSERT_EQ(1u, backups.size()) << w.err;
    EXPECT_EQ(dir / "data" / "quelter-config" / "backups", backups[0].parent_path());
    EXPECT_EQ(original, readFile(backups[0]));
    fs::path backupIni = backups[0];
    backupIni.replace_extension(".ini");
    const DeviceConfig asRead = hostImage(original);
    DeviceConfig opened = asRead;
    int model = 0;
    ASSERT_TRUE(LoadSettings(backupIni.string(), opened, model, nullptr).ok);
    EXPECT_EQ(0x11, model);
    EXPECT_EQ(0, std::memcmp(asRead.bytes, opened.bytes, kConfigSize));
    EXPECT_EQ("*100#", keysOf(readFile(backupIni)).at("USSDReq"));

    const CliRun back = runCli({"read", "--port", sim.path()}, dir / "r2");
    ASSERT_EQ(0, back.exitCode) << back.err;
    EXPECT_EQ(ini, back.out);

    sim.stop();
    const DeviceConfig after = hostImage(readFile(dir / "after"));
    const DeviceConfig before = hostImage(original);
    EXPECT_EQ("+70000000001", GetText(after, Field::MainPhone));
    EXPECT_EQ("8647", GetText(after, Field::DevicePassword));
    for (Field f :
         {Field::USSDReq, Field::DeviceType, Field::FirmwareVersion, Field::KeptBlock256,
          Field::KeptBlock320, Field::KeptByte359, Field::KeptWord362, Field::KeptWord366}) {
        const FieldInfo& fi = fieldInfo(f);
        EXPECT_EQ(0, std::memcmp(fieldBytes(before, f), fieldBytes(after, f), fi.width)) << fi.name;
    }
}

TEST_F(CliTest, BlockStoredWronglyFailsTheCheckAndKeepsTheBackup) {
    const std::string original = trackerBlock();
    writeFile(dir / "block", original);
    writeFile(dir / "ok.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\n");
    Simulator sim({"--block", (dir / "block").string(), "--bad-flash", "5"});

    const CliRun r =
        runCli({"write", (dir / "ok.ini").string(), "--port", sim.path(), "--trace"}, dir / "w");

    EXPECT_EQ(5, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("Ошибка проверки записи: 128 байт отличаются"));
    EXPECT_EQ(std::string::npos, r.err.find("Параметры записаны успешно"));
    // The check's frames are in the trace: the block is read again after the
    // last block written.
    const auto frames = framesSent(r);
    const auto lastWrite = std::find(frames.rbegin(), frames.rend(), "31 CE");
    ASSERT_NE(frames.rend(), lastWrite);
    EXPECT_TRUE(std::find(frames.rbegin(), lastWrite, "11 EE") != lastWrite);
    EXPECT_TRUE(std::find(frames.rbegin(), lastWrite, "7F 80") != lastWrite);
    const std::vector<fs::path> backups = backupsNamed(r);
    ASSERT_EQ(1u, backups.size());
    EXPECT_EQ(original, readFile(backups[0]));
}

TEST_F(CliTest, WriteWithoutABackupSendsNoBlock) {
    const std::string original = trackerBlock();
    writeFile(dir / "block", original);
    writeFile(dir / "ok.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\n");
    writeFile(dir / "home-file", "not a folder");
    Simulator sim({"--block", (dir / "block").string(), "--save", (dir / "after").string()});

    const CliRun r = runCli({"write", (dir / "ok.ini").string(), "--port", sim.path(), "--trace"},
                            dir / "w", std::chrono::seconds(60), dir / "home-file");

    EXPECT_EQ(4, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("Запись отменена, резервная копия не сохранена: " +
                                            (dir / "home-file").string()))
        << r.err;
    EXPECT_TRUE(sends(r, "00 00 15 80 95"));  // the tracker was read
    EXPECT_FALSE(sends(r, "31 CE"));
    sim.stop();
    EXPECT_EQ(original, readFile(dir / "after"));
}

TEST_F(CliTest, RestoreBringsTheTrackerBackAndRefusesAnotherModel) {
    const std::string original = trackerBlock();
    writeFile(dir / "block", original);
    writeFile(dir / "other.ini",
              "[GPS Quelter Config file]\r\nBootVersion=17\r\nMainPhone.PhoneNum=+70000000001\r\n");
    Simulator sim({"--block", (dir / "block").string(), "--save", (dir / "after").string()});
    const CliRun w =
        runCli({"write", (dir / "other.ini").string(), "--port", sim.path()}, dir / "w");
    ASSERT_EQ(0, w.exitCode) << w.err;
    const std::vector<fs::path> first = backupsNamed(w);
    ASSERT_EQ(1u, first.size());

    // Another model's tracker: refused, nothing written, no backup made.
    Simulator rq10({"--model", "RQ10", "--block", (dir / "block").string(), "--save",
                    (dir / "rq10-after").string()});
    const CliRun refused =
        runCli({"restore", first[0].string(), "--port", rq10.path(), "--trace"}, dir / "r10");
    EXPECT_EQ(2, refused.exitCode) << refused.err;
    EXPECT_NE(std::string::npos, refused.err.find("Несовместимое устройство"));
    EXPECT_FALSE(sends(refused, "31 CE"));
    EXPECT_TRUE(backupsNamed(refused).empty());
    rq10.stop();
    EXPECT_EQ(original, readFile(dir / "rq10-after"));

    const CliRun r = runCli({"restore", first[0].string(), "--port", sim.path()}, dir / "r");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("Параметры записаны успешно"));
    // A backup of its own first: the tracker as the write left it.
    const std::vector<fs::path> second = backupsNamed(r);
    ASSERT_EQ(1u, second.size());
    EXPECT_NE(first[0], second[0]);
    EXPECT_EQ("+70000000001", GetText(hostImage(readFile(second[0])), Field::MainPhone));
    EXPECT_EQ(original, readFile(first[0]));

    // Byte for byte what the tracker held, but for the password every write sets.
    sim.stop();
    DeviceConfig expected = hostImage(original);
    SetText(expected, Field::DevicePassword, "8647");
    const DeviceConfig after = hostImage(readFile(dir / "after"));
    EXPECT_EQ(0, std::memcmp(expected.bytes, after.bytes, kDeviceBlockSize));
}

TEST_F(CliTest, ResetOnATrackerOfAnotherModelChangesNothing) {
    const std::string original = trackerBlock();
    writeFile(dir / "block", original);
    Simulator sim({"--model", "RQ10", "--block", (dir / "block").string(), "--save",
                   (dir / "after").string()});

    const CliRun r = runCli({"reset", "--port", sim.path()}, dir / "reset");  // edits an RQ30
    EXPECT_EQ(2, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("Несовместимое устройство"));
    sim.stop();
    EXPECT_EQ(original, readFile(dir / "after"));
}

TEST_F(CliTest, ResetWithTheMatchingModelWritesTheFactoryConfiguration) {
    writeFile(dir / "block", trackerBlock());
    Simulator sim({"--model", "RQ20", "--block", (dir / "block").string(), "--save",
                   (dir / "after").string()});
    const CliRun r = runCli({"reset", "--model", "RQ20", "--port", sim.path()}, dir / "reset");
    ASSERT_EQ(0, r.exitCode) << r.err;
    sim.stop();
    const DeviceConfig after = hostImage(readFile(dir / "after"));
    EXPECT_EQ("", GetText(after, Field::MainPhone));
    EXPECT_EQ(720, GetU16(after, Field::WakeupPeriod));
    EXPECT_EQ(131, GetU8(after, Field::Speed));
    EXPECT_EQ("*100#", GetText(after, Field::USSDReq));  // the tracker's own
}

// A settings file that names no model is written for the model given, or for
// the one the window starts with; it never makes every tracker incompatible.
TEST_F(CliTest, AFileWithoutAModelIsWrittenForTheModelGiven) {
    writeFile(dir / "block", trackerBlock());
    Simulator sim({"--model", "RQ10", "--block", (dir / "block").string(), "--save",
                   (dir / "after").string()});
    writeFile(dir / "no-model.ini",
              "[GPS Quelter Config file]\r\nMainPhone.PhoneNum=+70000000002\r\nSpeed=60\r\n");

    const CliRun kept =
        runCli({"write", (dir / "no-model.ini").string(), "--port", sim.path()}, dir / "kept");
    EXPECT_EQ(2, kept.exitCode) << kept.err;
    EXPECT_NE(std::string::npos, kept.err.find("Файл открыт без известной модели, оставлена RQ30"));
    EXPECT_NE(std::string::npos, kept.err.find("Несовместимое устройство"));

    const CliRun given =
        runCli({"write", (dir / "no-model.ini").string(), "--model", "RQ10", "--port", sim.path()},
               dir / "given");
    ASSERT_EQ(0, given.exitCode) << given.err;
    EXPECT_NE(std::string::npos,
              given.err.find("Файл открыт без известной модели, оставлена RQ10"));
    EXPECT_NE(std::string::npos, given.err.find("Параметры записаны успешно"));
    sim.stop();
    const DeviceConfig after = hostImage(readFile(dir / "after"));
    EXPECT_EQ("+70000000002", GetText(after, Field::MainPhone));
    EXPECT_EQ(60, GetU8(after, Field::Speed));
}

TEST_F(CliTest, FailuresEndWithTheirExitStatus) {
    // No tracker on the only port scanned.
    CliRun none = runCli({"read", "--port", (dir / "no-such-port").string()}, dir / "none");
    EXPECT_EQ(1, none.exitCode);
    EXPECT_NE(std::string::npos, none.err.find("Подключения GPS Quelter к ПК не обнаружено"));

    // A missing settings file: exit 4 and not a single frame on the line.
    Simulator idle({});
    CliRun missing =
        runCli({"write", (dir / "missing.ini").string(), "--port", idle.path(), "--trace"},
               dir / "missing");
    EXPECT_EQ(4, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("Ошибка загрузки файла"));
    EXPECT_EQ(std::string::npos, missing.err.find(" > ")) << missing.err;

    // A file that is no backup: the same.
    writeFile(dir / "short-RQ30.bin", "too short");
    CliRun notBackup =
        runCli({"restore", (dir / "short-RQ30.bin").string(), "--port", idle.path(), "--trace"},
               dir / "notbackup");
    EXPECT_EQ(4, notBackup.exitCode);
    EXPECT_NE(std::string::npos, notBackup.err.find("Ошибка загрузки резервной копии"));
    EXPECT_EQ(std::string::npos, notBackup.err.find(" > ")) << notBackup.err;

    // A tracker that falls silent in the middle of the write phase: 38 frames
    // read the block, the write starts with its sync and a few blocks.
    writeFile(dir / "ok.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\n");
    Simulator silent({"--silent-after", "45"});
    CliRun stopped =
        runCli({"write", (dir / "ok.ini").string(), "--port", silent.path()}, dir / "stop");
    EXPECT_EQ(3, stopped.exitCode) << stopped.err;
    EXPECT_NE(std::string::npos, stopped.err.find("Обмен с GPS Quelter прерван"));

    // A tracker that acknowledges the sync but refuses every Get: it answered,
    // so the exchange is broken off rather than the tracker reported missing.
    Simulator refusing({"--refuse", "get:1:1000"});
    CliRun refused = runCli({"read", "--port", refusing.path()}, dir / "refused");
    EXPECT_EQ(3, refused.exitCode) << refused.err;
    EXPECT_NE(std::string::npos, refused.err.find("Обмен с GPS Quelter прерван"));
    EXPECT_EQ(std::string::npos, refused.err.find("Подключения GPS Quelter")) << refused.err;

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"write"},
                                                  {"reset", "--model", "RQ40"},
                                                  {"read", "--model", "RQ10"},
                                                  {"reset", "-o", "x.ini"},
                                                  {"restore"},
                                                  {"restore", "a.bin", "-o", "x.ini"},
                                                  {"fetch"}}) {
        CliRun usage = runCli(wrong, dir / "usage");
        EXPECT_EQ(64, usage.exitCode) << wrong[0];
    }
}

// What is not a settings file is refused before anything is read from it or
// a port is opened: a FIFO nobody writes to, an endless device, a folder, a
// file past the size limit. Each run ends at once with little memory; the
// deadline only stops a run that hangs. Measured in the sanitizer build on a
// loaded 2-core machine: each case about 0.5 s and 25 to 28 MB largest
// resident size, the same as a missing file; a random 300 MB file too.
TEST_F(CliTest, WriteRefusesWhatIsNotASettingsFileAtOnce) {
    ASSERT_EQ(0, mkfifo((dir / "fifo.ini").c_str(), 0600));
    fs::create_directory(dir / "folder.ini");
    writeFile(dir / "big.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\n");
    fs::resize_file(dir / "big.ini", 17u << 20);
    Simulator idle({});

    for (const fs::path& file :
         {dir / "fifo.ini", fs::path("/dev/zero"), dir / "folder.ini", dir / "big.ini"}) {
        const CliRun r = runCli({"write", file.string(), "--port", idle.path(), "--trace"},
                                dir / "refused", std::chrono::seconds(10));
        EXPECT_EQ(4, r.exitCode) << file << r.err;
        EXPECT_NE(std::string::npos, r.err.find("Ошибка загрузки файла")) << file;
        EXPECT_EQ(std::string::npos, r.err.find(" > ")) << file << r.err;
        EXPECT_LT(r.maxResidentKiB, 128 * 1024) << file;
        std::printf("%s: exit %d after %.3f s, largest resident size %ld KiB\n", file.c_str(),
                    r.exitCode, r.seconds, r.maxResidentKiB);
    }
}

TEST_F(CliTest, TraceShowsEveryFrameAndAnswer) {
    Simulator sim({"--no-pacing"});
    const CliRun r = runCli(
        {"read", "--trace", "--port", sim.path(), "-o", (dir / "t.ini").string()}, dir / "trace");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(" > 7F\n"));
    EXPECT_NE(std::string::npos, r.err.find(" > 7F 00 FF\n"));
    EXPECT_NE(std::string::npos, r.err.find(" > 00 00 15 80 95\n"));
    EXPECT_NE(std::string::npos, r.err.find(" < 79"));
}

}  // namespace

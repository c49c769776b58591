#include "settings/tracker_backup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/defaults.h"
#include "config/models.h"
#include "settings/file_access.h"
#include "settings/settings_file.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// 2026-12-10 14:03:22 local time.
std::tm backupTime() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 10;
    t.tm_hour = 14;
    t.tm_min = 3;
    t.tm_sec = 22;
    return t;
}

// A tracker's block in device order, with what only the tracker writes (which
// a settings file saved from the pages would hold as zero) filled in.
DeviceConfig trackerBlock() {
    DeviceConfig c{};
    loadDefaults(c);
    SetText(c, Field::MainPhone, "+79161234567");
    SetText(c, Field::QuelterName, "\xC4\xE0\xF7\xE0");  // CP1251
    SetI32(c, Field::ZoneLatitude, -33868820);
    SetU32(c, Field::DeviceType, 0xA5A50001);
    SetText(c, Field::USSDReq, "*100#");
    SetU16(c, Field::BalanceLevel, 50);
    SetText(c, Field::DevicePassword, "1111");
    c.bytes[500] = 0xAB;  // a reserved stretch
    SwapByteOrder(c);
    return c;
}

std::string blockBytes(const DeviceConfig& c) {
    return std::string(reinterpret_cast<const char*>(c.bytes), kDeviceBlockSize);
}

TEST(TrackerBackup, HoldsTheBlockAsReadAndASettingsFileOfIt) {
    TempDir dir;
    const DeviceConfig block = trackerBlock();

    const BackupOutcome b = BackUpTracker(block, kModelRQ10, dir.file("backups"), backupTime());

    ASSERT_TRUE(b.ok) << b.problem;
    const std::string stem = dir.file("backups") + kPathSeparator + "2026-12-10T14-03-22-RQ10";
    EXPECT_EQ(b.binPath, stem + ".bin");
    EXPECT_EQ(b.iniPath, stem + ".ini");
    EXPECT_EQ(readBytes(b.binPath), blockBytes(block));

    // Opening the .ini over the block as read changes no byte: every key it
    // carries holds the tracker's value, not what the pages would make of it.
    DeviceConfig host = block;
    SwapByteOrder(host);
    DeviceConfig opened = host;
    int model = 0;
    ASSERT_TRUE(LoadSettings(b.iniPath, opened, model, nullptr).ok);
    EXPECT_EQ(model, kModelRQ10);
    EXPECT_TRUE(std::equal(host.bytes, host.bytes + kConfigSize, opened.bytes));
    const std::string ini = readBytes(b.iniPath);
    EXPECT_NE(ini.find("\r\nDeviceType=-1515913215\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\nUSSDReq=*100#\r\n"), std::string::npos);
}

TEST(TrackerBackup, StemsInUseAreNeverOverwritten) {
    // Files already there (an earlier backup in the same second, another
    // program's file) and the stem the backup then takes.
    struct Case {
        std::vector<std::string> present;
        std::string stem;
    };
    const Case cases[] = {
        {{}, "2026-12-10T14-03-22-RQ30"},
        {{"2026-12-10T14-03-22-RQ30.bin", "2026-12-10T14-03-22-RQ30.ini"},
         "2026-12-10T14-03-22-RQ30-2"},
        {{"2026-12-10T14-03-22-RQ30.ini"}, "2026-12-10T14-03-22-RQ30-2"},
        {{"2026-12-10T14-03-22-RQ30.bin", "2026-12-10T14-03-22-RQ30-2.bin"},
         "2026-12-10T14-03-22-RQ30-3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        TempDir dir;
        for (const std::string& name : c.present) dir.write(name, "someone else's " + name);

        const BackupOutcome b =
            BackUpTracker(trackerBlock(), kModelRQ30, dir.file(""), backupTime());

        ASSERT_TRUE(b.ok) << b.problem;
        EXPECT_EQ(b.binPath, dir.file(c.stem + ".bin"));
        for (const std::string& name : c.present)
            EXPECT_EQ(readBytes(dir.file(name)), "someone else's " + name);
        // Nothing of the backup is left under a stem it gave up.
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.insert(entry.path().filename().string());
        std::set<std::string> expected(c.present.begin(), c.present.end());
        expected.insert({c.stem + ".bin", c.stem + ".ini"});
        EXPECT_EQ(names, expected);
    }
}

TEST(TrackerBackup, ManyAtOnceInOneSecondEachGetTheirOwnStem) {
    TempDir dir;
    constexpr int kWriters = 8;
    std::vector<DeviceConfig> blocks(kWriters, trackerBlock());
    std::vector<BackupOutcome> outcomes(kWriters);
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
        blocks[i].bytes[0] = static_cast<std::uint8_t>(i);
        writers.emplace_back([&, i] {
            outcomes[i] = BackUpTracker(blocks[i], kModelRQ30, dir.file("b"), backupTime());
        });
    }
    for (std::thread& t : writers) t.join();

    std::set<std::string> stems;
    for (int i = 0; i < kWriters; ++i) {
        ASSERT_TRUE(outcomes[i].ok) << outcomes[i].problem;
        stems.insert(outcomes[i].binPath);
        EXPECT_EQ(readBytes(outcomes[i].binPath), blockBytes(blocks[i]));
    }
    EXPECT_EQ(stems.size(), static_cast<std::size_t>(kWriters));
}

TEST(TrackerBackup, FolderThatCannotBeMadeGivesTheReason) {
    TempDir dir;
    const std::string file = dir.write("not-a-folder", "x");
    for (const std::string& folder : {file + "/backups", std::string()}) {
        const BackupOutcome b = BackUpTracker(trackerBlock(), kModelRQ30, folder, backupTime());
        EXPECT_FALSE(b.ok);
        EXPECT_FALSE(b.problem.empty());
        if (!folder.empty()) {
            EXPECT_NE(b.problem.find(folder), std::string::npos) << b.problem;
        }
    }
    EXPECT_EQ(readBytes(file), "x");
}

TEST(TrackerBackup, LoadTakesTheModelFromTheSettingsFileOrTheName) {
    TempDir dir;
    const DeviceConfig block = trackerBlock();
    const BackupOutcome made = BackUpTracker(block, kModelRQ20, dir.file(""), backupTime());
    ASSERT_TRUE(made.ok);
    // Renamed, but with its .ini beside it: the .ini knows the model.
    dir.write("renamed-RQ10.bin", blockBytes(block));
    dir.write("renamed-RQ10.ini", "[GPS Quelter Config file]\r\nBootVersion=17\r\n");
    dir.write("copy-RQ10-2.bin", blockBytes(block));
    dir.write("tracker.bin", blockBytes(block));
    dir.write("short-RQ30.bin", blockBytes(block).substr(1));
    dir.write("long-RQ30.bin", blockBytes(block) + "x");

    struct Case {
        std::string path;
        std::optional<int> model;  // none: refused
    };
    const Case cases[] = {
        {made.binPath, kModelRQ20},
        {dir.file("renamed-RQ10.bin"), kModelRQ30},
        {dir.file("copy-RQ10-2.bin"), kModelRQ10},
        {dir.file("tracker.bin"), std::nullopt},
        {dir.file("short-RQ30.bin"), std::nullopt},
        {dir.file("long-RQ30.bin"), std::nullopt},
        {dir.file("missing-RQ30.bin"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const LoadedBackup loaded = LoadTrackerBackup(c.path);
        ASSERT_EQ(loaded.ok, c.model.has_value()) << loaded.problem;
        if (!loaded.ok) {
            EXPECT_NE(loaded.problem.find(c.path), std::string::npos);
            continue;
        }
        EXPECT_EQ(loaded.model, *c.model);
        EXPECT_EQ(blockBytes(loaded.block), blockBytes(block));
        EXPECT_TRUE(std::all_of(loaded.block.bytes + kDeviceBlockSize,
                                loaded.block.bytes + kConfigSize, [](auto b) { return b == 0; }));
    }
}

TEST(TrackerBackup, FolderFollowsTheEnvironment) {
    struct Case {
        std::string first, second;  // the variables below; empty: unset
        std::string folder;
    };
#ifdef _WIN32
    const char* names[] = {"LOCALAPPDATA", "USERPROFILE"};
    const Case cases[] = {
        {"C:\\Users\\u\\AppData\\Local", "C:\\Users\\u",
         "C:\\Users\\u\\AppData\\Local\\quelter-config\\backups"},
        {"", "C:\\Users\\u", ""},
    };
#else
    const char* names[] = {"XDG_DATA_HOME", "HOME"};
    const Case cases[] = {
        {"/data/u", "/home/u", "/data/u/quelter-config/backups"},
        {"", "/home/u", "/home/u/.local/share/quelter-config/backups"},
        {"relative/data", "/home/u", "/home/u/.local/share/quelter-config/backups"},
        {"", "", ""},
    };
#endif
    std::string saved[2];
    for (int i = 0; i < 2; ++i)
        if (const char* v = std::getenv(names[i])) saved[i] = v;
    for (const Case& c : cases) {
        setEnvironment(names[0], c.first);
        setEnvironment(names[1], c.second);
        EXPECT_EQ(TrackerBackupFolder(), c.folder) << c.first;
    }
    for (int i = 0; i < 2; ++i) setEnvironment(names[i], saved[i]);
}

}  // namespace

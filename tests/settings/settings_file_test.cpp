#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "config/models.h"
#include "temp_dir.h"

using namespace std::string_literals;

namespace {

const std::string kHeader = "[GPS Quelter Config file]\r\n";

// Fields a settings file leaves alone.
constexpr Field kNotCarried[] = {
    Field::DevicePassword, Field::KeptBlock256,  Field::KeptBlock320,   Field::KeptByte359,
    Field::KeptWord362,    Field::KeptWord366,   Field::AlarmLockInput, Field::AlarmLockPower,
    Field::AlarmLockZone,  Field::AlarmLockTemp, Field::AlarmLockShock, Field::FirmwareVersion,
    Field::Reserved1008,   Field::HostTail,
};

bool isCarried(Field f) {
    return std::ranges::find(kNotCarried, f) == std::end(kNotCarried);
}

DeviceConfig randomImage(unsigned seed) {
    std::mt19937 random(seed);
    DeviceConfig c;
    for (auto& b : c.bytes) b = static_cast<std::uint8_t>(random());
    return c;
}

// Random numbers everywhere, and texts of the shapes that matter: full width
// without a terminator, CP1251 Cyrillic, a phone number, blanks, empty.
DeviceConfig sampleImage(unsigned seed) {
    DeviceConfig c = randomImage(seed);
    const std::string texts[] = {"\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0",  // "Привет мир"
                                 "+79161234567", " a = b ", ""};
    int n = 0;
    for (const FieldInfo& fi : fieldTable()) {
        if (fi.type != FieldType::Text) continue;
        const std::string full(fi.width, static_cast<char>('A' + n % 26));
        SetText(c, fi.field, n % 5 == 0 ? full : texts[n % 5 - 1]);
        ++n;
    }
    SetNumber(c, Field::ZoneLatitude, -55751244);
    SetNumber(c, Field::ZoneLongitude, -37618423);
    SetU32(c, Field::DeviceType, 0x80000000u);
    SetU32(c, Field::WakeUp9, 0xFFFFFFFFu);
    return c;
}

std::string fieldBytesOf(const DeviceConfig& c, Field f) {
    return std::string(reinterpret_cast<const char*>(fieldBytes(c, f)), fieldInfo(f).width);
}

TEST(SettingsFile, SaveWritesTheFileFormatExactly) {
    DeviceConfig c;
    ClearConfig(c);
    SetText(c, Field::MainPhone, "+79161234567");
    SetText(c, Field::QuelterName, "ABCDEFGHIJKLMNOP");  // full width
    SetText(c, Field::USSDReq, "*100#\xC1\xE0\xEB");     // CP1251 "Бал"
    SetText(c, Field::EMail, "a=b@x.ru");
    SetNumber(c, Field::ZoneLatitude, -55751244);
    SetNumber(c, Field::ZoneLongitude, 37618423);
    SetU32(c, Field::ZoneDistance, 0x80000000u);
    SetU32(c, Field::DeviceType, 0xFFFFFFFFu);
    SetU32(c, Field::WakeUp1, 0x80000001u);
    SetNumber(c, Field::GMTOffset, -3);
    SetNumber(c, Field::TempCorrection, -128);
    SetNumber(c, Field::TimeCorrection, 127);
    SetNumber(c, Field::Speed, 200);
    SetNumber(c, Field::PhoneEn, 0xFFFE);
    SetNumber(c, Field::WakeEnableFlags, 0x8001);
    SetNumber(c, Field::LastCmd, 3);
    // Not carried: must not show up.
    SetText(c, Field::DevicePassword, "1234");
    SetNumber(c, Field::AlarmLockInput, 5);
    fieldBytes(c, Field::HostTail)[0] = 9;

    TempDir dir;
    const SettingsOutcome outcome = SaveSettingsFile(dir.file("s.ini"), c, kModelRQ20);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.text, "Настройки успешно сохранены в файл");
    EXPECT_EQ(outcome.colour, ResultColour::Green);

    const char* lines[] = {
        "[GPS Quelter Config file]",
        "Angle=0",
        "BalanceLevel=0",
        "BootVersion=128",
        "DeviceType=-1",
        "EMail=a=b@x.ru",
        "EMailServer=",
        "ExtPhone1=",
        "ExtPhone2=",
        "ExtPhone3=",
        "ExtPhone4=",
        "ExtPhone5=",
        "ExtPhone6=",
        "ExtPhone7=",
        "ExtPhone8=",
        "ExtPhone9=",
        "GMTFlags=0",
        "GMTOffset=-3",
        "GPRSTimer=0",
        "InpActiveLevel=0",
        "Lang=0",
        "LastCmd=3",
        "MainPhone.PhoneNum=+79161234567",
        "ModeFlags1=0",
        "ModeFlags2=0",
        "ModeFlags3=0",
        "MonServerIP=",
        "NoSleepTimer=0",
        "ParkDisable=0",
        "ParkTimer=0",
        "PhoneEn=65534",
        "QuelterAPN.Address=",
        "QuelterAPN.Login=",
        "QuelterAPN.Password=",
        "QuelterName=ABCDEFGHIJKLMNOP",
        "QuelterZone.Distane=-2147483648",
        "QuelterZone.Latitude=-55751244",
        "QuelterZone.Longitude=37618423",
        "RelayInverse=0",
        "RelayPulseLen=0",
        "Speed=200",
        "StayTimer=0",
        "SysMode=0",
        "TempCorrection=-128",
        "TempH=0",
        "TempL=0",
        "TempMode=0",
        "TempPulse=0",
        "TimeCorrection=127",
        "USSDReq=*100#\xC1\xE0\xEB",
        "VibrParam=0",
        "WakeEnableFlags=32769",
        "WakeUp1=-2147483647",
        "WakeUp2=0",
        "WakeUp3=0",
        "WakeUp4=0",
        "WakeUp5=0",
        "WakeUp6=0",
        "WakeUp7=0",
        "WakeUp8=0",
        "WakeUp9=0",
        "WakeupPeriod=0",
    };
    std::string expected;
    for (const char* line : lines) expected += std::string(line) + "\r\n";
    EXPECT_EQ(readBytes(dir.file("s.ini")), expected);
}

class SettingsRoundTrip : public testing::TestWithParam<int> {};

// Every carried field comes back byte for byte, and every other byte of the
// image keeps what it held before Open. A model the tool knows comes back; any
// other leaves the model being edited, on yellow.
TEST_P(SettingsRoundTrip, OpenRestoresWhatSaveWrote) {
    const int model = GetParam();
    const DeviceConfig source = sampleImage(static_cast<unsigned>(model));
    TempDir dir;
    ASSERT_TRUE(SaveSettingsFile(dir.file("s.ini"), source, model).ok);

    const DeviceConfig before = randomImage(99);
    DeviceConfig loaded = before;
    int edited = kModelRQ30;
    const SettingsOutcome outcome = LoadSettings(dir.file("s.ini"), loaded, edited, nullptr);
    EXPECT_TRUE(outcome.ok);
    if (modelName(model)) {
        EXPECT_EQ(outcome.text, "Файл открыт успешно");
        EXPECT_EQ(outcome.colour, ResultColour::Green);
        EXPECT_EQ(edited, model);
    } else {
        EXPECT_EQ(outcome.text, "Файл открыт без известной модели, оставлена RQ30");
        EXPECT_EQ(outcome.colour, ResultColour::Yellow);
        EXPECT_EQ(edited, kModelRQ30);
    }

    std::vector<bool> carriedByte(kConfigSize, false);
    for (const FieldInfo& fi : fieldTable()) {
        if (!isCarried(fi.field)) continue;
        std::fill_n(carriedByte.begin() + fi.offset, fi.width, true);
        EXPECT_EQ(fieldBytesOf(loaded, fi.field), fieldBytesOf(source, fi.field)) << fi.name;
    }
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        if (!carriedByte[i]) {
            EXPECT_EQ(loaded.bytes[i], before.bytes[i]) << "byte " << i;
        }
    }

    // The file holds exactly one key per carried field, plus the model.
    CSettingsFile store;
    ASSERT_TRUE(store.Load(dir.file("s.ini"), false));
    std::vector<std::string> keys, expectedKeys{"BootVersion"};
    for (const auto& key : store.FindSection(kSettingsSection)->Keys()) keys.push_back(key->Name());
    for (const FieldInfo& fi : fieldTable())
        if (isCarried(fi.field)) expectedKeys.push_back(fi.name);
    std::ranges::sort(keys);
    std::ranges::sort(expectedKeys);
    EXPECT_EQ(keys, expectedKeys);
}

INSTANTIATE_TEST_SUITE_P(Models, SettingsRoundTrip,
                         testing::Values(kModelRQ30, kModelRQ10, kModelRQ20, 0x42, -7));

struct ReadCase {
    std::string line;  // one line inside the settings section
    Field field;
    std::int32_t number;  // for number fields, as GetNumber widens it
    std::string text;     // for text fields
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.line.substr(0, 60)) << (c.line.size() > 60 ? "..." : "");
}

class SettingsLenientRead : public testing::TestWithParam<ReadCase> {};

TEST_P(SettingsLenientRead, ValueReadsAsOldFilesExpect) {
    const ReadCase& c = GetParam();
    TempDir dir;
    DeviceConfig image = randomImage(1);
    int model = kModelRQ30;
    ASSERT_TRUE(
        LoadSettings(dir.write("s.ini", kHeader + c.line + "\r\n"), image, model, nullptr).ok);
    if (fieldInfo(c.field).type == FieldType::Text) {
        EXPECT_EQ(GetText(image, c.field), c.text);
    } else {
        EXPECT_EQ(GetNumber(image, c.field), c.number);
    }
}

const std::string k20Chars = "ABCDEFGHIJKLMNOPQRST";
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsLenientRead,
    testing::Values(
        ReadCase{"Speed= 90", Field::Speed, 90, ""}, ReadCase{"Speed=90km", Field::Speed, 90, ""},
        ReadCase{"Speed=", Field::Speed, 0, ""}, ReadCase{"Angle=7", Field::Speed, 0, ""},
        ReadCase{"Speed=0x1F", Field::Speed, 0, ""}, ReadCase{"sysmode=3", Field::SysMode, 3, ""},
        ReadCase{"  SYSMODE\t=3", Field::SysMode, 3, ""},
        ReadCase{"Speed=300", Field::Speed, 44, ""},
        ReadCase{"ParkTimer=-1", Field::ParkTimer, 65535, ""},
        ReadCase{"GMTOffset=253", Field::GMTOffset, -3, ""},
        ReadCase{"TempCorrection=-5", Field::TempCorrection, -5, ""},
        ReadCase{"QuelterZone.Latitude=-55751244", Field::ZoneLatitude, -55751244, ""},
        ReadCase{"WakeUp1=-2147483648", Field::WakeUp1, kMin, ""},
        ReadCase{"WakeUp1=4294967295", Field::WakeUp1, kMax, ""},  // held, not wrapped
        ReadCase{"WakeUp1=-2147483649", Field::WakeUp1, kMin, ""},
        ReadCase{"WakeUp1=-" + std::string(10000, '9'), Field::WakeUp1, kMin, ""},
        ReadCase{"Speed=" + std::string(10000, '9'), Field::Speed, 255, ""},
        ReadCase{"WakeUp1=" + std::string(48, '0') + "7", Field::WakeUp1, 7, ""},
        ReadCase{"WakeUp1=" + std::string(49, '0') + "7", Field::WakeUp1, 0, ""},
        ReadCase{"WakeUp1=" + std::string(46, ' ') + "12345", Field::WakeUp1, 123, ""},
        ReadCase{"WakeUp1=\t\v\f\r+12", Field::WakeUp1, 12, ""},
        ReadCase{"WakeUp1=- 5", Field::WakeUp1, 0, ""},
        ReadCase{"WakeUp1=+-5", Field::WakeUp1, 0, ""},
        ReadCase{"WakeUp1=12\0"
                 "34"s,
                 Field::WakeUp1, 12, ""},
        ReadCase{"QuelterName=" + k20Chars, Field::QuelterName, 0, k20Chars.substr(0, 16)},
        ReadCase{"QuelterName=" + k20Chars.substr(0, 16), Field::QuelterName, 0,
                 k20Chars.substr(0, 16)},
        ReadCase{"QuelterName= \xCC\xEE\xE9 ", Field::QuelterName, 0, " \xCC\xEE\xE9 "},
        ReadCase{"QuelterName=ab\0cd"s, Field::QuelterName, 0, "ab"},
        ReadCase{"QuelterName=", Field::QuelterName, 0, ""},
        ReadCase{"QuelterName=" + std::string(4 << 20, 'x'), Field::QuelterName, 0,
                 std::string(16, 'x')}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::to_string(info.index); });

TEST(SettingsFile, ReadIniTextCutsAtWidthAndReportsCount) {
    CSettingsFile store;
    store.SetValue("S", "T", "abcdef");
    std::uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(ReadIniText(store, "S", "T", buffer, 4), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "abcd\xEE");
    EXPECT_EQ(ReadIniText(store, "S", "Missing", buffer, 4), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "\0\0\0\0\xEE"s);

    WriteIniNumber(store, "S", "N", kMin);
    EXPECT_EQ(store.GetValue("S", "N"), "-2147483648");
    EXPECT_EQ(ReadIniNumber(store, "S", "N"), kMin);
    EXPECT_EQ(ReadIniNumber(store, "S", "Missing"), 0);
}

// Keys elsewhere in the file do not count; keys missing from the section read
// as zero or empty; fields the file does not carry stay. A missing model keeps
// the one being edited, and the outcome says which on yellow.
TEST(SettingsFile, OnlyTheSettingsSectionCounts) {
    TempDir dir;
    const std::string file = "Speed=1\r\n[Other]\r\nSpeed=5\r\nBootVersion=17\r\n" + kHeader +
                             "Lang=2\r\n[Later]\r\nSysMode=9\r\n";
    const DeviceConfig before = sampleImage(3);
    DeviceConfig image = before;
    int model = kModelRQ10;
    const SettingsOutcome outcome = LoadSettings(dir.write("s.ini", file), image, model, nullptr);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(model, kModelRQ10);
    EXPECT_EQ(outcome.text, "Файл открыт без известной модели, оставлена RQ10");
    EXPECT_EQ(outcome.colour, ResultColour::Yellow);
    EXPECT_EQ(GetNumber(image, Field::Lang), 2);
    for (const FieldInfo& fi : fieldTable()) {
        if (fi.field == Field::Lang) continue;
        if (isCarried(fi.field)) {
            EXPECT_EQ(fieldBytesOf(image, fi.field), std::string(fi.width, '\0')) << fi.name;
        } else {
            EXPECT_EQ(fieldBytesOf(image, fi.field), fieldBytesOf(before, fi.field)) << fi.name;
        }
    }
}

// The window's hook runs once, right after LastCmd, seeing the fields read so
// far and the model as it was before the file's own.
TEST(SettingsFile, PresetChoiceRunsAfterLastCmdWithTheOldModel) {
    TempDir dir;
    const std::string path =
        dir.write("s.ini", kHeader + "Angle=5\r\nLastCmd=4\r\nSysMode=9\r\nBootVersion=17\r\n");
    DeviceConfig image;
    ClearConfig(image);
    SetNumber(image, Field::SysMode, 1);
    int model = kModelRQ10;
    int calls = 0;
    const auto hook = [&](DeviceConfig& seen, int modelBeingEdited) {
        ++calls;
        EXPECT_EQ(&seen, &image);
        EXPECT_EQ(modelBeingEdited, kModelRQ10);
        EXPECT_EQ(GetNumber(seen, Field::Angle), 5);
        EXPECT_EQ(GetNumber(seen, Field::LastCmd), 4);
        EXPECT_EQ(GetNumber(seen, Field::SysMode), 1);  // not read yet
        SetNumber(seen, Field::LastCmd, 0);
    };
    ASSERT_TRUE(LoadSettings(path, image, model, hook).ok);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(GetNumber(image, Field::LastCmd), 0);
    EXPECT_EQ(GetNumber(image, Field::SysMode), 9);
    EXPECT_EQ(model, kModelRQ30);
}

struct TrackerRuleCase {
    int modelBefore;
    int lastCmdInFile;
    int modelInFile;
    int lastCmdAfter;
};

void PrintTo(const TrackerRuleCase& c, std::ostream* os) {
    *os << "model " << c.modelBefore << ", LastCmd=" << c.lastCmdInFile
        << ", BootVersion=" << c.modelInFile;
}

class SettingsTrackerRule : public testing::TestWithParam<TrackerRuleCase> {};

// Without a hook the LastCmd part of the preset choice still applies, judged
// by the model being edited when LastCmd is read, not by the file's model.
TEST_P(SettingsTrackerRule, LastCmdFourFollowsTheModelBeingEdited) {
    const TrackerRuleCase& c = GetParam();
    TempDir dir;
    const std::string path =
        dir.write("s.ini", kHeader + "LastCmd=" + std::to_string(c.lastCmdInFile) +
                               "\r\nBootVersion=" + std::to_string(c.modelInFile) + "\r\n");
    DeviceConfig image;
    ClearConfig(image);
    int model = c.modelBefore;
    ASSERT_TRUE(LoadSettings(path, image, model, nullptr).ok);
    EXPECT_EQ(GetNumber(image, Field::LastCmd), c.lastCmdAfter);
    EXPECT_EQ(model, c.modelInFile);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsTrackerRule,
                         testing::Values(TrackerRuleCase{kModelRQ30, 4, kModelRQ10, 4},
                                         TrackerRuleCase{kModelRQ10, 4, kModelRQ30, 0},
                                         TrackerRuleCase{kModelRQ20, 4, kModelRQ30, 0},
                                         TrackerRuleCase{kModelRQ10, 3, kModelRQ10, 3},
                                         TrackerRuleCase{kModelRQ10, 260, kModelRQ10, 0}));

// Open of something that is not a settings file reports failure and touches
// neither the image nor the model, nor calls the hook.
TEST(SettingsFile, OpenOfAnUnusableFileChangesNothing) {
    TempDir dir;
    std::string binary(1 << 20, '\0');
    std::mt19937 random(5);
    for (char& c : binary) c = static_cast<char>(random());
    const std::string paths[] = {
        dir.file("missing.ini"),
        dir.path().string(),
        dir.write("empty.ini", ""),
        dir.write("other.ini", "[Other]\r\nSpeed=5\r\nBootVersion=17\r\n"),
        dir.write("keys-only.ini", "Speed=5\r\nBootVersion=17\r\n"),
        dir.write("binary.ini", binary),
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const DeviceConfig before = sampleImage(4);
        DeviceConfig image = before;
        int model = kModelRQ20;
        bool called = false;
        const SettingsOutcome outcome =
            LoadSettings(path, image, model, [&](DeviceConfig&, int) { called = true; });
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, "Ошибка загрузки файла");
        EXPECT_EQ(outcome.colour, ResultColour::Red);
        EXPECT_EQ(std::memcmp(image.bytes, before.bytes, kConfigSize), 0);
        EXPECT_EQ(model, kModelRQ20);
        EXPECT_FALSE(called);
    }
}

// Open takes a file of up to 16 MiB and refuses a larger one whole.
TEST(SettingsFile, OpenRefusesAFileOverSixteenMebibytes) {
    TempDir dir;
    const auto fileOfSize = [&](const char* name, std::uintmax_t size) {
        const std::string path = dir.write(name, kHeader + "Speed=77\r\n");
        std::filesystem::resize_file(path, size);  // zero bytes after the key
        return path;
    };
    DeviceConfig image = sampleImage(8);
    int model = kModelRQ30;
    ASSERT_TRUE(LoadSettings(fileOfSize("limit.ini", 16 << 20), image, model, nullptr).ok);
    EXPECT_EQ(GetNumber(image, Field::Speed), 77);

    const DeviceConfig before = image;
    model = kModelRQ20;
    const SettingsOutcome outcome =
        LoadSettings(fileOfSize("over.ini", (16 << 20) + 1), image, model, nullptr);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, "Ошибка загрузки файла");
    EXPECT_EQ(outcome.colour, ResultColour::Red);
    EXPECT_EQ(std::memcmp(image.bytes, before.bytes, kConfigSize), 0);
    EXPECT_EQ(model, kModelRQ20);
}

// Save that cannot write says so, and never damages the file it would replace.
TEST(SettingsFile, FailedSaveReportsAndKeepsTheOldFile) {
    TempDir dir;
    const DeviceConfig image = sampleImage(6);
    const auto expectFailure = [&](const std::string& path) {
        const SettingsOutcome outcome = SaveSettingsFile(path, image, kModelRQ30);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, "Ошибка сохранения настроек");
        EXPECT_EQ(outcome.colour, ResultColour::Red);
    };

    expectFailure(dir.file("no-such-folder/s.ini"));
    std::filesystem::create_directory(dir.file("folder"));
    expectFailure(dir.file("folder"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));

    const std::string readOnly = dir.write("read-only.ini", "old settings");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    expectFailure(readOnly);
    EXPECT_EQ(readBytes(readOnly), "old settings");

    // No temporary file is left behind by any of them.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    EXPECT_EQ(names, (std::vector<std::string>{"folder", "read-only.ini"}));
}

TEST(SettingsFile, SaveReplacesTheFileAndKeepsItsLinkAndMode) {
    TempDir dir;
    const std::string real = dir.write("real.ini", std::string(100000, 'x'));
    std::filesystem::permissions(
        real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::error_code noLinks;
    std::filesystem::create_symlink("real.ini", dir.file("link.ini"), noLinks);
    if (noLinks) GTEST_SKIP() << "this system makes no symbolic links";

    const DeviceConfig image = sampleImage(7);
    ASSERT_TRUE(SaveSettingsFile(dir.file("link.ini"), image, kModelRQ10).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(readBytes(real).substr(0, kHeader.size()), kHeader);

    DeviceConfig loaded;
    ClearConfig(loaded);
    int model = kModelRQ30;
    ASSERT_TRUE(LoadSettings(real, loaded, model, nullptr).ok);
    EXPECT_EQ(model, kModelRQ10);
    EXPECT_EQ(GetText(loaded, Field::QuelterName), GetText(image, Field::QuelterName));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// Paths are UTF-8, as the windows pass them; a Cyrillic name is no obstacle.
TEST(SettingsFile, CyrillicFileNameSavesAndOpens) {
    TempDir dir;
    const std::string path = dir.path().string() + "/\xD0\xBD\xD0\xB0\xD1\x81\xD1\x82.ini";
    const DeviceConfig image = sampleImage(9);
    ASSERT_TRUE(SaveSettingsFile(path, image, kModelRQ10).ok);
    DeviceConfig loaded = image;
    int model = kModelRQ30;
    ASSERT_TRUE(LoadSettings(path, loaded, model, nullptr).ok);
    EXPECT_EQ(model, kModelRQ10);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A line feed inside a text would start a new line in the file and pass for a
// key of its own on the next Open; the text ends at it instead. Carriage
// returns at a text's end would be read as part of the line end: the file
// holds the text without them, so a second Save writes the same file.
TEST(SettingsFile, TextsAreSavedAsOpenWillReadThem) {
    struct Case {
        Field field;
        std::string text, opened;
    };
    const Case cases[] = {
        {Field::QuelterName, "car\nAngle=9", "car"},
        {Field::EMail, "a=b\r", "a=b"},
        {Field::EMailServer, "mail\r\r", "mail"},
        {Field::USSDReq, "*1\r2#", "*1\r2#"},
        {Field::MonServerIP, "\r", ""},
    };
    TempDir dir;
    DeviceConfig image;
    ClearConfig(image);
    for (const Case& c : cases) SetText(image, c.field, c.text);
    SetNumber(image, Field::Angle, 1);
    ASSERT_TRUE(SaveSettingsFile(dir.file("first.ini"), image, kModelRQ30).ok);

    DeviceConfig loaded;
    ClearConfig(loaded);
    int model = 0;
    ASSERT_TRUE(LoadSettings(dir.file("first.ini"), loaded, model, nullptr).ok);
    for (const Case& c : cases) EXPECT_EQ(GetText(loaded, c.field), c.opened) << c.text;
    EXPECT_EQ(GetNumber(loaded, Field::Angle), 1);
    ASSERT_TRUE(SaveSettingsFile(dir.file("second.ini"), loaded, model).ok);
    EXPECT_EQ(readBytes(dir.file("second.ini")), readBytes(dir.file("first.ini")));
}

}  // namespace

// Collecting the pages into the working image, and showing then collecting.
#include <climits>
#include <cstring>
#include <tuple>
#include <vector>

#include "show_fixture.h"

namespace {

constexpr PageId kMain = PageId::Main, kWake = PageId::Wake, kGps = PageId::GPS,
                 kNet = PageId::Internet, kSensors = PageId::Sensors, kExpert = PageId::Expert;

// A configuration in which every field a control carries differs from the
// defaults and sits at an edge of what its controls can show; every other
// byte is zero except GMTFlags, which a collection sets to 1.
DeviceConfig everyCarriedFieldSet() {
    DeviceConfig c;
    ClearConfig(c);
    SetU8(c, Field::LastCmd, 3);
    SetU8(c, Field::SysMode, 0xFE);     // SMS off, call on alarms only
    SetU8(c, Field::ModeFlags1, 0x2C);  // Google links, GSM, temperature relay
    SetU8(c, Field::ModeFlags2, 0x11);
    SetU8(c, Field::ModeFlags3, 0x0C);
    SetU8(c, Field::Lang, 2);
    SetU16(c, Field::GPRSTimer, 1799);
    SetU8(c, Field::VibrParam, 7);
    SetU16(c, Field::WakeupPeriod, 28799);
    SetU8(c, Field::TempMode, 4);
    SetU16(c, Field::TempH, 400);
    SetU16(c, Field::TempL, 250);
    setUtf8Text(c, Field::ApnAddress, "internet.beeline.ru.example.com");  // 31
    setUtf8Text(c, Field::ApnLogin, "логин-пользовате");                   // 16
    setUtf8Text(c, Field::ApnPassword, "0123456789abcdef");                // 16
    SetText(c, Field::MonServerIP, "abcdefghijklmnopqrstuvwxyz:65535");    // 32
    SetU8(c, Field::GMTFlags, 1);
    SetI8(c, Field::GMTOffset, 13);
    SetU16(c, Field::WakeEnableFlags, 0x01AB);
    SetI32(c, Field::ZoneLongitude, -179'256'229);  // float maths would lose 1e-6 here
    SetI32(c, Field::ZoneLatitude, 55'755'831);
    SetU32(c, Field::ZoneDistance, 12'345'678);
    setUtf8Text(c, Field::QuelterName, "Квелтер-трекер01");  // 16, no terminator
    SetU16(c, Field::ParkTimer, 239);
    SetU16(c, Field::StayTimer, 14399);
    SetU16(c, Field::RelayPulseLen, 14399);
    SetU8(c, Field::AlarmLockInput, 30);
    SetU8(c, Field::AlarmLockPower, 1);
    SetU8(c, Field::AlarmLockZone, 17);
    SetU8(c, Field::AlarmLockTemp, 29);
    SetU8(c, Field::AlarmLockShock, 9);
    SetU16(c, Field::NoSleepTimer, 1799);
    SetU8(c, Field::InpActiveLevel, 3);
    SetU8(c, Field::RelayInverse, 1);
    SetI8(c, Field::TempCorrection, -99);
    SetI8(c, Field::TimeCorrection, -128);
    SetU16(c, Field::PhoneEn, 0x03FE);
    SetU8(c, Field::Speed, 255);
    SetText(c, Field::MainPhone, "+123456789012345");
    for (int i = 1; i <= 9; ++i) {
        SetText(c, extPhoneField(i), "+7916000000" + std::to_string(i));
        SetU32(c, wakeUpField(i), static_cast<std::uint32_t>((i * 5 % 24) * 256 + i * 7));
    }
    SetU32(c, Field::WakeUp9, 23 * 256 + 59);
    return c;
}

void expectSameBytes(const DeviceConfig& got, const DeviceConfig& want) {
    for (const FieldInfo& f : fieldTable())
        EXPECT_EQ(0, std::memcmp(got.bytes + f.offset, want.bytes + f.offset, f.width)) << f.name;
    EXPECT_EQ(0, std::memcmp(got.bytes, want.bytes, kConfigSize)) << "reserved bytes";
}

TEST_F(PagesTest, DefaultsComeBackExceptGmtFlags) {
    show();
    DeviceConfig want = image;
    SetU8(want, Field::GMTFlags, 1);
    expectSameBytes(collect(), want);
}

TEST_F(PagesTest, EveryCarriedFieldSurvivesAndEverythingElseIsDropped) {
    const DeviceConfig want = everyCarriedFieldSet();
    image = want;
    // What no control carries: reserved bytes, settings-file values, the
    // device's own fields, TempPulse, unused bits and the alarms' upper words.
    std::vector<bool> inField(kConfigSize, false);
    for (const FieldInfo& f : fieldTable())
        for (int i = 0; i < f.width; ++i) inField[f.offset + i] = true;
    for (std::size_t i = 0; i < kConfigSize; ++i)
        if (!inField[i]) image.bytes[i] = static_cast<std::uint8_t>(0xA5 ^ i);
    for (Field f : {Field::ParkDisable, Field::Angle, Field::KeptByte359}) SetU8(image, f, 0x5A);
    for (Field f : {Field::BalanceLevel, Field::TempPulse, Field::KeptWord362, Field::KeptWord366})
        SetU16(image, f, 0x1234);
    for (Field f : {Field::DeviceType, Field::Reserved1008}) SetU32(image, f, 0x89ABCDEF);
    for (Field f : {Field::EMail, Field::EMailServer, Field::USSDReq, Field::DevicePassword})
        SetText(image, f, "x@example.com");
    for (Field f :
         {Field::KeptBlock256, Field::KeptBlock320, Field::FirmwareVersion, Field::HostTail})
        std::memset(fieldBytes(image, f), 0x77, fieldInfo(f).width);
    SetU8(image, Field::GMTFlags, 9);
    SetU8(image, Field::ModeFlags1, GetU8(want, Field::ModeFlags1) | 0x51);
    SetU8(image, Field::ModeFlags2, GetU8(want, Field::ModeFlags2) | 0xE6);
    SetU8(image, Field::ModeFlags3, GetU8(want, Field::ModeFlags3) | 0xF3);
    SetU16(image, Field::WakeEnableFlags, GetU16(want, Field::WakeEnableFlags) | 0xFE00);
    SetU16(image, Field::PhoneEn, GetU16(want, Field::PhoneEn) | 0xFC01);
    for (int i = 1; i <= 9; ++i)
        SetU32(image, wakeUpField(i), GetU32(want, wakeUpField(i)) | 0xABCD0000);

    show();
    expectSameBytes(collect(), want);
}

// Read a tracker and write it straight back: stored values the pages cannot
// show as they are still come back as they were, or as the nearest value the
// page can hold, never wrapped or corrupted.
TEST_F(PagesTest, ShowThenCollectKeepsWhatThePagesCannotShowAsItIs) {
    struct TextCase {
        Field field;
        const char* stored;
        const char* collected;
    } texts[] = {
        {Field::MainPhone, "79161234567", "+79161234567"},  // stored without "+"
        {Field::ExtPhone3, "89161234567", "+89161234567"},
        {Field::MonServerIP, "fe80::1:11203", "fe80::1:11203"},  // a host with colons
        {Field::MonServerIP, "a:b:c", "a:b:c"},
    };
    for (const TextCase& k : texts) {
        loadDefaults(image);
        SetText(image, k.field, k.stored);
        show();
        EXPECT_EQ(GetText(collect(), k.field), k.collected) << k.stored;
    }

    struct NumberCase {
        Field field;
        std::int32_t stored, collected;
    } numbers[] = {
        // Longer than the edits can hold: the group's maximum, not the rest.
        {Field::GPRSTimer, 3700, 1800},
        {Field::ParkTimer, 1440, 240},
        {Field::ParkTimer, 65535, 240},
        {Field::NoSleepTimer, 3600, 1800},
        {Field::GPRSTimer, 3599, 3599},  // held by the edits: as it was
        {Field::ParkTimer, 1439, 1439},
        // Time zones the list has no item for.
        {Field::GMTOffset, -13, -13},
        {Field::GMTOffset, 14, 14},
        {Field::GMTOffset, -128, -128},
        {Field::GMTOffset, 13, 13},
    };
    for (const NumberCase& k : numbers) {
        loadDefaults(image);
        SetNumber(image, k.field, k.stored);
        show();
        EXPECT_EQ(GetNumber(collect(), k.field), k.collected)
            << fieldInfo(k.field).name << " " << k.stored;
    }
}

TEST_F(PagesTest, ARepeatedShowAndCollectNeverDriftsACoordinate) {
    // Values whose six-decimal text times 1e6 falls just below the integer
    // in binary floating point.
    for (std::int32_t micro : {256'229, -503'485, 89'999'999, 179'999'999, 1}) {
        SetI32(image, Field::ZoneLatitude, micro);
        SetI32(image, Field::ZoneLongitude, -micro);
        for (int round = 0; round < 3; ++round) {
            show();
            image = collect();
        }
        EXPECT_EQ(GetI32(image, Field::ZoneLatitude), micro);
        EXPECT_EQ(GetI32(image, Field::ZoneLongitude), -micro);
    }
}

TEST_F(PagesTest, MonitoringServerIsAssembledFromHostAndPort) {
    struct Case {
        const char* host;
        const char* port;
        const char* field;
    } cases[] = {
        {"abc", "", "abc:"},
        {"", "11203", ""},
        {"10.0.0.1", "8080", "10.0.0.1:8080"},
        // Longer texts than the edits admit are cut to 26 and 5 characters.
        {"abcdefghijklmnopqrstuvwxyz0123", "1234567", "abcdefghijklmnopqrstuvwxyz:12345"},
    };
    show();
    for (const Case& k : cases) {
        c.setText(kNet, 1250, k.host);
        c.setText(kNet, 1254, k.port);
        const DeviceConfig got = collect();
        EXPECT_EQ(GetText(got, Field::MonServerIP), k.field) << k.host << " " << k.port;
        // Nothing after the text: the rest of the field stays zero.
        const std::uint8_t* bytes = fieldBytes(got, Field::MonServerIP);
        for (std::size_t i = std::strlen(k.field); i < 32; ++i) EXPECT_EQ(bytes[i], 0) << i;
    }
    // A text ends at a NUL; the colon and the port still follow the host.
    c.setText(kNet, 1250, std::string("abc\0def", 7));
    c.setText(kNet, 1254, "80");
    EXPECT_EQ(GetText(collect(), Field::MonServerIP), "abc:80");
}

TEST_F(PagesTest, AutomaticApnIgnoresTheApnTexts) {
    show();
    c.setText(kNet, 1251, "internet");
    c.setText(kNet, 1252, "user");
    c.setText(kNet, 1253, "secret");
    c.setChecked(kNet, 1264, true);
    DeviceConfig got = collect();
    for (Field f : {Field::ApnAddress, Field::ApnLogin, Field::ApnPassword})
        EXPECT_EQ(GetText(got, f), "") << fieldInfo(f).name;
    c.setChecked(kNet, 1264, false);
    got = collect();
    EXPECT_EQ(GetText(got, Field::ApnAddress), "internet");
    EXPECT_EQ(GetText(got, Field::ApnLogin), "user");
    EXPECT_EQ(GetText(got, Field::ApnPassword), "secret");
}

TEST_F(PagesTest, CoordinateComesFromTheDecimalEditAndTheHemisphere) {
    struct Case {
        const char* text;
        bool south;
        std::int32_t latitude;
    } cases[] = {
        {"55.5", true, -55'500'000},      {"", true, 0},
        {"55.755831", false, 55'755'831}, {"abc", true, 0},
        {"12.34xyz", false, 12'340'000},
    };
    show();
    c.setText(kGps, 1251, "77");  // the part edits are not collected
    for (const Case& k : cases) {
        c.setText(kGps, 1249, k.text);
        c.checkRadio(kGps, 1279, 1280, k.south ? 1280 : 1279);
        EXPECT_EQ(GetI32(collect(), Field::ZoneLatitude), k.latitude) << k.text;
    }
}

TEST_F(PagesTest, NumbersAndDurationsFromTheEdits) {
    struct Case {
        PageId page;
        std::vector<std::pair<int, const char*>> edits;
        Field field;
        std::int32_t value;
    } cases[] = {
        {kWake, {{1229, "1"}, {1230, "1"}, {1231, "0"}}, Field::WakeupPeriod, 1500},
        {kNet, {{1261, "2"}, {1262, "0"}}, Field::GPRSTimer, 120},
        {kNet, {{1261, ""}, {1262, ""}}, Field::GPRSTimer, 0},
        {kSensors, {{1264, "1"}, {1265, "0"}, {1266, "5"}}, Field::RelayPulseLen, 3605},
        {kSensors, {{1273, "-10"}}, Field::TempL, 263},
        {kSensors, {{1274, "20"}}, Field::TempH, 293},
        {kSensors, {{1273, ""}}, Field::TempL, 273},
        {kExpert, {{1284, "-99"}}, Field::TempCorrection, -99},
        {kExpert, {{1286, "-5"}}, Field::TimeCorrection, -5},
        // Beyond a one-byte field the nearest value it can hold is stored.
        {kSensors, {{1286, "300"}}, Field::Speed, 255},
        {kSensors, {{1286, "1234"}}, Field::Speed, 123},  // three characters are read
        {kExpert, {{1286, "1800"}}, Field::TimeCorrection, 127},
        {kExpert, {{1286, "-1800"}}, Field::TimeCorrection, -128},
        {kSensors, {{1273, "-300"}}, Field::TempL, 0},
        {kSensors, {{1274, "99999999999999999999"}}, Field::TempH, 65535},
        // Durations beyond the field keep the longest rather than wrapping.
        {kWake, {{1229, "99"}, {1230, "0"}, {1231, "0"}}, Field::WakeupPeriod, 65535},
    };
    for (const Case& k : cases) {
        loadDefaults(image);
        show();
        for (auto [id, t] : k.edits) c.setText(k.page, id, t);
        EXPECT_EQ(GetNumber(collect(), k.field), k.value)
            << fieldInfo(k.field).name << " from " << k.edits[0].second;
    }
}

TEST_F(PagesTest, ChoicesFromRadioGroupsPickersAndTheTimeZoneList) {
    show();
    c.checkRadio(kSensors, 2035, 2039, 2036);
    c.checkRadio(kSensors, 2045, 2047, 2047);
    c.setTime(kWake, 1213, {22, 30});
    c.setComboSelection(kMain, 1053, 25);
    DeviceConfig got = collect();
    EXPECT_EQ(GetU8(got, Field::TempMode), 2);
    EXPECT_EQ(GetU8(got, Field::InpActiveLevel), 3);
    EXPECT_EQ(GetU32(got, Field::WakeUp3), 0x161Eu);
    EXPECT_EQ(GetI8(got, Field::GMTOffset), 13);

    // No choice at all: each group's own rule.
    const std::tuple<PageId, int, int> groups[] = {
        {PageId::Window, 1991, 1995}, {kMain, 1998, 2000}, {kMain, 2001, 2003},
        {kMain, 2010, 2012},          {kGps, 2030, 2032},  {kSensors, 2035, 2039},
        {kSensors, 2045, 2047},
    };
    for (auto [page, first, last] : groups) c.checkRadio(page, first, last, 0);
    c.setComboSelection(kMain, 1053, -1);
    got = collect();
    EXPECT_EQ(GetU8(got, Field::LastCmd), 0);
    EXPECT_EQ(GetU8(got, Field::Lang), 0);
    EXPECT_EQ(GetU8(got, Field::TempMode), 0);
    EXPECT_EQ(GetU8(got, Field::InpActiveLevel), 0);
    EXPECT_EQ(GetI8(got, Field::GMTOffset), 0);  // the time zone shown, not an offset of -13
    // SMS and call on every wake-up, Yandex links.
    EXPECT_EQ(GetU8(got, Field::SysMode) & 0x09, 0x09);
    EXPECT_EQ(GetU8(got, Field::ModeFlags2) & 0x11, 0x00);
    EXPECT_EQ(GetU8(got, Field::ModeFlags1) & 0x0A, 0x02);
}

TEST_F(PagesTest, TextsAreCutToTheirFields) {
    show();
    // A program write is not held to the edit's limit; the field still is.
    c.setText(kMain, 1031, "12345678901234567");
    c.setText(kMain, 1032, "79160000001");
    c.setText(kMain, 1034, "Очень длинное имя трекера");
    const DeviceConfig got = collect();
    EXPECT_EQ(GetText(got, Field::MainPhone), "+123456789012345");
    EXPECT_EQ(GetText(got, Field::ExtPhone1), "+79160000001");
    EXPECT_EQ(Cp1251ToUtf8(GetText(got, Field::QuelterName)), "Очень длинное им");
}

TEST(CollectConversions, DecimalNumbers) {
    struct Case {
        const char* text;
        std::int64_t value;
    } cases[] = {
        {"42", 42},   {"  42", 42},
        {"-7x", -7},  {"+5", 5},
        {"", 0},      {"x1", 0},
        {"1-2", 1},   {"- 3", 0},
        {"\t\n9", 9}, {"99999999999999999999999", 1'000'000'000'000'000},
    };
    for (const Case& k : cases) EXPECT_EQ(parseDecimal(k.text), k.value) << k.text;
}

TEST(CollectConversions, DecimalDegreesAsMillionths) {
    struct Case {
        const char* text;
        std::int32_t micro;
    } cases[] = {
        {"55.755831", 55'755'831},
        {"0.256229", 256'229},
        {"1.9999999", 1'999'999},  // truncated, not rounded
        {"-1.5", -1'500'000},
        {"  7", 7'000'000},
        {"+3.", 3'000'000},
        {".5", 500'000},
        {"5.5e1", 55'000'000},
        {"5e-7", 0},
        {"12e", 12'000'000},
        {"1e20", INT_MAX},
        {"-1e20", -INT_MAX},
        {"0e99", 0},
        {"2147.483648", INT_MAX},
        {"abc", 0},
        {".", 0},
        {"-", 0},
        {"inf", 0},
        {"nan", 0},
    };
    for (const Case& k : cases) EXPECT_EQ(parseMicroDegrees(k.text), k.micro) << k.text;
}

}  // namespace

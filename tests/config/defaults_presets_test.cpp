#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/defaults.h"
#include "config/presets.h"

namespace {

TEST(Defaults, BytesOfTheFactoryConfiguration) {
    DeviceConfig c;
    std::memset(c.bytes, 0x5A, kConfigSize);  // a previous image must leave no trace
    loadDefaults(c);

    struct Expect {
        Field field;
        std::int32_t value;
    };
    const Expect numbers[] = {
        {Field::LastCmd, 0},         {Field::SysMode, 0x81},     {Field::ModeFlags1, 0x82},
        {Field::ModeFlags2, 0x08},   {Field::ModeFlags3, 0},     {Field::VibrParam, 3},
        {Field::WakeEnableFlags, 1}, {Field::WakeupPeriod, 720}, {Field::GPRSTimer, 120},
        {Field::ParkTimer, 30},      {Field::StayTimer, 360},    {Field::TempH, 293},
        {Field::TempL, 277},         {Field::TempMode, 0},       {Field::Speed, 131},
        {Field::RelayPulseLen, 10},  {Field::TempPulse, 0},      {Field::AlarmLockInput, 2},
        {Field::AlarmLockPower, 5},  {Field::AlarmLockZone, 5},  {Field::AlarmLockTemp, 5},
        {Field::AlarmLockShock, 15}, {Field::GMTOffset, 0},      {Field::GMTFlags, 0},
        {Field::WakeUp1, 0x0A00},    {Field::WakeUp7, 0x1600},   {Field::WakeUp8, 0},
        {Field::WakeUp9, 0x0900},    {Field::PhoneEn, 0},
    };
    for (const Expect& e : numbers)
        EXPECT_EQ(e.value, GetNumber(c, e.field)) << fieldInfo(e.field).name;

    // Raw bytes in host order, as a reader of the record sees them.
    const std::uint8_t at34[] = {0x00, 0x81};
    const std::uint8_t at43[] = {0x03, 0x00, 0x00, 0x08, 0x82};
    const std::uint8_t at368[] = {0x02, 0x05, 0x05, 0x05, 0x0F};
    EXPECT_EQ(0, std::memcmp(c.bytes + 34, at34, 2));
    EXPECT_EQ(0, std::memcmp(c.bytes + 43, at43, 5));
    EXPECT_EQ(0, std::memcmp(c.bytes + 368, at368, 5));

    const std::string server = GetText(c, Field::MonServerIP);
    EXPECT_EQ(std::string(kDefaultServerHost) + ":11203", server);
    EXPECT_LE(std::strlen(kDefaultServerHost), 26u);

    // Everything the table does not name is zero: phones, name, APN, zone,
    // password, device-owned fields, reserved stretches and the host tail.
    DeviceConfig named{};
    for (const Expect& e : numbers) SetNumber(named, e.field, e.value);
    SetText(named, Field::MonServerIP, server);
    for (int i = 1; i <= 9; ++i) SetNumber(named, wakeUpField(i), GetNumber(c, wakeUpField(i)));
    EXPECT_EQ(0, std::memcmp(named.bytes, c.bytes, kConfigSize));
}

TEST(Setters, WriteBothBitsOfTheirPairAndIgnoreOtherChoices) {
    struct Case {
        void (*setter)(DeviceConfig&, int);
        int choice;
        std::uint8_t sysMode, flags1, flags2;  // from all bits clear
    };
    const Case cases[] = {
        {setSmsNotification, 0, 0x01, 0, 0x00},  {setSmsNotification, 1, 0, 0, 0x00},
        {setSmsNotification, 2, 0x00, 0, 0x10},  {setCallNotification, 0, 0x08, 0, 0x00},
        {setCallNotification, 1, 0x08, 0, 0x01}, {setCallNotification, 2, 0x00, 0, 0x00},
        {setCoordinateFormat, 0, 0, 0x02, 0},    {setCoordinateFormat, 1, 0, 0x08, 0},
        {setCoordinateFormat, 2, 0, 0x00, 0},
    };
    for (const Case& k : cases) {
        DeviceConfig c{};
        k.setter(c, k.choice);
        EXPECT_EQ(k.sysMode, GetU8(c, Field::SysMode)) << k.choice;
        EXPECT_EQ(k.flags1, GetU8(c, Field::ModeFlags1)) << k.choice;
        EXPECT_EQ(k.flags2, GetU8(c, Field::ModeFlags2)) << k.choice;
        // From all bits set, only the pair may change.
        DeviceConfig s{};
        SetU8(s, Field::SysMode, 0xFF);
        SetU8(s, Field::ModeFlags1, 0xFF);
        SetU8(s, Field::ModeFlags2, 0xFF);
        k.setter(s, k.choice);
        // Pair bits: SysMode 0 and 3, ModeFlags1 1 and 3, ModeFlags2 0 and 4.
        EXPECT_EQ(0xFF & ~0x09, GetU8(s, Field::SysMode) & ~0x09);
        EXPECT_EQ(0xFF & ~0x0A, GetU8(s, Field::ModeFlags1) & ~0x0A);
        EXPECT_EQ(0xFF & ~0x11, GetU8(s, Field::ModeFlags2) & ~0x11);
    }
    DeviceConfig before;
    loadDefaults(before);
    DeviceConfig c = before;
    setSmsNotification(c, 3);
    setCallNotification(c, -1);
    setCoordinateFormat(c, -1);
    EXPECT_EQ(0, std::memcmp(before.bytes, c.bytes, kConfigSize));
}

// What each mode leaves, from a starting image.
struct PresetCase {
    PresetMode mode;
    std::uint8_t clear1, set1;  // SysMode
    std::uint8_t clearF1, setF1;
    std::uint8_t clearF2, setF2;
    std::uint16_t wakeEnable, period;
};

TEST(Presets, FlagBytesKeepExactlyTheBitsTheModeDoesNotSet) {
    const PresetCase cases[] = {
        {PresetMode::Sleep, 0x5F, 0x80, 0x1C, 0x82, 0x11, 0x08, 0x0001, 720},
        {PresetMode::Wait, 0xFF, 0x01, 0xFF, 0x02, 0xFF, 0x08, 0, 0},
        {PresetMode::Guard, 0x44, 0x9B, 0x8C, 0x12, 0x10, 0x09, 0x0001, 360},
        {PresetMode::Search, 0x18, 0x07, 0x88, 0x06, 0x11, 0x08, 0x0001, 15},
        {PresetMode::Tracker, 0x19, 0x86, 0x98, 0x06, 0x11, 0x0A, 0, 0},
    };
    const std::uint8_t starts[] = {0x00, 0xFF, 0xA5, 0x5A};
    for (const PresetCase& k : cases) {
        for (std::uint8_t start : starts) {
            DeviceConfig c;
            loadDefaults(c);
            SetU8(c, Field::SysMode, start);
            SetU8(c, Field::ModeFlags1, start);
            SetU8(c, Field::ModeFlags2, start);
            SetU16(c, Field::WakeEnableFlags, 0x1FF);
            SetText(c, Field::MainPhone, "+79001234567");
            SetU8(c, Field::AlarmLockShock, 42);
            SetU32(c, Field::WakeUp8, 0x0102);
            DeviceConfig before = c;
            applyPreset(c, k.mode);

            const int m = static_cast<int>(k.mode);
            auto expect = [start](std::uint8_t clear, std::uint8_t set) {
                // "= value" modes clear every bit they do not set.
                return static_cast<std::uint8_t>((start & ~clear & ~set) | set);
            };
            EXPECT_EQ(m, GetU8(c, Field::LastCmd));
            EXPECT_EQ(expect(k.clear1, k.set1), GetU8(c, Field::SysMode)) << m << " " << int(start);
            EXPECT_EQ(expect(k.clearF1, k.setF1), GetU8(c, Field::ModeFlags1))
                << m << " " << int(start);
            EXPECT_EQ(expect(k.clearF2, k.setF2), GetU8(c, Field::ModeFlags2))
                << m << " " << int(start);
            EXPECT_EQ(k.wakeEnable, GetU16(c, Field::WakeEnableFlags)) << m;
            EXPECT_EQ(k.period, GetU16(c, Field::WakeupPeriod)) << m;
            EXPECT_EQ(120, GetU16(c, Field::GPRSTimer));
            EXPECT_EQ(3, GetU8(c, Field::VibrParam));
            EXPECT_EQ(30, GetU16(c, Field::ParkTimer));
            EXPECT_EQ(360, GetU16(c, Field::StayTimer));
            EXPECT_EQ(0u, GetU32(c, Field::WakeUp8));  // standard table: 00:00
            EXPECT_EQ(0x0900u, GetU32(c, Field::WakeUp9));

            // Nothing else moves: compare with the fields a preset names put back.
            for (Field f : {Field::LastCmd, Field::SysMode, Field::ModeFlags1, Field::ModeFlags2,
                            Field::WakeEnableFlags, Field::WakeupPeriod, Field::GPRSTimer,
                            Field::VibrParam, Field::ParkTimer, Field::StayTimer})
                SetNumber(c, f, GetNumber(before, f));
            for (int i = 1; i <= 9; ++i)
                SetNumber(c, wakeUpField(i), GetNumber(before, wakeUpField(i)));
            EXPECT_EQ(0, std::memcmp(before.bytes, c.bytes, kConfigSize)) << m;
        }
    }
}

}  // namespace

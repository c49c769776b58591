#include "config/device_config.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>

namespace {

using enum FieldType;

constexpr FieldInfo F(Field f, const char* name, std::uint16_t off, std::uint16_t width,
                      FieldType type, bool be = false) {
    return FieldInfo{f, name, off, width, type, be};
}

// The one table of the block's layout. Reserved stretches have no entry.
constexpr std::array<FieldInfo, static_cast<std::size_t>(Field::Count)> kFields = {{
    F(Field::MainPhone, "MainPhone.PhoneNum", 0, 16, Text),
    F(Field::LastCmd, "LastCmd", 34, 1, U8),
    F(Field::SysMode, "SysMode", 35, 1, U8),
    F(Field::GPRSTimer, "GPRSTimer", 38, 2, U16, true),
    F(Field::VibrParam, "VibrParam", 43, 1, U8),
    F(Field::ModeFlags3, "ModeFlags3", 44, 1, U8),
    F(Field::Lang, "Lang", 45, 1, U8),
    F(Field::ModeFlags2, "ModeFlags2", 46, 1, U8),
    F(Field::ModeFlags1, "ModeFlags1", 47, 1, U8),
    F(Field::WakeupPeriod, "WakeupPeriod", 50, 2, U16, true),
    F(Field::TempMode, "TempMode", 55, 1, U8),
    F(Field::TempPulse, "TempPulse", 58, 2, U16, true),
    F(Field::TempH, "TempH", 60, 2, U16, true),
    F(Field::TempL, "TempL", 62, 2, U16, true),
    F(Field::DevicePassword, "DevicePassword", 64, 16, Text),
    F(Field::ApnAddress, "QuelterAPN.Address", 80, 32, Text),
    F(Field::ApnLogin, "QuelterAPN.Login", 112, 16, Text),
    F(Field::ApnPassword, "QuelterAPN.Password", 128, 16, Text),
    F(Field::MonServerIP, "MonServerIP", 144, 32, Text),
    F(Field::GMTFlags, "GMTFlags", 178, 1, U8),
    F(Field::GMTOffset, "GMTOffset", 179, 1, I8),
    F(Field::WakeEnableFlags, "WakeEnableFlags", 182, 2, U16, true),
    F(Field::ZoneLongitude, "QuelterZone.Longitude", 192, 4, I32, true),
    F(Field::ZoneLatitude, "QuelterZone.Latitude", 196, 4, I32, true),
    F(Field::ZoneDistance, "QuelterZone.Distane", 200, 4, U32, true),
    F(Field::QuelterName, "QuelterName", 208, 16, Text),
    F(Field::ParkDisable, "ParkDisable", 241, 1, U8),
    F(Field::ParkTimer, "ParkTimer", 242, 2, U16, true),
    F(Field::StayTimer, "StayTimer", 246, 2, U16, true),
    F(Field::KeptBlock256, "KeptBlock256", 256, 32, Bytes),
    F(Field::USSDReq, "USSDReq", 288, 16, Text),
    F(Field::BalanceLevel, "BalanceLevel", 306, 2, U16, true),
    F(Field::KeptBlock320, "KeptBlock320", 320, 16, Bytes),
    F(Field::DeviceType, "DeviceType", 336, 4, U32, true),
    F(Field::RelayPulseLen, "RelayPulseLen", 354, 2, U16, true),
    F(Field::KeptByte359, "KeptByte359", 359, 1, U8),
    F(Field::KeptWord362, "KeptWord362", 362, 2, U16, true),
    F(Field::KeptWord366, "KeptWord366", 366, 2, U16, true),
    F(Field::AlarmLockInput, "AlarmLockInput", 368, 1, U8),
    F(Field::AlarmLockPower, "AlarmLockPower", 369, 1, U8),
    F(Field::AlarmLockZone, "AlarmLockZone", 370, 1, U8),
    F(Field::AlarmLockTemp, "AlarmLockTemp", 371, 1, U8),
    F(Field::AlarmLockShock, "AlarmLockShock", 372, 1, U8),
    F(Field::NoSleepTimer, "NoSleepTimer", 374, 2, U16, true),
    F(Field::InpActiveLevel, "InpActiveLevel", 377, 1, U8),
    F(Field::RelayInverse, "RelayInverse", 378, 1, U8),
    F(Field::TempCorrection, "TempCorrection", 379, 1, I8),
    F(Field::TimeCorrection, "TimeCorrection", 380, 1, I8),
    F(Field::FirmwareVersion, "FirmwareVersion", 384, 4, Bytes),
    F(Field::PhoneEn, "PhoneEn", 414, 2, U16, true),
    F(Field::EMail, "EMail", 416, 32, Text),
    F(Field::EMailServer, "EMailServer", 448, 32, Text),
    F(Field::Angle, "Angle", 483, 1, U8),
    F(Field::Speed, "Speed", 487, 1, U8),
    F(Field::Reserved1008, "Reserved1008", 1008, 4, U32, true),
    F(Field::ExtPhone1, "ExtPhone1", 1296, 16, Text),
    F(Field::ExtPhone2, "ExtPhone2", 1312, 16, Text),
    F(Field::ExtPhone3, "ExtPhone3", 1328, 16, Text),
    F(Field::ExtPhone4, "ExtPhone4", 1344, 16, Text),
    F(Field::ExtPhone5, "ExtPhone5", 1360, 16, Text),
    F(Field::ExtPhone6, "ExtPhone6", 1376, 16, Text),
    F(Field::ExtPhone7, "ExtPhone7", 1392, 16, Text),
    F(Field::ExtPhone8, "ExtPhone8", 1408, 16, Text),
    F(Field::ExtPhone9, "ExtPhone9", 1424, 16, Text),
    F(Field::WakeUp1, "WakeUp1", 1440, 4, U32, true),
    F(Field::WakeUp2, "WakeUp2", 1444, 4, U32, true),
    F(Field::WakeUp3, "WakeUp3", 1448, 4, U32, true),
    F(Field::WakeUp4, "WakeUp4", 1452, 4, U32, true),
    F(Field::WakeUp5, "WakeUp5", 1456, 4, U32, true),
    F(Field::WakeUp6, "WakeUp6", 1460, 4, U32, true),
    F(Field::WakeUp7, "WakeUp7", 1464, 4, U32, true),
    F(Field::WakeUp8, "WakeUp8", 1468, 4, U32, true),
    F(Field::WakeUp9, "WakeUp9", 1472, 4, U32, true),
    F(Field::HostTail, "HostTail", 1536, 19, Bytes),
}};

constexpr bool tableIsInEnumOrder() {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (static_cast<std::size_t>(kFields[i].field) != i) return false;
    return true;
}
static_assert(tableIsInEnumOrder(), "field table must follow the Field enum");

// The 28 big-endian fields: the 16-bit ones, the nine alarms, then the other
// 32-bit ones. Each is reversed in place, so the order does not matter.
constexpr Field kSwapOrder[] = {
    Field::GPRSTimer,    Field::WakeupPeriod,    Field::TempPulse,   Field::TempH,
    Field::TempL,        Field::WakeEnableFlags, Field::ParkTimer,   Field::StayTimer,
    Field::BalanceLevel, Field::RelayPulseLen,   Field::KeptWord362, Field::PhoneEn,
    Field::KeptWord366,  Field::NoSleepTimer,    Field::WakeUp1,     Field::WakeUp2,
    Field::WakeUp3,      Field::WakeUp4,         Field::WakeUp5,     Field::WakeUp6,
    Field::WakeUp7,      Field::WakeUp8,         Field::WakeUp9,     Field::ZoneDistance,
    Field::ZoneLatitude, Field::ZoneLongitude,   Field::DeviceType,  Field::Reserved1008,
};
static_assert(std::size(kSwapOrder) == 28);

// Device-owned stretches copied from the fresh read into every Write, in order.
struct Stretch {
    std::uint16_t offset;
    std::uint16_t width;
};
constexpr Stretch kKeptStretches[] = {
    {384, 4},    // FirmwareVersion
    {320, 16},   // KeptBlock320
    {288, 16},   // USSDReq
    {256, 32},   // KeptBlock256
    {1540, 15},  // tail of HostTail
    {359, 1},    // KeptByte359
    {362, 2},    // KeptWord362
    {366, 2},    // KeptWord366
    {336, 4},    // DeviceType
};

template <typename T>
T load(const DeviceConfig& c, Field f) {
    const FieldInfo& fi = fieldInfo(f);
    assert(fi.width == sizeof(T));
    T v;
    std::memcpy(&v, c.bytes + fi.offset, sizeof(T));
    return v;
}

template <typename T>
void store(DeviceConfig& c, Field f, T v) {
    const FieldInfo& fi = fieldInfo(f);
    assert(fi.width == sizeof(T));
    std::memcpy(c.bytes + fi.offset, &v, sizeof(T));
}

}  // namespace

std::span<const FieldInfo> fieldTable() {
    return kFields;
}

const FieldInfo& fieldInfo(Field f) {
    assert(f < Field::Count);
    return kFields[static_cast<std::size_t>(f)];
}

Field extPhoneField(int i) {
    assert(i >= 1 && i <= 9);
    return static_cast<Field>(static_cast<int>(Field::ExtPhone1) + i - 1);
}

Field wakeUpField(int i) {
    assert(i >= 1 && i <= 9);
    return static_cast<Field>(static_cast<int>(Field::WakeUp1) + i - 1);
}

std::uint8_t* fieldBytes(DeviceConfig& c, Field f) {
    return c.bytes + fieldInfo(f).offset;
}
const std::uint8_t* fieldBytes(const DeviceConfig& c, Field f) {
    return c.bytes + fieldInfo(f).offset;
}

std::uint8_t GetU8(const DeviceConfig& c, Field f) {
    return load<std::uint8_t>(c, f);
}
std::int8_t GetI8(const DeviceConfig& c, Field f) {
    return load<std::int8_t>(c, f);
}
std::uint16_t GetU16(const DeviceConfig& c, Field f) {
    return load<std::uint16_t>(c, f);
}
std::int32_t GetI32(const DeviceConfig& c, Field f) {
    return load<std::int32_t>(c, f);
}
std::uint32_t GetU32(const DeviceConfig& c, Field f) {
    return load<std::uint32_t>(c, f);
}
void SetU8(DeviceConfig& c, Field f, std::uint8_t v) {
    store(c, f, v);
}
void SetI8(DeviceConfig& c, Field f, std::int8_t v) {
    store(c, f, v);
}
void SetU16(DeviceConfig& c, Field f, std::uint16_t v) {
    store(c, f, v);
}
void SetI32(DeviceConfig& c, Field f, std::int32_t v) {
    store(c, f, v);
}
void SetU32(DeviceConfig& c, Field f, std::uint32_t v) {
    store(c, f, v);
}

std::int32_t GetNumber(const DeviceConfig& c, Field f) {
    switch (fieldInfo(f).type) {
        case U8:
            return GetU8(c, f);
        case I8:
            return GetI8(c, f);
        case U16:
            if (fieldInfo(f).width == 2) return GetU16(c, f);
            break;
        case I32:
            return GetI32(c, f);
        case U32:
            return static_cast<std::int32_t>(GetU32(c, f));
        default:
            break;
    }
    assert(!"not a number field");
    return 0;
}

void SetNumber(DeviceConfig& c, Field f, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    switch (fieldInfo(f).type) {
        case U8:
            SetU8(c, f, static_cast<std::uint8_t>(u));
            return;
        case I8:
            SetI8(c, f, static_cast<std::int8_t>(u & 0xFF));
            return;
        case U16:
            SetU16(c, f, static_cast<std::uint16_t>(u));
            return;
        case I32:
            SetI32(c, f, v);
            return;
        case U32:
            SetU32(c, f, u);
            return;
        default:
            assert(!"not a number field");
    }
}

bool GetBit(const DeviceConfig& c, Field f, int bit) {
    return (static_cast<std::uint32_t>(GetNumber(c, f)) >> bit) & 1u;
}

void SetBit(DeviceConfig& c, Field f, int bit, bool on) {
    auto v = static_cast<std::uint32_t>(GetNumber(c, f));
    v = on ? (v | (1u << bit)) : (v & ~(1u << bit));
    SetNumber(c, f, static_cast<std::int32_t>(v));
}

std::string_view ReadFixedText(const std::uint8_t* field, std::size_t width) {
    const auto* begin = reinterpret_cast<const char*>(field);
    const auto* end = static_cast<const char*>(std::memchr(begin, 0, width));
    return std::string_view(begin, end ? static_cast<std::size_t>(end - begin) : width);
}

std::string GetText(const DeviceConfig& c, Field f) {
    return std::string(ReadFixedText(fieldBytes(c, f), fieldInfo(f).width));
}

void SetText(DeviceConfig& c, Field f, std::string_view text) {
    CopyFixedText(fieldBytes(c, f), text, fieldInfo(f).width);
}

void ClearConfig(DeviceConfig& c) {
    std::memset(c.bytes, 0, sizeof c.bytes);
}

void SwapByteOrder(DeviceConfig& c) {
    if constexpr (std::endian::native == std::endian::big) return;
    for (Field f : kSwapOrder) {
        const FieldInfo& fi = fieldInfo(f);
        std::reverse(c.bytes + fi.offset, c.bytes + fi.offset + fi.width);
    }
}

void KeepDeviceFields(DeviceConfig& target, const DeviceConfig& read) {
    for (const Stretch& s : kKeptStretches)
        std::memcpy(target.bytes + s.offset, read.bytes + s.offset, s.width);
    CopyFixedText(fieldBytes(target, Field::DevicePassword), kForcedDevicePassword, 15);
}

void CopyFixedText(char* field, const char* text, unsigned width) {
    std::memset(field, 0, width);
    for (unsigned i = 0; i < width && text[i] != 0; ++i) field[i] = text[i];
}

void CopyFixedText(std::uint8_t* field, std::string_view text, unsigned width) {
    std::memset(field, 0, width);
    for (unsigned i = 0; i < width && i < text.size() && text[i] != 0; ++i)
        field[i] = static_cast<std::uint8_t>(text[i]);
}

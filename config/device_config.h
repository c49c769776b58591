// The tracker's configuration block as the tool holds it: a plain 1555-byte
// record edited in place. Bytes 0..1535 mirror device addresses 0x1000..0x15FF;
// bytes 1536..1554 exist only in the tool and stay zero.
//
// Every field is named once, in the field table (device_config.cpp). All other
// code goes through the typed accessors below, never through raw offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

constexpr std::size_t kConfigSize = 1555;
constexpr std::size_t kDeviceBlockSize = 1536;
constexpr std::uint32_t kDeviceBlockAddress = 0x1000;

struct DeviceConfig {
    std::uint8_t bytes[kConfigSize];
};
static_assert(sizeof(DeviceConfig) == kConfigSize);

enum class FieldType : std::uint8_t {
    U8,     // unsigned byte (also flag bytes)
    I8,     // signed byte, two's complement
    U16,    // unsigned 16-bit (also flag words)
    I32,    // signed 32-bit
    U32,    // unsigned 32-bit
    Text,   // fixed-width CP1251 text, zero-filled after the text
    Bytes,  // opaque bytes the tool only moves
};

// Named fields. The order is the order of the field table.
enum class Field : std::uint8_t {
    MainPhone,  // "MainPhone.PhoneNum"
    LastCmd,
    SysMode,
    GPRSTimer,
    VibrParam,
    ModeFlags3,
    Lang,
    ModeFlags2,
    ModeFlags1,
    WakeupPeriod,
    TempMode,
    TempPulse,
    TempH,
    TempL,
    DevicePassword,
    ApnAddress,   // "QuelterAPN.Address"
    ApnLogin,     // "QuelterAPN.Login"
    ApnPassword,  // "QuelterAPN.Password"
    MonServerIP,
    GMTFlags,
    GMTOffset,
    WakeEnableFlags,
    ZoneLongitude,  // "QuelterZone.Longitude"
    ZoneLatitude,   // "QuelterZone.Latitude"
    ZoneDistance,   // "QuelterZone.Distane" (sic: the key stored files use)
    QuelterName,
    ParkDisable,
    ParkTimer,
    StayTimer,
    KeptBlock256,
    USSDReq,
    BalanceLevel,
    KeptBlock320,
    DeviceType,
    RelayPulseLen,
    KeptByte359,
    KeptWord362,
    KeptWord366,
    AlarmLockInput,
    AlarmLockPower,
    AlarmLockZone,
    AlarmLockTemp,
    AlarmLockShock,
    NoSleepTimer,
    InpActiveLevel,
    RelayInverse,
    TempCorrection,
    TimeCorrection,
    FirmwareVersion,
    PhoneEn,
    EMail,
    EMailServer,
    Angle,
    Speed,
    Reserved1008,
    ExtPhone1,
    ExtPhone2,
    ExtPhone3,
    ExtPhone4,
    ExtPhone5,
    ExtPhone6,
    ExtPhone7,
    ExtPhone8,
    ExtPhone9,
    WakeUp1,
    WakeUp2,
    WakeUp3,
    WakeUp4,
    WakeUp5,
    WakeUp6,
    WakeUp7,
    WakeUp8,
    WakeUp9,
    HostTail,
    Count
};

struct FieldInfo {
    Field field;
    const char* name;  // settings-file key where the file carries the field
    std::uint16_t offset;
    std::uint16_t width;
    FieldType type;
    bool bigEndian;  // converted by SwapByteOrder
};

// The whole field table, in offset order of the enum above.
std::span<const FieldInfo> fieldTable();
const FieldInfo& fieldInfo(Field f);

// The i-th extra phone / alarm, i = 1..9.
Field extPhoneField(int i);
Field wakeUpField(int i);

// Raw access to a field's bytes.
std::uint8_t* fieldBytes(DeviceConfig& c, Field f);
const std::uint8_t* fieldBytes(const DeviceConfig& c, Field f);

// Typed host-order accessors. Each checks (in debug builds) that the field has
// the width it is read with.
std::uint8_t GetU8(const DeviceConfig& c, Field f);
std::int8_t GetI8(const DeviceConfig& c, Field f);
std::uint16_t GetU16(const DeviceConfig& c, Field f);
std::int32_t GetI32(const DeviceConfig& c, Field f);
std::uint32_t GetU32(const DeviceConfig& c, Field f);
void SetU8(DeviceConfig& c, Field f, std::uint8_t v);
void SetI8(DeviceConfig& c, Field f, std::int8_t v);
void SetU16(DeviceConfig& c, Field f, std::uint16_t v);
void SetI32(DeviceConfig& c, Field f, std::int32_t v);
void SetU32(DeviceConfig& c, Field f, std::uint32_t v);

// Any number field widened to 32 bits by its type: zero-extended for unsigned
// fields, sign-extended for signed ones; a u32 with the top bit set comes back
// negative. SetNumber stores the low-order bytes that fit the field.
std::int32_t GetNumber(const DeviceConfig& c, Field f);
void SetNumber(DeviceConfig& c, Field f, std::int32_t v);

// Single bits of flag bytes and words.
bool GetBit(const DeviceConfig& c, Field f, int bit);
void SetBit(DeviceConfig& c, Field f, int bit, bool on);

// Fixed-width text: the bytes up to the first zero byte or the width.
std::string_view ReadFixedText(const std::uint8_t* field, std::size_t width);
std::string GetText(const DeviceConfig& c, Field f);
// Writes text over the whole field with CopyFixedText semantics.
void SetText(DeviceConfig& c, Field f, std::string_view text);

// All 1555 bytes zero.
void ClearConfig(DeviceConfig& c);

// Converts the 28 big-endian fields between device order and host order; its
// own inverse. On a big-endian host it changes nothing.
void SwapByteOrder(DeviceConfig& c);

// Copies the device-owned fields from the record just read into the record
// about to be written and forces the device password. Both in device order.
void KeepDeviceFields(DeviceConfig& target, const DeviceConfig& read);

// Clears width bytes, then copies text up to its first zero or the width.
// A text of width or more characters fills the field without a terminator.
void CopyFixedText(char* field, const char* text, unsigned width);
void CopyFixedText(std::uint8_t* field, std::string_view text, unsigned width);

// The password every Write puts on the device, over the first 15 bytes.
inline constexpr const char* kForcedDevicePassword = "8647";

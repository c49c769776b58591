#include "config/presets.h"

#include "config/defaults.h"

namespace {

void setMasked(DeviceConfig& c, Field f, std::uint8_t keep, std::uint8_t set) {
    SetU8(c, f, static_cast<std::uint8_t>((GetU8(c, f) & keep) | set));
}

// Timers every mode shares.
void commonTimers(DeviceConfig& c) {
    SetU16(c, Field::GPRSTimer, 120);
    SetU8(c, Field::VibrParam, 3);
    SetU16(c, Field::ParkTimer, 30);
    SetU16(c, Field::StayTimer, 360);
}

void presetSleepOrGuard(DeviceConfig& c, bool guard) {
    SetU8(c, Field::LastCmd, guard ? 2 : 0);
    setSmsNotification(c, guard ? kEveryWakeUp : kAlarmsOnly);
    setCallNotification(c, guard ? kAlarmsOnly : kNotificationOff);
    setStandardAlarms(c);
    SetU16(c, Field::WakeupPeriod, guard ? 360 : 720);
    SetU16(c, Field::GPRSTimer, 120);
    SetBit(c, Field::SysMode, 2, false);
    SetBit(c, Field::SysMode, 7, true);
    SetU8(c, Field::VibrParam, 3);
    SetBit(c, Field::SysMode, 4, guard);
    SetU16(c, Field::ParkTimer, 30);
    SetBit(c, Field::SysMode, 6, false);
    SetU16(c, Field::StayTimer, 360);
    SetBit(c, Field::ModeFlags1, 7, !guard);
    setCoordinateFormat(c, kYandexLinks);
    SetBit(c, Field::SysMode, 1, guard);
    SetBit(c, Field::ModeFlags1, 4, guard);
    SetBit(c, Field::ModeFlags2, 3, true);
    SetBit(c, Field::ModeFlags1, 2, false);
}

}  // namespace

void applyPreset(DeviceConfig& c, PresetMode mode) {
    switch (mode) {
        case PresetMode::Sleep:
            presetSleepOrGuard(c, false);
            break;
        case PresetMode::Guard:
            presetSleepOrGuard(c, true);
            break;
        case PresetMode::Wait:
            SetU8(c, Field::LastCmd, 1);
            SetU8(c, Field::SysMode, 0x01);
            SetU8(c, Field::ModeFlags1, 0x02);
            SetU8(c, Field::ModeFlags2, 0x08);
            setStandardAlarms(c);
            SetU16(c, Field::WakeEnableFlags, 0);
            SetU16(c, Field::WakeupPeriod, 0);
            commonTimers(c);
            setCoordinateFormat(c, kYandexLinks);
            break;
        case PresetMode::Search:
            SetU8(c, Field::LastCmd, 3);
            setMasked(c, Field::SysMode, 0xE7, 0x07);
            setMasked(c, Field::ModeFlags1, 0x77, 0x06);
            setMasked(c, Field::ModeFlags2, 0xEE, 0x08);
            setStandardAlarms(c);
            SetU16(c, Field::WakeupPeriod, 15);
            commonTimers(c);
            setCoordinateFormat(c, kYandexLinks);
            break;
        case PresetMode::Tracker:
            SetU8(c, Field::LastCmd, 4);
            setMasked(c, Field::SysMode, 0xE6, 0x86);
            setMasked(c, Field::ModeFlags1, 0x67, 0x06);
            setMasked(c, Field::ModeFlags2, 0xEE, 0x0A);
            setStandardAlarms(c);
            SetU16(c, Field::WakeEnableFlags, 0);
            SetU16(c, Field::WakeupPeriod, 0);
            commonTimers(c);
            break;
    }
}

#include "config/defaults.h"

#include <string>

namespace {

constexpr int kStandardAlarmHours[9] = {10, 12, 14, 16, 18, 20, 22, 0, 9};

}  // namespace

void setSmsNotification(DeviceConfig& c, int choice) {
    // SysMode bit 0 / ModeFlags2 bit 4: 1/0 every wake-up, 0/0 alarms only, 0/1 off.
    if (choice < kEveryWakeUp || choice > kNotificationOff) return;
    SetBit(c, Field::SysMode, 0, choice == kEveryWakeUp);
    SetBit(c, Field::ModeFlags2, 4, choice == kNotificationOff);
}

void setCallNotification(DeviceConfig& c, int choice) {
    // SysMode bit 3 / ModeFlags2 bit 0: 1/0 every wake-up, 1/1 alarms only, 0/0 off.
    if (choice < kEveryWakeUp || choice > kNotificationOff) return;
    SetBit(c, Field::SysMode, 3, choice != kNotificationOff);
    SetBit(c, Field::ModeFlags2, 0, choice == kAlarmsOnly);
}

void setCoordinateFormat(DeviceConfig& c, int choice) {
    // ModeFlags1 bit 1: Yandex links; bit 3: Google links; neither: geographic.
    if (choice < kYandexLinks || choice > kGeographic) return;
    SetBit(c, Field::ModeFlags1, 1, choice == kYandexLinks);
    SetBit(c, Field::ModeFlags1, 3, choice == kGoogleLinks);
}

void setStandardAlarms(DeviceConfig& c) {
    SetU16(c, Field::WakeEnableFlags, 0x0001);
    for (int i = 1; i <= 9; ++i)
        SetU32(c, wakeUpField(i), static_cast<std::uint32_t>(kStandardAlarmHours[i - 1]) * 256);
}

void loadDefaults(DeviceConfig& c) {
    ClearConfig(c);
    SetU8(c, Field::LastCmd, 0);
    setSmsNotification(c, kEveryWakeUp);
    setCallNotification(c, kNotificationOff);
    setStandardAlarms(c);
    SetU16(c, Field::WakeupPeriod, 720);
    SetU16(c, Field::GPRSTimer, 120);
    SetBit(c, Field::SysMode, 2, false);
    SetBit(c, Field::SysMode, 7, true);
    SetU8(c, Field::VibrParam, 3);
    SetBit(c, Field::SysMode, 4, false);
    SetU16(c, Field::ParkTimer, 30);
    SetBit(c, Field::SysMode, 6, false);
    SetU16(c, Field::StayTimer, 360);
    SetBit(c, Field::ModeFlags1, 7, true);
    setCoordinateFormat(c, kYandexLinks);
    SetBit(c, Field::SysMode, 1, false);
    SetBit(c, Field::ModeFlags1, 4, false);
    SetBit(c, Field::ModeFlags2, 3, true);
    SetBit(c, Field::ModeFlags1, 2, false);
    SetU16(c, Field::TempH, 293);
    SetU16(c, Field::TempL, 277);
    const std::string server = std::string(kDefaultServerHost) + ":" + kDefaultServerPort;
    SetText(c, Field::MonServerIP, server);
    SetU8(c, Field::Speed, 131);
    SetU16(c, Field::RelayPulseLen, 10);
    SetU8(c, Field::AlarmLockShock, 15);
    SetU8(c, Field::AlarmLockInput, 2);
    SetU8(c, Field::AlarmLockTemp, 5);
    SetU8(c, Field::AlarmLockPower, 5);
    SetU8(c, Field::AlarmLockZone, 5);
    SetI8(c, Field::GMTOffset, 0);
}

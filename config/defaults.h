// The factory configuration and the small setters it shares with the presets.
#pragma once

#include "config/device_config.h"

// Host of the default monitoring server; the port follows after a colon.
inline constexpr const char* kDefaultServerHost = "monitoring.gpsquelter.ru";
inline constexpr const char* kDefaultServerPort = "11203";

// Choices of the notification and coordinate-format setters.
enum NotificationChoice { kEveryWakeUp = 0, kAlarmsOnly = 1, kNotificationOff = 2 };
enum CoordinateFormatChoice { kYandexLinks = 0, kGoogleLinks = 1, kGeographic = 2 };

// Replaces the whole record with the factory configuration (host order).
void loadDefaults(DeviceConfig& c);

// Each writes both bits of its pair; any other choice changes nothing.
void setSmsNotification(DeviceConfig& c, int choice);
void setCallNotification(DeviceConfig& c, int choice);
void setCoordinateFormat(DeviceConfig& c, int choice);

// WakeEnableFlags := 1 and the nine alarms 10:00, 12:00, ... 22:00, 00:00, 09:00.
void setStandardAlarms(DeviceConfig& c);

// What the device commands tell the user in the status line.
#pragma once

inline constexpr const char* kTextNoConnection = "Подключения GPS Quelter к ПК не обнаружено";
inline constexpr const char* kTextVersionFormat = "Версия прошивки:%X.%X.%X.%X";
inline constexpr const char* kTextReadOk = "Параметры прочитаны успешно";
inline constexpr const char* kTextBadModel = "Ошибка чтения модели устройства";
inline constexpr const char* kTextIncompatible = "Несовместимое устройство";
inline constexpr const char* kTextWriteOk = "Параметры записаны успешно";
// The block read back after a Write differs from what was sent: %d bytes.
inline constexpr const char* kTextCheckFailedFormat = "Ошибка проверки записи: %d байт отличаются";
inline constexpr const char* kTextCheckFailedPrefix = "Ошибка проверки записи:";
inline constexpr const char* kTextInterrupted = "Обмен с GPS Quelter прерван";
// When no tracker was found but a port was there and could not be had; %s is
// the port's name.
inline constexpr const char* kTextPortBusyFormat = "Порт %s занят другой программой";
inline constexpr const char* kTextPortDeniedFormat =
    "Нет доступа к порту %s: добавьте себя в группу dialout";

// Durations split over day/hour/minute/second edits and coordinates shown as
// decimal degrees and as degrees, minutes and ten-thousandths of a minute.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/controls.h"

// A part holding 255 marks a unit absent from the group of edits concerned.
struct DurationParts {
    std::uint32_t total = 0;
    std::uint16_t days = 0;
    std::uint16_t hours = 0;
    std::uint16_t minutes = 0;
    std::uint16_t seconds = 0;
};

struct CoordinateParts {
    std::int32_t micro = 0;  // degrees x 1,000,000
    std::int16_t degrees = 0;
    std::uint8_t minutes = 0;
    std::uint32_t fraction = 0;  // ten-thousandths of a minute, 0..9999
};

enum class DurationUnit : unsigned char { Hours, Minutes, Seconds };

DurationParts splitDuration(std::uint32_t total, DurationUnit unit);
std::uint32_t joinDuration(std::uint32_t days, std::uint32_t hours, std::uint32_t minutes,
                           std::uint32_t seconds, DurationUnit unit);
CoordinateParts splitCoordinate(std::int32_t micro);
std::int32_t joinCoordinate(std::uint32_t degrees, std::uint32_t minutes, std::uint32_t fraction);

// A coordinate's four edits on a page: decimal, degrees, minutes, fraction.
struct CoordinateEdits {
    PageId page;
    int decimal, degrees, minutes, fraction;
};
void showCoordinate(Controls& c, const CoordinateEdits& edits, std::int32_t micro);
void showCoordinateParts(Controls& c, const CoordinateEdits& edits, const CoordinateParts& parts);

inline constexpr CoordinateEdits kLatitudeEdits{PageId::GPS, 1249, 1251, 1253, 1255};
inline constexpr CoordinateEdits kLongitudeEdits{PageId::GPS, 1250, 1252, 1254, 1256};

// A group of duration edits; id 0 marks a unit the group has no edit for.
// A group has a seconds edit exactly when it counts in seconds. The bounds of
// its total count in its unit; a total above maxTotal is shown as atMax.
struct DurationGroup {
    PageId page;
    int days, hours, minutes, seconds;
    DurationUnit unit;  // Minutes or Seconds
    std::uint32_t maxTotal = 0, minTotal = 0;
    DurationParts atMax{};
};

// The duration groups of the pages: days, hours, minutes, seconds, then the
// bounds of the total and the parts that spell the maximum.
// clang-format off
inline constexpr DurationGroup
    kWakePeriod     {PageId::Wake,     1229, 1230, 1231, 0,    DurationUnit::Minutes,
                     28800, 0,   {.days = 20}},
    kPacketPeriod   {PageId::Internet, 0,    0,    1261, 1262, DurationUnit::Seconds,
                     1800,  15,  {.minutes = 30}},
    kParkingTime    {PageId::Sensors,  0,    1280, 1281, 0,    DurationUnit::Minutes,
                     240,   1,   {.hours = 4}},
    kIdleTime       {PageId::Sensors,  1284, 1282, 1283, 0,    DurationUnit::Minutes,
                     14400, 15,  {.days = 10}},
    kRelayOnTime    {PageId::Sensors,  0,    1264, 1265, 1266, DurationUnit::Seconds,
                     14400, 1,   {.hours = 4}},
    kWaitBeforeSleep{PageId::Expert,   0,    0,    1282, 1283, DurationUnit::Seconds,
                     1800,  300, {.minutes = 30}};
// clang-format on
inline constexpr const DurationGroup* kDurationGroups[] = {
    &kWakePeriod, &kPacketPeriod, &kParkingTime, &kIdleTime, &kRelayOnTime, &kWaitBeforeSleep,
};

// Bounds the group after the user edited `changedId`: hours above 23 and
// minutes or seconds above 59 are shown as 23 / 59 (the total still uses the
// number typed); a total above maxTotal rewrites the group as `atMax` (only
// the parts of units the group has are used), one below minTotal as minTotal.
// Totals count in the group's unit. Finally the caret of `changedId` goes to
// position 2 and its modified flag is cleared.
void ClampDuration(Controls& c, const DurationGroup& group, int changedId, std::uint32_t maxTotal,
                   std::uint32_t minTotal, const DurationParts& atMax);

// The decimal value of the leading digits of a text's first line, reading at
// most `maxChars` characters; no digits give 0, a sign is not a digit, and a
// value too large for 32 bits stays at 4294967295.
std::uint32_t leadingNumber(std::string_view utf8, int maxChars);
// "%f" of micro / 1,000,000, but independent of the C locale (a point always).
std::string formatMicroDegrees(std::int64_t micro);

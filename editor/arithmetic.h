// Durations split over day/hour/minute/second edits and coordinates shown as
// decimal degrees and as degrees, minutes and ten-thousandths of a minute.
//
// PUBLIC CONTRACT used by showing, collecting and the page rules.
#pragma once

#include <cstdint>

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

// A group of duration edits; id 0 marks a unit the group has no edit for.
struct DurationGroup {
    PageId page;
    int days, hours, minutes, seconds;
    DurationUnit unit;  // Minutes or Seconds
};
// Bounds the group after `changedId` was edited (see the page rules).
void ClampDuration(Controls& c, const DurationGroup& group, int changedId, std::uint32_t maxTotal,
                   std::uint32_t minTotal, const DurationParts& atMax);

// Which control carries which field of the configuration image, page by page.
// Showing (show_config.cpp) and collecting (collect_pages.cpp) both walk these
// tables, so a control can never be shown from one field and collected into
// another. Rules that do not fit a row (notification pairs, coordinates, the
// monitoring server, the automatic APN, enabled states) are functions there.
#pragma once

#include <array>
#include <span>

#include "config/device_config.h"
#include "editor/arithmetic.h"
#include "editor/controls.h"

enum class BindWay : unsigned char {
    Check,         // check box <-> one bit of a flag field
    CheckNonZero,  // check box <-> field non-zero (collected as 1)
    Number,        // edit <-> decimal number
    Text,          // edit <-> fixed-width text, as wide as the field
    Phone,         // edit <-> phone field without its leading "+"
    Combo,         // combo box selection <-> field + offset
    TimePicker,    // picker <-> hour * 256 + minute
    Radio,         // radio group <-> one value per button
    Duration,      // group of edits <-> duration split over its units
};

// A radio group lists at most this many buttons.
inline constexpr int kMaxRadioButtons = 5;

struct Binding {
    BindWay way;
    int id = 0;  // the control; Radio: the group's first button
    Field field = Field::Count;
    int bit = 0;     // Check: the bit
    int chars = 0;   // Number: characters read when collecting, 0 for the whole text
    int offset = 0;  // Number: shown = stored + offset; Combo: index = stored + offset
    // Radio: buttons id .. last, the value each stands for, the value stored
    // when none is checked, and the button shown for any other value (0: the
    // group keeps its choice).
    int last = 0;
    std::array<int, kMaxRadioButtons> values{};
    int valueIfNone = 0;
    int buttonIfOther = 0;
    // Duration: the group's edits (0 for a unit the page has no edit for).
    DurationGroup duration{};
};

// What the pages hold for the configuration on screen besides their
// controls' contents: showing fills it, collecting reads it.
struct PageMemory {
    // The time zone as stored. A value the list has no item for leaves the
    // list without a selection, and the collection then keeps this value.
    int shownTimeZone = 0;
};

struct PageBindings {
    PageId page;
    std::span<const Binding> rows;
};

// The main window's preset group and the six pages, in showing order.
std::span<const PageBindings> pageBindings();
const PageBindings& bindingsOf(PageId page);

// Control ids the functions of showing and collecting share.
namespace ids {
inline constexpr int kPresetFirst = 1991, kPresetTracker = 1995;
// Main page
inline constexpr int kSmsEveryWakeUp = 2001, kSmsAlarmsOnly = 2002, kSmsOff = 2003;
inline constexpr int kCallEveryWakeUp = 2010, kCallAlarmsOnly = 2011, kCallOff = 2012;
// Wake-up page
inline constexpr int kPeriodDays = 1229, kPeriodHours = 1230, kPeriodMinutes = 1231;
inline constexpr int kPeriodActive = 1228;
// GPS page
inline constexpr int kLinksYandex = 2030, kLinksGoogle = 2031, kLinksGeographic = 2032;
inline constexpr int kNorth = 1279, kSouth = 1280, kEast = 1281, kWest = 1282;
// Internet page
inline constexpr int kServerHost = 1250, kServerPort = 1254;
inline constexpr int kApnAddress = 1251, kApnLogin = 1252, kApnPassword = 1253;
inline constexpr int kApnAutomatic = 1264;
inline constexpr int kAdaptiveTrack = 1237;
// Sensors page
inline constexpr int kSensitivitySlider = 1276;
}  // namespace ids

#include "editor/page_bindings.h"

#include <cassert>

namespace {

using enum BindWay;

constexpr Binding check(int id, Field f, int bit) {
    return {.way = Check, .id = id, .field = f, .bit = bit};
}
constexpr Binding number(int id, Field f, int chars, int offset = 0) {
    return {.way = Number, .id = id, .field = f, .chars = chars, .offset = offset};
}
constexpr Binding radio(int first, int last, Field f, std::array<int, kMaxRadioButtons> values,
                        int valueIfNone, int buttonIfOther) {
    return {.way = Radio,
            .id = first,
            .field = f,
            .last = last,
            .values = values,
            .valueIfNone = valueIfNone,
            .buttonIfOther = buttonIfOther};
}
constexpr Binding duration(Field f, const DurationGroup& group) {
    return {.way = Duration, .field = f, .duration = group};
}

constexpr Binding kWindow[] = {
    radio(1991, 1995, Field::LastCmd, {0, 1, 2, 3, 4}, 0, 0),
};

// Phone rows 8 and 9 are edits 1041 and 1040, in that order.
constexpr Binding kMain[] = {
    {.way = Phone, .id = 1031, .field = Field::MainPhone},
    {.way = Text, .id = 1034, .field = Field::QuelterName},
    {.way = Phone, .id = 1032, .field = Field::ExtPhone1},
    {.way = Phone, .id = 1033, .field = Field::ExtPhone2},
    {.way = Phone, .id = 1035, .field = Field::ExtPhone3},
    {.way = Phone, .id = 1036, .field = Field::ExtPhone4},
    {.way = Phone, .id = 1037, .field = Field::ExtPhone5},
    {.way = Phone, .id = 1038, .field = Field::ExtPhone6},
    {.way = Phone, .id = 1039, .field = Field::ExtPhone7},
    {.way = Phone, .id = 1041, .field = Field::ExtPhone8},
    {.way = Phone, .id = 1040, .field = Field::ExtPhone9},
    check(1187, Field::PhoneEn, 1),
    check(1188, Field::PhoneEn, 2),
    check(1189, Field::PhoneEn, 3),
    check(1190, Field::PhoneEn, 4),
    check(1191, Field::PhoneEn, 5),
    check(1192, Field::PhoneEn, 6),
    check(1193, Field::PhoneEn, 7),
    check(1194, Field::PhoneEn, 8),
    check(1195, Field::PhoneEn, 9),
    // 1998 English, 1999 Russian, 2000 the language of the received command.
    radio(1998, 2000, Field::Lang, {1, 2, 0}, 0, 0),
    // The list starts at UTC-12; a stored value it has no item for is kept.
    {.way = Combo, .id = 1053, .field = Field::GMTOffset, .offset = 12},
    check(1197, Field::ModeFlags3, 2),
};

constexpr Binding kWake[] = {
    {.way = TimePicker, .id = 1201, .field = Field::WakeUp1},
    {.way = TimePicker, .id = 1212, .field = Field::WakeUp2},
    {.way = TimePicker, .id = 1213, .field = Field::WakeUp3},
    {.way = TimePicker, .id = 1214, .field = Field::WakeUp4},
    {.way = TimePicker, .id = 1215, .field = Field::WakeUp5},
    {.way = TimePicker, .id = 1216, .field = Field::WakeUp6},
    {.way = TimePicker, .id = 1217, .field = Field::WakeUp7},
    {.way = TimePicker, .id = 1218, .field = Field::WakeUp8},
    {.way = TimePicker, .id = 1219, .field = Field::WakeUp9},
    check(1202, Field::WakeEnableFlags, 0),
    check(1220, Field::WakeEnableFlags, 1),
    check(1221, Field::WakeEnableFlags, 2),
    check(1222, Field::WakeEnableFlags, 3),
    check(1223, Field::WakeEnableFlags, 4),
    check(1224, Field::WakeEnableFlags, 5),
    check(1225, Field::WakeEnableFlags, 6),
    check(1226, Field::WakeEnableFlags, 7),
    check(1227, Field::WakeEnableFlags, 8),
    duration(Field::WakeupPeriod, kWakePeriod),
};

constexpr Binding kGps[] = {
    number(1248, Field::ZoneDistance, 8), check(1238, Field::SysMode, 5),
    check(1234, Field::SysMode, 1),       check(1235, Field::ModeFlags2, 3),
    check(1236, Field::ModeFlags1, 2),
};

constexpr Binding kInternet[] = {
    duration(Field::GPRSTimer, kPacketPeriod),
    check(1237, Field::SysMode, 7),
    check(1263, Field::SysMode, 2),
};

constexpr Binding kSensors[] = {
    check(1277, Field::SysMode, 4),
    check(1275, Field::ModeFlags1, 7),
    check(1279, Field::SysMode, 6),
    check(1268, Field::ModeFlags1, 5),
    {.way = CheckNonZero, .id = 1267, .field = Field::RelayInverse},
    number(1278, Field::VibrParam, 1),
    duration(Field::ParkTimer, kParkingTime),
    duration(Field::StayTimer, kIdleTime),
    // The relay switch-on time: the field the defaults set. TempPulse is
    // carried by no control, so a collection leaves it zero.
    duration(Field::RelayPulseLen, kRelayOnTime),
    // Kelvin stored, degrees Celsius shown.
    number(1273, Field::TempL, 0, -273),
    number(1274, Field::TempH, 0, -273),
    // 2039 (off) stands for 0 and for every value the tracker does not know.
    radio(2035, 2039, Field::TempMode, {1, 2, 3, 4, 0}, 0, 2039),
    // 2045 rising edge, 2046 falling edge, 2047 both.
    radio(2045, 2047, Field::InpActiveLevel, {1, 0, 3}, 0, 0),
    number(1286, Field::Speed, 3),
    check(1285, Field::ModeFlags3, 3),
};

constexpr Binding kExpert[] = {
    number(1277, Field::AlarmLockInput, 2), number(1278, Field::AlarmLockPower, 2),
    number(1279, Field::AlarmLockZone, 2),  number(1280, Field::AlarmLockTemp, 2),
    number(1281, Field::AlarmLockShock, 2), duration(Field::NoSleepTimer, kWaitBeforeSleep),
    number(1286, Field::TimeCorrection, 0), number(1284, Field::TempCorrection, 0),
};

constexpr PageBindings kPages[] = {
    {PageId::Window, kWindow}, {PageId::Main, kMain},         {PageId::Wake, kWake},
    {PageId::GPS, kGps},       {PageId::Internet, kInternet}, {PageId::Sensors, kSensors},
    {PageId::Expert, kExpert},
};
static_assert(std::size(kPages) == kPageIdCount);

constexpr bool pagesInIdOrder() {
    for (std::size_t i = 0; i < std::size(kPages); ++i)
        if (static_cast<std::size_t>(kPages[i].page) != i) return false;
    return true;
}
static_assert(pagesInIdOrder());

}  // namespace

std::span<const PageBindings> pageBindings() {
    return kPages;
}

const PageBindings& bindingsOf(PageId page) {
    const auto index = static_cast<std::size_t>(page);
    assert(index < std::size(kPages));
    return kPages[index];
}

// Durations and coordinates as the pages split, join, show and bound them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "editor/arithmetic.h"
#include "editor/memory_controls.h"

namespace {

struct SplitCase {
    std::uint32_t total;
    DurationUnit unit;
    std::uint16_t days, hours, minutes, seconds;
};

TEST(DurationArithmetic, SplitsIntoWholeUnits) {
    const SplitCase cases[] = {
        {720, DurationUnit::Minutes, 0, 12, 0, 0},
        {14400, DurationUnit::Minutes, 10, 0, 0, 0},
        {1500, DurationUnit::Minutes, 1, 1, 0, 0},
        {1800, DurationUnit::Seconds, 0, 0, 30, 0},
        {3700, DurationUnit::Seconds, 0, 1, 1, 40},
        {120, DurationUnit::Seconds, 0, 0, 2, 0},
        {90061, DurationUnit::Seconds, 0, 6, 48, 45},  // low 16 bits only: 24525
        {360, DurationUnit::Hours, 15, 0, 0, 0},
        {0, DurationUnit::Seconds, 0, 0, 0, 0},
        {0x10000 + 61, DurationUnit::Minutes, 0, 1, 1, 0},
    };
    for (const SplitCase& k : cases) {
        const DurationParts p = splitDuration(k.total, k.unit);
        EXPECT_EQ(p.days, k.days) << k.total;
        EXPECT_EQ(p.hours, k.hours) << k.total;
        EXPECT_EQ(p.minutes, k.minutes) << k.total;
        EXPECT_EQ(p.seconds, k.seconds) << k.total;
    }
}

TEST(DurationArithmetic, JoinsInTheGroupsUnit) {
    EXPECT_EQ(joinDuration(20, 0, 0, 0, DurationUnit::Minutes), 28800u);
    EXPECT_EQ(joinDuration(0, 4, 0, 0, DurationUnit::Seconds), 14400u);
    EXPECT_EQ(joinDuration(19, 99, 0, 0, DurationUnit::Minutes), 33300u);
    EXPECT_EQ(joinDuration(0, 0, 30, 0, DurationUnit::Seconds), 1800u);
    for (std::uint32_t total : {0u, 1u, 59u, 3599u, 3700u, 14400u, 65535u}) {
        const DurationParts p = splitDuration(total, DurationUnit::Seconds);
        EXPECT_EQ(joinDuration(p.days, p.hours, p.minutes, p.seconds, DurationUnit::Seconds),
                  total);
    }
}

struct CoordCase {
    std::int32_t micro;
    std::int16_t degrees;
    std::uint8_t minutes;
    std::uint32_t fraction;
};

TEST(CoordinateArithmetic, SplitsIntoDegreesMinutesAndTenThousandths) {
    const CoordCase cases[] = {
        {55755831, 55, 45, 3498},
        {-37500000, -37, 30, 0},
        {-33868820, -33, 52, 1292},
        {55751234, 55, 45, 740},
        {0, 0, 0, 0},
        {999999, 0, 59, 9999},
        {-1, 0, 0, 0},
        {INT_MIN, -2147, 29, 188},
        {180000000, 180, 0, 0},
    };
    for (const CoordCase& k : cases) {
        const CoordinateParts p = splitCoordinate(k.micro);
        EXPECT_EQ(p.micro, k.micro);
        EXPECT_EQ(p.degrees, k.degrees) << k.micro;
        EXPECT_EQ(p.minutes, k.minutes) << k.micro;
        EXPECT_EQ(p.fraction, k.fraction) << k.micro;
    }
}

TEST(CoordinateArithmetic, JoinTruncatesAndNeverWrapsNegative) {
    EXPECT_EQ(joinCoordinate(55, 45, 3498), 55755830);  // a millionth lost
    EXPECT_EQ(joinCoordinate(55, 45, 740), 55751233);
    EXPECT_EQ(joinCoordinate(123, 30, 0), 123500000);
    EXPECT_EQ(joinCoordinate(90, 0, 0), 90000000);
    EXPECT_EQ(joinCoordinate(0, 59, 9999), 999998);
    EXPECT_EQ(joinCoordinate(5000, 0, 0), INT32_MAX);
}

TEST(CoordinateArithmetic, ShowsDecimalWithoutSignAndPartsWithout) {
    MemoryControls c;
    struct Shown {
        std::int32_t micro;
        const char *decimal, *degrees, *minutes, *fraction;
    };
    const Shown cases[] = {
        {-37500000, "37.500000", "37", "30", "0"},   {0, "0.000000", "0", "0", "0"},
        {55755831, "55.755831", "55", "45", "3498"}, {-33868820, "33.868820", "33", "52", "1292"},
        {830, "0.000830", "0", "0", "498"},  // no leading zeros
        {180000000, "180.000000", "180", "0", "0"},
    };
    for (const Shown& k : cases) {
        showCoordinate(c, kLongitudeEdits, k.micro);
        EXPECT_EQ(c.text(PageId::GPS, 1250), k.decimal);
        EXPECT_EQ(c.text(PageId::GPS, 1252), k.degrees);
        EXPECT_EQ(c.text(PageId::GPS, 1254), k.minutes);
        EXPECT_EQ(c.text(PageId::GPS, 1256), k.fraction);
    }
    c.setText(PageId::GPS, 1249, "keep");
    showCoordinateParts(c, kLatitudeEdits, splitCoordinate(-37500000));
    EXPECT_EQ(c.text(PageId::GPS, 1251), "-37");  // the parts alone keep the sign
    EXPECT_EQ(c.text(PageId::GPS, 1249), "keep");
}

TEST(LeadingNumber, ReadsLeadingDigitsOnly) {
    EXPECT_EQ(leadingNumber("", 2), 0u);
    EXPECT_EQ(leadingNumber("123", 2), 12u);
    EXPECT_EQ(leadingNumber("7x9", 5), 7u);
    EXPECT_EQ(leadingNumber("-5", 5), 0u);
    EXPECT_EQ(leadingNumber("99999999999", 20), 4294967295u);
}

// ClampDuration on each group of the pages, from the texts the edits hold.
struct ClampCase {
    const char* what;
    DurationGroup group;
    int changed;
    std::uint32_t maxTotal, minTotal;
    DurationParts atMax;
    const char* before[4];  // days, hours, minutes, seconds
    const char* after[4];
};

TEST(ClampDuration, BoundsEachGroup) {
    const DurationParts wakeMax{.days = 20}, packetMax{.minutes = 30}, parkMax{.hours = 4},
        idleMax{.days = 10}, relayMax{.hours = 4}, waitMax{.minutes = 30};
    const ClampCase cases[] = {
        {"wake 25 days", kWakePeriod, 1229, 28800, 0, wakeMax, {"25", "0", "0"}, {"20", "0", "0"}},
        {"wake hours 99 count",
         kWakePeriod,
         1230,
         28800,
         0,
         wakeMax,
         {"19", "99", ""},
         {"20", "0", "0"}},
        {"wake hours 30 shown 23",
         kWakePeriod,
         1230,
         28800,
         0,
         wakeMax,
         {"1", "30", "5"},
         {"1", "23", "5"}},
        {"wake minutes 75", kWakePeriod, 1231, 28800, 0, wakeMax, {"", "", "75"}, {"", "", "59"}},
        {"wake all zero stays",
         kWakePeriod,
         1231,
         28800,
         0,
         wakeMax,
         {"0", "0", "0"},
         {"0", "0", "0"}},
        {"packet 45 min",
         kPacketPeriod,
         1261,
         1800,
         15,
         packetMax,
         {"", "", "45", "10"},
         {"", "", "30", "0"}},
        {"packet typing seconds",
         kPacketPeriod,
         1262,
         1800,
         0,
         packetMax,
         {"", "", "0", "5"},
         {"", "", "0", "5"}},
        {"packet focus lost",
         kPacketPeriod,
         1262,
         1800,
         15,
         packetMax,
         {"", "", "0", "5"},
         {"", "", "0", "15"}},
        {"packet seconds 75",
         kPacketPeriod,
         1262,
         1800,
         0,
         packetMax,
         {"", "", "1", "75"},
         {"", "", "1", "59"}},
        {"parking 5 h", kParkingTime, 1280, 240, 1, parkMax, {"", "5", "0"}, {"", "4", "0"}},
        {"parking zero", kParkingTime, 1281, 240, 1, parkMax, {"", "0", "0"}, {"", "0", "1"}},
        {"idle 12 days", kIdleTime, 1284, 14400, 15, idleMax, {"12", "3", "4"}, {"10", "0", "0"}},
        {"idle raised", kIdleTime, 1284, 14400, 15, idleMax, {"0", "0", "10"}, {"0", "0", "15"}},
        {"idle empty", kIdleTime, 1283, 14400, 15, idleMax, {"", "", ""}, {"0", "0", "15"}},
        {"relay 5 h",
         kRelayOnTime,
         1264,
         14400,
         1,
         relayMax,
         {"", "5", "1", "1"},
         {"", "4", "0", "0"}},
        {"relay zero",
         kRelayOnTime,
         1266,
         14400,
         1,
         relayMax,
         {"", "0", "0", "0"},
         {"", "0", "0", "1"}},
        {"wait 2 min",
         kWaitBeforeSleep,
         1282,
         1800,
         300,
         waitMax,
         {"", "", "2", "0"},
         {"", "", "5", "0"}},
        {"wait 299 s",
         kWaitBeforeSleep,
         1282,
         1800,
         300,
         waitMax,
         {"", "", "4", "59"},
         {"", "", "5", "0"}},
        {"wait 31 min",
         kWaitBeforeSleep,
         1282,
         1800,
         300,
         waitMax,
         {"", "", "31", "0"},
         {"", "", "30", "0"}},
    };
    for (const ClampCase& k : cases) {
        MemoryControls c;
        const int ids[4] = {k.group.days, k.group.hours, k.group.minutes, k.group.seconds};
        for (int u = 0; u < 4; ++u)
            if (ids[u]) c.setText(k.group.page, ids[u], k.before[u] ? k.before[u] : "");
        c.setModified(k.group.page, k.changed, true);
        ClampDuration(c, k.group, k.changed, k.maxTotal, k.minTotal, k.atMax);
        for (int u = 0; u < 4; ++u) {
            if (ids[u]) {
                EXPECT_EQ(c.text(k.group.page, ids[u]), k.after[u]) << k.what << " unit " << u;
            }
        }
        EXPECT_FALSE(c.modified(k.group.page, k.changed)) << k.what;
        EXPECT_EQ(c.caret(k.group.page, k.changed),
                  std::min<int>(2, static_cast<int>(c.text(k.group.page, k.changed).size())))
            << k.what;
        EXPECT_EQ(c.unknownAccesses(), 0) << k.what;  // absent units are never touched
    }
}

}  // namespace

// The GPS page: the zone radius and the two coordinates, typed keystroke by
// keystroke into the decimal edits and into the degree/minute/fraction edits.
#include "tests/editor/rules_fixture.h"

namespace {

constexpr PageId GPS = PageId::GPS;

class CoordinatesTest : public RulesTest {
  protected:
    void expectLatitude(const char* decimal, const char* deg, const char* min, const char* frac) {
        expectTexts(GPS, {{1249, decimal}, {1251, deg}, {1253, min}, {1255, frac}});
    }
    void expectLongitude(const char* decimal, const char* deg, const char* min, const char* frac) {
        expectTexts(GPS, {{1250, decimal}, {1252, deg}, {1254, min}, {1256, frac}});
    }
};

// The maximum holds at every keystroke, the minimum once the user is done:
// a radius typed digit by digit passes through numbers below it.
TEST_F(CoordinatesTest, RadiusMaximumHoldsWhileTypingAndMinimumWhenTheFocusLeaves) {
    type(GPS, 1248, "2500");
    EXPECT_EQ(c.text(GPS, 1248), "2500");
    EXPECT_EQ(c.caret(GPS, 1248), 4);
    c.userFocusOut(GPS, 1248);
    EXPECT_EQ(c.text(GPS, 1248), "2500");

    retype(GPS, 1248, "45000");
    EXPECT_EQ(c.text(GPS, 1248), "30000");
    EXPECT_EQ(c.caret(GPS, 1248), 1);

    retype(GPS, 1248, "25");
    EXPECT_EQ(c.text(GPS, 1248), "25");
    c.userFocusOut(GPS, 1248);
    EXPECT_EQ(c.text(GPS, 1248), "300");
    retype(GPS, 1248, "");
    c.userFocusOut(GPS, 1248);
    EXPECT_EQ(c.text(GPS, 1248), "300");
    EXPECT_FALSE(c.modified(GPS, 1248));

    // A value the user did not touch is not the user's to bound.
    c.setText(GPS, 1248, "100");
    c.userFocusOut(GPS, 1248);
    EXPECT_EQ(c.text(GPS, 1248), "100");
}

TEST_F(CoordinatesTest, PointFollowsTheWholeDegreesAndPartsFollowTheDecimal) {
    type(GPS, 1249, "5");
    expectLatitude("5", "5", "0", "0");
    type(GPS, 1249, "5");
    expectLatitude("55.", "55", "0", "0");
    EXPECT_EQ(c.caret(GPS, 1249), 3);
    type(GPS, 1249, "75");
    expectLatitude("55.75", "55", "45", "0");
    EXPECT_FALSE(c.modified(GPS, 1249));
}

TEST_F(CoordinatesTest, BackspaceOverTheAddedPointTakesTheDigitBeforeIt) {
    type(GPS, 1249, "55");
    c.userBackspace(GPS, 1249);
    expectLatitude("5", "5", "0", "0");
    type(GPS, 1249, "7");
    expectLatitude("57.", "57", "0", "0");
}

TEST_F(CoordinatesTest, TypingFilterRemovesWhatIsNoNumber) {
    struct Typed {
        const char* keys;
        const char* decimal;
    };
    const Typed cases[] = {
        {"a", ""},    {"5a", "5"},    {"55.a", "55."},     {"55..7", "55.7"},
        {"5.", "5."}, {"5.5", "5.5"}, {"55.7x5", "55.75"}, {"-5", "5"},
    };
    for (const Typed& t : cases) {
        retype(GPS, 1249, "");  // emptied by the user: the typing state is empty too
        type(GPS, 1249, t.keys);
        EXPECT_EQ(c.text(GPS, 1249), t.decimal) << t.keys;
    }
}

TEST_F(CoordinatesTest, ValuesAboveTheLimitShowTheLimit) {
    type(GPS, 1249, "95");
    expectLatitude("90.000000", "90", "0", "0");
    type(GPS, 1250, "18");
    expectLongitude("18", "18", "0", "0");  // three whole digits before the point
    type(GPS, 1250, "0");
    expectLongitude("180.000000", "180", "0", "0");
}

// The typed decimal is taken exactly: 1.001985 is 1001985 millionths, which a
// product in floating point would truncate to 1001984 (fraction 1190).
TEST_F(CoordinatesTest, TypedDecimalGivesExactParts) {
    type(GPS, 1249, "55.751234");  // the typed point after the automatic one is dropped
    expectLatitude("55.751234", "55", "45", "740");
    type(GPS, 1250, "1.001985");
    expectLongitude("1.001985", "1", "0", "1191");
}

TEST_F(CoordinatesTest, PartEditsRebuildTheDecimal) {
    type(GPS, 1249, "55.751234");
    retype(GPS, 1255, "740");  // the same parts give a millionth less
    expectLatitude("55.751233", "55", "45", "740");
    EXPECT_EQ(c.caret(GPS, 1255), 3);
    EXPECT_FALSE(c.modified(GPS, 1255));

    retype(GPS, 1253, "75");
    expectLatitude("55.984566", "55", "59", "740");

    retype(GPS, 1252, "123");
    EXPECT_EQ(c.caret(GPS, 1252), 3);
    retype(GPS, 1254, "30");
    expectLongitude("123.500000", "123", "30", "");
}

TEST_F(CoordinatesTest, LargestDegreeLeavesNoMinutes) {
    type(GPS, 1253, "30");
    type(GPS, 1255, "1234");
    retype(GPS, 1251, "95");
    expectLatitude("90.000000", "90", "0", "0");
    type(GPS, 1253, "3");
    expectLatitude("90.000000", "90", "0", "0");
    type(GPS, 1255, "12");
    expectLatitude("90.000000", "90", "0", "0");

    retype(GPS, 1252, "200");
    expectLongitude("180.000000", "180", "0", "0");
}

TEST_F(CoordinatesTest, DegreesTakeDigitsOnly) {
    type(GPS, 1251, "-5x");
    expectLatitude("5.000000", "5", "", "");
    type(GPS, 1252, "1a2");
    expectLongitude("12.000000", "12", "", "");
}

TEST_F(CoordinatesTest, LatitudeAndLongitudeKeepTheirOwnTypingState) {
    type(GPS, 1249, "55");
    type(GPS, 1250, "137");
    c.userBackspace(GPS, 1249);
    expectLatitude("5", "5", "0", "0");
    EXPECT_EQ(c.text(GPS, 1250), "137.");
}

}  // namespace

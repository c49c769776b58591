// Start-up state of the pages and the handlers of the Wake-up, Internet,
// Sensors and Expert pages, driven keystroke by keystroke.
#include "tests/editor/rules_fixture.h"

namespace {

constexpr PageId Main = PageId::Main, Wake = PageId::Wake, GPS = PageId::GPS,
                 Net = PageId::Internet, Sens = PageId::Sensors, Exp = PageId::Expert;

// --- start-up ---------------------------------------------------------------

TEST_F(RulesTest, StartUpLimitsAndRadioChoices) {
    struct Limit {
        PageId page;
        int id, limit;
    };
    const Limit limits[] = {
        {Main, 1031, 15},
        {Main, 1040, 15},
        {Main, 1041, 15},
        {Main, 1034, 16},
        {Wake, 1229, 2},
        {GPS, 1248, 8},
        {GPS, 1249, 10},
        {GPS, 1252, 3},
        {GPS, 1256, 4},
        {Net, 1250, 26},
        {Net, 1251, 32},
        {Net, 1253, 16},
        {Net, 1254, 5},
        {Sens, 1278, 1},
        {Sens, 1266, 2},
        {Exp, 1277, 2},
        {Exp, 1284, 3},
        {Exp, 1286, 5},
        {Sens, 1274, MemoryControls::kDefaultTextLimit},
    };
    for (const Limit& l : limits) EXPECT_EQ(c.textLimit(l.page, l.id), l.limit) << l.id;

    EXPECT_EQ(c.checkedRadio(PageId::Window, 1991, 1995), 1991);
    EXPECT_EQ(c.checkedRadio(Main, 1998, 2000), 1998);
    EXPECT_EQ(c.checkedRadio(Main, 2001, 2003), 2001);
    EXPECT_EQ(c.checkedRadio(Main, 2010, 2012), 2010);
    EXPECT_EQ(c.checkedRadio(GPS, 2030, 2032), 2030);
    EXPECT_EQ(c.checkedRadio(GPS, 1279, 1280), 1279);
    EXPECT_EQ(c.checkedRadio(GPS, 1281, 1282), 1281);
    EXPECT_EQ(c.checkedRadio(Sens, 2035, 2039), 2039);
    EXPECT_EQ(c.checkedRadio(Sens, 2045, 2047), 2045);
}

TEST_F(RulesTest, PhoneEditsTakeFifteenDigitsAndNothingElse) {
    for (int id : {1031, 1032, 1040}) {
        type(Main, id, "+7 (916) 123-45-67-8901234");
        EXPECT_EQ(c.text(Main, id), "791612345678901") << id;
    }
    type(Main, 1034, "Мой трекер №1 and more");
    EXPECT_EQ(c.text(Main, 1034), "Мой трекер №1 an");
}

TEST_F(RulesTest, TimeZoneListIsFilledOnceWithGreenwichSelected) {
    ASSERT_EQ(c.comboCount(Main, 1053), 26);
    EXPECT_EQ(c.comboItem(Main, 1053, 0), "(GMT-12:00) International dateline, west");
    EXPECT_EQ(c.comboItem(Main, 1053, 16),
              "(GMT+04:00) Moscow, St. Petersburg, Volgograd,Abu Dhabi, Muscat");
    EXPECT_EQ(c.comboItem(Main, 1053, 25), "(GMT+13:00) Nuku'alofa");
    EXPECT_EQ(c.comboSelection(Main, 1053), 12);
    EXPECT_EQ(c.text(Main, 1053), "(GMT) Greenwich Mean Time: Dublin, Edinburgh, Lissabon, London");
    rules.fillTimeZoneList();
    EXPECT_EQ(c.comboCount(Main, 1053), 26);
}

// The sensitivity shown at start-up must be the one the image holds: the
// slider has its range before the configuration is shown, and nothing later in
// the start-up moves it.
TEST_F(RulesTest, SliderRangeIsSetBeforeTheConfigurationIsShown) {
    MemoryControls fresh;
    CPageRules r(fresh);
    r.applyInitialSettings();
    EXPECT_EQ(fresh.sliderMinimum(Sens, 1276), 1);
    EXPECT_EQ(fresh.sliderMaximum(Sens, 1276), 7);
    // What showing sensitivity 3 does, then the rest of the start-up.
    fresh.setSliderPosition(Sens, 1276, 8 - 3);
    fresh.setText(Sens, 1278, "3");
    r.fillTimeZoneList();
    EXPECT_EQ(fresh.sliderPosition(Sens, 1276), 5);
    EXPECT_EQ(fresh.text(Sens, 1278), "3");
}

// --- Wake-up page -----------------------------------------------------------

TEST_F(RulesTest, WakePeriodIsBoundedToTwentyDaysWhileTyping) {
    type(Wake, 1229, "25");
    expectTexts(Wake, {{1229, "20"}, {1230, "0"}, {1231, "0"}});
    EXPECT_EQ(c.caret(Wake, 1229), 2);
    EXPECT_FALSE(c.modified(Wake, 1229));

    retype(Wake, 1229, "19");
    retype(Wake, 1230, "99");  // shown as 23, but 19 d 99 h is counted
    expectTexts(Wake, {{1229, "20"}, {1230, "0"}, {1231, "0"}});

    retype(Wake, 1229, "1");
    retype(Wake, 1230, "24");
    retype(Wake, 1231, "75");
    expectTexts(Wake, {{1229, "1"}, {1230, "23"}, {1231, "59"}});

    retype(Wake, 1229, "0");
    retype(Wake, 1230, "0");
    retype(Wake, 1231, "0");  // no lower bound
    expectTexts(Wake, {{1229, "0"}, {1230, "0"}, {1231, "0"}});
}

class WakeSwitches : public RulesTest {
  protected:
    static constexpr int kAlarm[9] = {1202, 1220, 1221, 1222, 1223, 1224, 1225, 1226, 1227};
    std::string alarms() const {
        std::string s;
        for (int id : kAlarm) s += c.checked(Wake, id) ? '1' : '0';
        return s;
    }
};

TEST_F(WakeSwitches, PeriodPutsAlarmsAwayAndBringsThemBack) {
    c.userClick(Wake, kAlarm[0]);
    c.userClick(Wake, kAlarm[2]);
    c.userClick(Wake, 1228);
    EXPECT_EQ(alarms(), "000000000");
    c.userClick(Wake, 1228);
    EXPECT_EQ(alarms(), "101000000");

    // An alarm switched on switches the period off and restores nothing.
    c.userClick(Wake, 1228);
    c.userClick(Wake, kAlarm[4]);
    EXPECT_FALSE(c.checked(Wake, 1228));
    EXPECT_EQ(alarms(), "000010000");
    c.userClick(Wake, 1228);  // saves only alarm 5 now
    c.userClick(Wake, 1228);
    EXPECT_EQ(alarms(), "000010000");

    // Switching an alarm off leaves the period alone.
    c.userClick(Wake, 1228);
    c.setChecked(Wake, kAlarm[8], true);
    c.userClick(Wake, kAlarm[8]);
    EXPECT_TRUE(c.checked(Wake, 1228));
}

TEST_F(WakeSwitches, PeriodOffWithoutEverBeingOnClearsAllAlarms) {
    for (int id : kAlarm) c.setChecked(Wake, id, true);
    c.setChecked(Wake, 1228, true);  // as showing a configuration may leave it
    c.userClick(Wake, 1228);
    EXPECT_EQ(alarms(), "000000000");
}

// --- Internet page ----------------------------------------------------------

TEST_F(RulesTest, PacketPeriodLowerBoundWaitsForTheSecondsToLoseFocus) {
    type(Net, 1261, "45");
    expectTexts(Net, {{1261, "30"}, {1262, "0"}});

    retype(Net, 1262, "75");
    expectTexts(Net, {{1261, "30"}, {1262, "0"}});  // 30 min 75 s is above the maximum

    retype(Net, 1261, "1");
    retype(Net, 1262, "75");
    expectTexts(Net, {{1261, "1"}, {1262, "59"}});

    retype(Net, 1261, "0");
    expectTexts(Net, {{1261, "0"}, {1262, "59"}});
    retype(Net, 1262, "5");
    expectTexts(Net, {{1261, "0"}, {1262, "5"}});
    c.userFocusOut(Net, 1262);
    expectTexts(Net, {{1261, "0"}, {1262, "15"}});

    // The minutes too wait for the focus to leave.
    retype(Net, 1262, "10");
    retype(Net, 1261, "0");
    expectTexts(Net, {{1261, "0"}, {1262, "10"}});
    c.userFocusOut(Net, 1261);
    expectTexts(Net, {{1261, "0"}, {1262, "15"}});
    EXPECT_EQ(c.caret(Net, 1261), 1);
}

TEST_F(RulesTest, ServerHostTakesNoColonAndPortStaysAPort) {
    type(Net, 1250, "gps:example.org");
    EXPECT_EQ(c.text(Net, 1250), "gpsexample.org");
    c.setCaret(Net, 1250, 3);
    c.userType(Net, 1250, ":.");
    EXPECT_EQ(c.text(Net, 1250), "gps.example.org");
    EXPECT_EQ(c.caret(Net, 1250), 4);

    type(Net, 1254, "65535");
    EXPECT_EQ(c.text(Net, 1254), "65535");
    retype(Net, 1254, "70000");
    EXPECT_EQ(c.text(Net, 1254), "65535");
    retype(Net, 1254, "0");
    EXPECT_EQ(c.text(Net, 1254), "0");
}

TEST_F(RulesTest, AutomaticApnEmptiesLocksAndGivesTheTextsBack) {
    const std::string address(32, 'a');
    type(Net, 1251, address + "zz");
    type(Net, 1252, "user");
    type(Net, 1253, "пароль");
    c.userClick(Net, 1264);
    expectTexts(Net, {{1251, ""}, {1252, ""}, {1253, ""}});
    for (int id : {1251, 1252, 1253}) EXPECT_FALSE(c.enabled(Net, id));
    type(Net, 1252, "x");  // a locked edit takes no typing
    EXPECT_EQ(c.text(Net, 1252), "");

    c.userClick(Net, 1264);
    expectTexts(Net, {{1251, address.c_str()}, {1252, "user"}, {1253, "пароль"}});
    for (int id : {1251, 1252, 1253}) EXPECT_TRUE(c.enabled(Net, id));
}

TEST_F(RulesTest, AutomaticApnOffAfterShowingAnEmptyApnGivesEmptyTexts) {
    c.setChecked(Net, 1264, true);
    for (int id : {1251, 1252, 1253}) c.setEnabled(Net, id, false);
    c.userClick(Net, 1264);
    expectTexts(Net, {{1251, ""}, {1252, ""}, {1253, ""}});
    for (int id : {1251, 1252, 1253}) EXPECT_TRUE(c.enabled(Net, id));
}

// --- Sensors page -----------------------------------------------------------

TEST_F(RulesTest, SensitivityEditAndSliderFollowEachOther) {
    c.userMoveSlider(Sens, 1276, 1);
    EXPECT_EQ(c.text(Sens, 1278), "7");
    c.userMoveSlider(Sens, 1276, 7);
    EXPECT_EQ(c.text(Sens, 1278), "1");
    c.userMoveSlider(Sens, 1276, 3);
    EXPECT_EQ(c.text(Sens, 1278), "5");

    struct Typed {
        const char* keys;
        const char* shown;
        int position;
    };
    for (const Typed& t :
         {Typed{"9", "7", 1}, Typed{"0", "1", 7}, Typed{"4", "4", 4}, Typed{"", "1", 7}}) {
        retype(Sens, 1278, t.keys);
        EXPECT_EQ(c.text(Sens, 1278), t.shown) << t.keys;
        EXPECT_EQ(c.sliderPosition(Sens, 1276), t.position) << t.keys;
        EXPECT_FALSE(c.modified(Sens, 1278));
    }
    type(Sens, 1278, "x");  // digits only
    EXPECT_EQ(c.text(Sens, 1278), "1");
}

// Maxima while typing, minima when the focus leaves an edit of the group
// the user changed.
TEST_F(RulesTest, SensorDurationsAreBoundedAboveWhileTypingAndBelowWhenLeft) {
    type(Sens, 1280, "5");
    expectTexts(Sens, {{1280, "4"}, {1281, "0"}});
    retype(Sens, 1280, "0");
    expectTexts(Sens, {{1280, "0"}, {1281, "0"}});
    c.userFocusOut(Sens, 1280);
    expectTexts(Sens, {{1280, "0"}, {1281, "1"}});

    type(Sens, 1284, "12");
    expectTexts(Sens, {{1284, "10"}, {1282, "0"}, {1283, "0"}});
    retype(Sens, 1284, "0");
    retype(Sens, 1283, "9");
    expectTexts(Sens, {{1284, "0"}, {1282, "0"}, {1283, "9"}});
    c.userFocusOut(Sens, 1283);
    expectTexts(Sens, {{1284, "0"}, {1282, "0"}, {1283, "15"}});
    c.setText(Sens, 1283, "9");  // as showing a configuration writes it
    c.userFocusOut(Sens, 1283);
    EXPECT_EQ(c.text(Sens, 1283), "9");

    type(Sens, 1264, "5");
    expectTexts(Sens, {{1264, "4"}, {1265, "0"}, {1266, "0"}});
    retype(Sens, 1264, "0");
    c.userFocusOut(Sens, 1264);
    expectTexts(Sens, {{1264, "0"}, {1265, "0"}, {1266, "1"}});
    retype(Sens, 1266, "75");
    expectTexts(Sens, {{1264, "0"}, {1265, "0"}, {1266, "59"}});
}

TEST_F(RulesTest, TemperatureThresholdsTakeSignedNumbersAndNothingIsBounded) {
    type(Sens, 1274, "-1234567");
    type(Sens, 1273, "abc-4x0");
    type(Sens, 1286, "99999");
    expectTexts(Sens, {{1274, "-1234567"}, {1273, "-40"}, {1286, "99999"}});
    c.setCaret(Sens, 1273, 1);
    c.userType(Sens, 1273, "y1");
    EXPECT_EQ(c.text(Sens, 1273), "-140");
    EXPECT_EQ(c.caret(Sens, 1273), 2);
}

// --- Expert page ------------------------------------------------------------

TEST_F(RulesTest, LockOutTimesStayWithinOneToThirtyMinutes) {
    for (int id : {1277, 1278, 1279, 1280, 1281}) {
        type(Exp, id, "45");
        EXPECT_EQ(c.text(Exp, id), "30");
        retype(Exp, id, "0");
        EXPECT_EQ(c.text(Exp, id), "1");
        retype(Exp, id, "12");
        c.userBackspace(Exp, id, 2);
        EXPECT_EQ(c.text(Exp, id), "1");  // emptied
        EXPECT_EQ(c.caret(Exp, id), 1);
    }
}

TEST_F(RulesTest, WaitBeforeSleepStaysWithinFiveToThirtyMinutes) {
    c.setText(Exp, 1283, "0");
    type(Exp, 1282, "10");  // passes 1 minute on the way
    expectTexts(Exp, {{1282, "10"}, {1283, "0"}});
    retype(Exp, 1282, "2");
    expectTexts(Exp, {{1282, "2"}, {1283, "0"}});
    c.userFocusOut(Exp, 1282);
    expectTexts(Exp, {{1282, "5"}, {1283, "0"}});
    retype(Exp, 1282, "31");
    expectTexts(Exp, {{1282, "30"}, {1283, "0"}});
    retype(Exp, 1282, "6");
    retype(Exp, 1283, "75");
    expectTexts(Exp, {{1282, "6"}, {1283, "59"}});
    retype(Exp, 1282, "4");  // 4 min 59 s
    c.userFocusOut(Exp, 1282);
    expectTexts(Exp, {{1282, "5"}, {1283, "0"}});
}

struct SignedCase {
    int id;
    const char* keys;
    const char* shown;
};

TEST_F(RulesTest, CorrectionsKeepASignedNumberWithinTheirBounds) {
    const SignedCase cases[] = {
        {1284, "-5", "-5"},     {1284, "12a", "12"},      {1284, "999", "99"},
        {1284, "+7", "+7"},     {1284, "-999", "-99"},    {1284, "x", ""},
        {1286, "2000", "1800"}, {1286, "-2000", "-1800"}, {1286, "120x", "120"},
        {1286, "1-2", "1-2"},   {1286, "-1800", "-1800"}, {1286, "123456", "1800"},
    };
    for (const SignedCase& k : cases) {
        retype(Exp, k.id, "");
        type(Exp, k.id, k.keys);
        EXPECT_EQ(c.text(Exp, k.id), k.shown) << k.keys;
        EXPECT_FALSE(c.modified(Exp, k.id)) << k.keys;
    }
}

// A character typed in the middle is taken out where it stands, not the last
// digit in its place.
TEST_F(RulesTest, CorrectionDropsTheUnwantedCharacterWhereverItIsTyped) {
    type(Exp, 1286, "12");
    c.setCaret(Exp, 1286, 0);
    c.userType(Exp, 1286, "a");
    EXPECT_EQ(c.text(Exp, 1286), "12");
    c.setCaret(Exp, 1286, 1);
    c.userType(Exp, 1286, "-");
    EXPECT_EQ(c.text(Exp, 1286), "1-2");
}

// --- handlers and program writes -----------------------------------------------

TEST_F(RulesTest, ProgramWritesRunNoHandler) {
    // Out-of-range texts written by the program stay as written.
    const std::pair<PageId, int> edits[] = {{Wake, 1229}, {GPS, 1248}, {GPS, 1249},
                                            {GPS, 1253},  {Net, 1262}, {Sens, 1278},
                                            {Sens, 1283}, {Exp, 1277}, {Exp, 1286}};
    for (const auto& [page, id] : edits) {
        c.setText(page, id, "99x");
        // A change notification for the write, as a platform might send one,
        // finds the flag clear.
        rules.onControlEvent(page, id, ControlEvent::Changed);
        EXPECT_EQ(c.text(page, id), "99x") << id;
    }
    EXPECT_EQ(sink.events, 0);
}

TEST_F(RulesTest, OneKeystrokeIsOneHandlerRun) {
    type(Wake, 1230, "99");  // rewrites two other edits on the second key
    type(GPS, 1249, "95");   // rewrites all four coordinate edits
    type(Exp, 1286, "12a");  // drops a character
    EXPECT_EQ(sink.events, 7);
}

}  // namespace

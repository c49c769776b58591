// Putting the working image on the pages: which control shows which field,
// and how values that do not fit a control are shown.
#include <vector>

#include "show_fixture.h"

namespace {

constexpr PageId kMain = PageId::Main, kWake = PageId::Wake, kGps = PageId::GPS,
                 kNet = PageId::Internet, kSensors = PageId::Sensors, kExpert = PageId::Expert;

TEST_F(PagesTest, MonitoringServerIsSplitAtTheLastColon) {
    struct Case {
        const char* field;
        const char* host;
        const char* port;
    } cases[] = {
        {"monitoring.gpsquelter.ru:11203", "monitoring.gpsquelter.ru", "11203"},
        {"192.168.1.20", "192.168.1.20", ""},
        {":11203", "", "11203"},
        {"fe80::1:11203", "fe80::1", "11203"},  // a host may hold colons
        {"", "", ""},
        // 32 bytes without a terminator: nothing past the field is read.
        {"abcdefghijklmnopqrstuvwxyz:12345", "abcdefghijklmnopqrstuvwxyz", "12345"},
    };
    for (const Case& k : cases) {
        SetText(image, Field::MonServerIP, k.field);
        show();
        EXPECT_EQ(text(kNet, 1250), k.host) << k.field;
        EXPECT_EQ(text(kNet, 1254), k.port) << k.field;
    }
}

TEST_F(PagesTest, CoordinatesShowMagnitudesAndTheHemisphere) {
    struct Case {
        std::int32_t latitude, longitude;
        const char* latEdits[4];
        const char* lonEdits[4];
        bool south, west;
    } cases[] = {
        {-33'868'820,
         0,
         {"33.868820", "33", "52", "1292"},
         {"0.000000", "0", "0", "0"},
         true,
         false},
        {55'755'831,
         -37'500'000,
         {"55.755831", "55", "45", "3498"},
         {"37.500000", "37", "30", "0"},
         false,
         true},
    };
    for (const Case& k : cases) {
        SetI32(image, Field::ZoneLatitude, k.latitude);
        SetI32(image, Field::ZoneLongitude, k.longitude);
        show();
        const int lat[] = {1249, 1251, 1253, 1255}, lon[] = {1250, 1252, 1254, 1256};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(text(kGps, lat[i]), k.latEdits[i]) << k.latitude;
            EXPECT_EQ(text(kGps, lon[i]), k.lonEdits[i]) << k.longitude;
        }
        EXPECT_EQ(c.checkedRadio(kGps, 1279, 1280), k.south ? 1280 : 1279);
        EXPECT_EQ(c.checkedRadio(kGps, 1281, 1282), k.west ? 1282 : 1281);
    }
}

// A total the edits cannot hold whole shows the group's largest value rather
// than the remainder within the unit the page leaves out.
TEST_F(PagesTest, DurationsShowWhatTheEditsCanHold) {
    struct Case {
        Field field;
        std::uint16_t value;
        PageId page;
        std::vector<int> edits;
        std::vector<const char*> texts;
    } cases[] = {
        {Field::WakeupPeriod, 1500, kWake, {1229, 1230, 1231}, {"1", "1", "0"}},
        {Field::WakeupPeriod, 28800, kWake, {1229, 1230, 1231}, {"20", "0", "0"}},
        {Field::GPRSTimer, 3700, kNet, {1261, 1262}, {"30", "0"}},
        {Field::GPRSTimer, 3599, kNet, {1261, 1262}, {"59", "59"}},  // above 30:00, still held
        {Field::GPRSTimer, 120, kNet, {1261, 1262}, {"2", "0"}},
        {Field::StayTimer, 360, kSensors, {1284, 1282, 1283}, {"0", "6", "0"}},
        {Field::ParkTimer, 1440, kSensors, {1280, 1281}, {"4", "0"}},
        {Field::ParkTimer, 1439, kSensors, {1280, 1281}, {"23", "59"}},
        {Field::RelayPulseLen, 3725, kSensors, {1264, 1265, 1266}, {"1", "2", "5"}},
        {Field::NoSleepTimer, 3900, kExpert, {1282, 1283}, {"30", "0"}},
    };
    for (const Case& k : cases) {
        loadDefaults(image);
        SetU16(image, k.field, k.value);
        show();
        for (std::size_t i = 0; i < k.edits.size(); ++i)
            EXPECT_EQ(text(k.page, k.edits[i]), k.texts[i])
                << fieldInfo(k.field).name << " " << k.value << " edit " << k.edits[i];
    }
}

TEST_F(PagesTest, TheRelayEditsCarryRelayPulseLenNotTempPulse) {
    SetU16(image, Field::RelayPulseLen, 10);
    SetU16(image, Field::TempPulse, 3600);
    show();
    EXPECT_EQ(text(kSensors, 1264), "0");
    EXPECT_EQ(text(kSensors, 1265), "0");
    EXPECT_EQ(text(kSensors, 1266), "10");
}

// The period box itself stays enabled, so a zero period can be switched on.
TEST_F(PagesTest, ZeroPeriodDisablesThePeriodEditsButNotTheBox) {
    SetU16(image, Field::WakeupPeriod, 0);
    SetU16(image, Field::WakeEnableFlags, 0);
    show();
    for (int id : {1229, 1230, 1231}) {
        EXPECT_EQ(text(kWake, id), "0");
        EXPECT_FALSE(c.enabled(kWake, id));
    }
    EXPECT_TRUE(c.checked(kWake, 1228));
    EXPECT_TRUE(c.enabled(kWake, 1228));

    SetU16(image, Field::WakeupPeriod, 15);
    SetU16(image, Field::WakeEnableFlags, 0x0004);
    show();
    EXPECT_FALSE(c.checked(kWake, 1228));
    for (int id : {1228, 1229, 1230, 1231}) EXPECT_TRUE(c.enabled(kWake, id));
    EXPECT_TRUE(c.checked(kWake, 1221));  // alarm 3 is bit 2
    EXPECT_FALSE(c.checked(kWake, 1202));
}

TEST_F(PagesTest, TemperaturesAreShownInCelsiusAndSensitivityOnTheSlider) {
    SetU16(image, Field::TempL, 263);
    SetU16(image, Field::TempH, 0);
    SetU8(image, Field::VibrParam, 3);
    show();
    EXPECT_EQ(text(kSensors, 1273), "-10");
    EXPECT_EQ(text(kSensors, 1274), "-273");
    EXPECT_EQ(text(kSensors, 1278), "3");
    EXPECT_EQ(c.sliderPosition(kSensors, 1276), 5);
}

// Values that name no button of their group leave the group as it was.
TEST_F(PagesTest, RadioGroupsKeepTheirChoiceForValuesTheyCannotShow) {
    struct Case {
        const char* what;
        void (*set)(DeviceConfig&);
        PageId page;
        int first, last, before, after;
    } cases[] = {
        {"SMS pair 1,1",
         [](DeviceConfig& i) {
             SetBit(i, Field::SysMode, 0, true);
             SetBit(i, Field::ModeFlags2, 4, true);
         },
         kMain, 2001, 2003, 2002, 2002},
        {"call pair 0,1",
         [](DeviceConfig& i) {
             SetBit(i, Field::SysMode, 3, false);
             SetBit(i, Field::ModeFlags2, 0, true);
         },
         kMain, 2010, 2012, 2011, 2011},
        {"Lang 5", [](DeviceConfig& i) { SetU8(i, Field::Lang, 5); }, kMain, 1998, 2000, 1999,
         1999},
        {"InpActiveLevel 2", [](DeviceConfig& i) { SetU8(i, Field::InpActiveLevel, 2); }, kSensors,
         2045, 2047, 2047, 2047},
        {"LastCmd 9", [](DeviceConfig& i) { SetU8(i, Field::LastCmd, 9); }, PageId::Window, 1991,
         1995, 1994, 1994},
        // TempMode shows every unknown value as off.
        {"TempMode 7", [](DeviceConfig& i) { SetU8(i, Field::TempMode, 7); }, kSensors, 2035, 2039,
         2036, 2039},
        // Both link bits: Yandex wins.
        {"link bits 1 and 3", [](DeviceConfig& i) { SetU8(i, Field::ModeFlags1, 0x0A); }, kGps,
         2030, 2032, 2032, 2030},
        {"link bits none", [](DeviceConfig& i) { SetU8(i, Field::ModeFlags1, 0x00); }, kGps, 2030,
         2032, 2030, 2032},
    };
    for (const Case& k : cases) {
        loadDefaults(image);
        k.set(image);
        c.checkRadio(k.page, k.first, k.last, k.before);
        show();
        EXPECT_EQ(c.checkedRadio(k.page, k.first, k.last), k.after) << k.what;
    }
}

TEST_F(PagesTest, NotificationPairsSelectTheirButtons) {
    struct Case {
        bool sms, smsOff, call, callAlarms;
        int smsButton, callButton;
    } cases[] = {
        {true, false, true, false, 2001, 2010},
        {false, false, true, true, 2002, 2011},
        {false, true, false, false, 2003, 2012},
    };
    for (const Case& k : cases) {
        SetBit(image, Field::SysMode, 0, k.sms);
        SetBit(image, Field::ModeFlags2, 4, k.smsOff);
        SetBit(image, Field::SysMode, 3, k.call);
        SetBit(image, Field::ModeFlags2, 0, k.callAlarms);
        show();
        EXPECT_EQ(c.checkedRadio(kMain, 2001, 2003), k.smsButton);
        EXPECT_EQ(c.checkedRadio(kMain, 2010, 2012), k.callButton);
    }
}

TEST_F(PagesTest, ModelsWithoutTrackerModeLoseTrackerOnShowing) {
    struct Case {
        int model, lastCmd, lastCmdAfter, button;
        bool trackerEnabled;
    } cases[] = {
        {kModelRQ20, 4, 0, 1991, false}, {kModelRQ10, 4, 0, 1991, false},
        {kModelRQ10, 2, 2, 1993, false}, {kModelRQ30, 4, 4, 1995, true},
        {0x42, 4, 4, 1995, true},
    };
    for (const Case& k : cases) {
        SetU8(image, Field::LastCmd, static_cast<std::uint8_t>(k.lastCmd));
        show(k.model);
        EXPECT_EQ(GetU8(image, Field::LastCmd), k.lastCmdAfter) << k.model;
        EXPECT_EQ(c.checkedRadio(PageId::Window, 1991, 1995), k.button) << k.model;
        EXPECT_EQ(c.enabled(PageId::Window, 1995), k.trackerEnabled) << k.model;
        // Adaptive track follows the mode that is left after the model rule.
        EXPECT_EQ(c.enabled(kNet, 1237), k.lastCmdAfter == 4) << k.model;
    }
}

TEST_F(PagesTest, EmptyApnAddressMeansAutomaticApn) {
    show();  // the defaults have no APN
    EXPECT_TRUE(c.checked(kNet, 1264));
    for (int id : {1251, 1252, 1253}) EXPECT_FALSE(c.enabled(kNet, id));

    setUtf8Text(image, Field::ApnAddress, "internet.mts.ru");
    setUtf8Text(image, Field::ApnLogin, "mts");
    setUtf8Text(image, Field::ApnPassword, "пароль");
    show();
    EXPECT_FALSE(c.checked(kNet, 1264));
    for (int id : {1251, 1252, 1253}) EXPECT_TRUE(c.enabled(kNet, id));
    EXPECT_EQ(text(kNet, 1251), "internet.mts.ru");
    EXPECT_EQ(text(kNet, 1252), "mts");
    EXPECT_EQ(text(kNet, 1253), "пароль");
}

TEST_F(PagesTest, InvalidAlarmTimesKeepThePickersTime) {
    c.setTime(kWake, 1213, {7, 15});
    c.setTime(kWake, 1214, {8, 45});
    SetU32(image, Field::WakeUp3, 0x1800);  // hour 24
    SetU32(image, Field::WakeUp4, 0x0A3C);  // minute 60
    SetU32(image, Field::WakeUp5, 0x161E);
    show();
    EXPECT_EQ(c.time(kWake, 1213), (TimeOfDay{7, 15}));
    EXPECT_EQ(c.time(kWake, 1214), (TimeOfDay{8, 45}));
    EXPECT_EQ(c.time(kWake, 1215), (TimeOfDay{22, 30}));
}

TEST_F(PagesTest, PhonesAreShownWithoutTheirPlus) {
    SetText(image, Field::MainPhone, "+79161234567");
    SetText(image, Field::ExtPhone8, "89161234567");       // no "+": every digit shown
    SetText(image, Field::ExtPhone9, "+123456789012345");  // full width, no terminator
    SetText(image, Field::ExtPhone1, "+");
    SetText(image, Field::ExtPhone2, "1234567890123456");  // no "+", full width
    show();
    EXPECT_EQ(text(kMain, 1031), "79161234567");
    EXPECT_EQ(text(kMain, 1041), "89161234567");
    EXPECT_EQ(text(kMain, 1040), "123456789012345");
    EXPECT_EQ(text(kMain, 1032), "");
    EXPECT_EQ(text(kMain, 1033), "123456789012345");
}

TEST_F(PagesTest, TextFieldsAreShownAsUnicode) {
    setUtf8Text(image, Field::QuelterName, "Квелтер №1");
    show();
    EXPECT_EQ(text(kMain, 1034), "Квелтер №1");
}

TEST_F(PagesTest, TimeZoneOutsideTheListLeavesNoSelection) {
    SetI8(image, Field::GMTOffset, 3);
    show();
    EXPECT_EQ(c.comboSelection(kMain, 1053), 15);
    SetI8(image, Field::GMTOffset, 14);
    show();
    EXPECT_EQ(c.comboSelection(kMain, 1053), -1);
    SetI8(image, Field::GMTOffset, -13);
    show();
    EXPECT_EQ(c.comboSelection(kMain, 1053), -1);
}

TEST_F(PagesTest, ShowingEnablesCheckBoxesAndTheTimeZoneList) {
    for (int id : {1234, 1238}) c.setEnabled(kGps, id, false);
    c.setEnabled(kMain, 1053, false);
    c.setEnabled(kSensors, 1267, false);
    show();
    for (int id : {1234, 1238}) EXPECT_TRUE(c.enabled(kGps, id));
    EXPECT_TRUE(c.enabled(kMain, 1053));
    EXPECT_TRUE(c.enabled(kSensors, 1267));
}

TEST_F(PagesTest, ShowingOverwritesEditsNobodyCollected) {
    c.userType(kMain, 1031, "79001112233");
    c.userType(kExpert, 1286, "-100");
    SetI8(image, Field::TimeCorrection, -5);
    show();
    EXPECT_EQ(text(kMain, 1031), "");
    EXPECT_EQ(text(kExpert, 1286), "-5");
}

}  // namespace

// The window's behaviour without widgets: start-up, presets, the model menu,
// Save and Open with real files.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/defaults.h"
#include "config/models.h"
#include "editor/collect_pages.h"
#include "editor_fixture.h"

namespace {

constexpr PageId kWindow = PageId::Window, kMain = PageId::Main, kWake = PageId::Wake,
                 kNet = PageId::Internet, kSensors = PageId::Sensors, kExpert = PageId::Expert;

TEST_F(EditorTest, StartUpShowsTheDefaultsInStepWithTheWorkingImage) {
    DeviceConfig defaults;
    loadDefaults(defaults);
    EXPECT_EQ(0, std::memcmp(working().bytes, defaults.bytes, kConfigSize));
    EXPECT_EQ(editor.editedModel(), kModelRQ30);

    EXPECT_EQ(preset(), 1991);
    EXPECT_TRUE(controls.enabled(kWindow, 1995));
    EXPECT_EQ(text(kSensors, 1278), "3");
    EXPECT_EQ(controls.sliderPosition(kSensors, 1276), 5);
    EXPECT_EQ(controls.sliderMinimum(kSensors, 1276), 1);
    EXPECT_EQ(controls.sliderMaximum(kSensors, 1276), 7);
    EXPECT_EQ(controls.comboCount(kMain, 1053), 26);
    EXPECT_EQ(controls.comboSelection(kMain, 1053), 12);
    EXPECT_EQ(text(kNet, 1250), "monitoring.gpsquelter.ru");
    EXPECT_EQ(text(kNet, 1254), "11203");

    // A Write straight after start-up sends what the working image holds.
    editor.collectPages();
    SetU8(defaults, Field::GMTFlags, 1);
    EXPECT_EQ(0, std::memcmp(working().bytes, defaults.bytes, kConfigSize));
}

// A preset changes its own fields and leaves the pages the rest, typed or not.
TEST_F(EditorTest, PresetKeepsWhatTheUserTyped) {
    SetText(working(), Field::MainPhone, "+79160001122");
    controls.userType(kMain, 1031, "70000000000");
    controls.userReplaceText(kNet, 1261, "9");  // the preset's own field
    controls.userClick(kWindow, 1993);
    EXPECT_EQ(text(kMain, 1031), "70000000000");
    EXPECT_EQ(GetText(working(), Field::MainPhone), "+70000000000");
    EXPECT_EQ(GetU8(working(), Field::LastCmd), 2);
    EXPECT_EQ(preset(), 1993);
    // Guard's own values are on the pages.
    EXPECT_EQ(text(kNet, 1261), "2");
    EXPECT_TRUE(controls.checked(kSensors, 1277));
    EXPECT_EQ(controls.checkedRadio(kMain, 2010, 2012), 2011);
}

TEST_F(EditorTest, TrackerEnablesAdaptiveTrackAndSwitchesThePeriodOff) {
    controls.userClick(kWindow, 1995);
    EXPECT_EQ(preset(), 1995);
    EXPECT_TRUE(controls.enabled(kNet, 1237));
    EXPECT_TRUE(controls.checked(kNet, 1237));
    EXPECT_TRUE(controls.checked(kWake, 1228));
    EXPECT_TRUE(controls.enabled(kWake, 1228));
    for (int id : {1229, 1230, 1231}) EXPECT_FALSE(controls.enabled(kWake, id)) << id;

    controls.userClick(kWindow, 1992);
    EXPECT_EQ(preset(), 1992);
    EXPECT_FALSE(controls.enabled(kNet, 1237));
    EXPECT_EQ(GetU8(working(), Field::SysMode), 0x01);
}

TEST_F(EditorTest, GuardThenCollectDropsTheBitNoPageCarries) {
    controls.userClick(kWindow, 1993);
    EXPECT_TRUE(GetBit(working(), Field::ModeFlags1, 4));
    editor.beginSave();
    EXPECT_FALSE(GetBit(working(), Field::ModeFlags1, 4));
    EXPECT_EQ(GetU8(working(), Field::ModeFlags1), 0x02);  // Guard left 0x12
}

TEST_F(EditorTest, ModelsWithoutTrackerModeCannotChooseTracker) {
    controls.userClick(kWindow, 1995);
    editor.chooseModel(kModelRQ10);
    EXPECT_EQ(GetU8(working(), Field::LastCmd), 0);
    EXPECT_EQ(preset(), 1991);
    EXPECT_FALSE(controls.enabled(kWindow, 1995));

    const DeviceConfig before = working();
    controls.userClick(kWindow, 1995);  // disabled: nothing happens
    editor.presetTracker();             // a caller that ignores the button's state
    EXPECT_EQ(0, std::memcmp(working().bytes, before.bytes, kConfigSize));
    EXPECT_EQ(preset(), 1991);
}

TEST_F(EditorTest, ModelMenuKeepsWhatTheUserTyped) {
    controls.userType(kMain, 1034, "typed");
    controls.userReplaceText(PageId::GPS, 1248, "25");  // a bound still pending
    const DeviceConfig before = working();
    // Dismissed, or the model already edited: nothing changes at all.
    for (int chosen : {0, kModelRQ30}) {
        shell.modelTexts.clear();
        editor.chooseModel(chosen);
        EXPECT_EQ(editor.editedModel(), kModelRQ30) << chosen;
        EXPECT_TRUE(shell.modelTexts.empty()) << chosen;
        EXPECT_EQ(text(kMain, 1034), "typed") << chosen;
        EXPECT_EQ(text(PageId::GPS, 1248), "25") << chosen;
        EXPECT_EQ(0, std::memcmp(working().bytes, before.bytes, kConfigSize)) << chosen;
    }

    struct Case {
        int model;
        const char* buttonText;
        bool tracker;
    } cases[] = {
        {kModelRQ10, "RQ10", false},
        {kModelRQ20, "RQ20", false},
        {kModelRQ30, "RQ30", true},
    };
    for (const Case& k : cases) {
        shell.modelTexts.clear();
        editor.chooseModel(k.model);
        EXPECT_EQ(editor.editedModel(), k.model);
        EXPECT_EQ(shell.modelTexts, std::vector<std::string>{k.buttonText});
        EXPECT_EQ(controls.enabled(kWindow, 1995), k.tracker);
        EXPECT_EQ(text(kMain, 1034), "typed") << k.buttonText;
        EXPECT_EQ(GetText(working(), Field::QuelterName), "typed") << k.buttonText;
    }
    EXPECT_EQ(text(PageId::GPS, 1248), "300");  // the user was done with it
}

// Lower bounds wait for the user to leave the edit; Write and Save, started
// from the toolbar that takes no focus, apply what is still pending.
TEST_F(EditorTest, TypedValuesPassThroughSmallNumbersAndAreBoundedWhenCollected) {
    controls.userReplaceText(PageId::GPS, 1248, "2500");
    controls.userReplaceText(kExpert, 1282, "10");
    controls.userFocusOut(kExpert, 1282);
    controls.userReplaceText(kNet, 1261, "0");
    controls.userReplaceText(kNet, 1262, "5");
    controls.userReplaceText(kSensors, 1281, "0");
    controls.userReplaceText(kSensors, 1280, "0");
    EXPECT_EQ(text(PageId::GPS, 1248), "2500");
    EXPECT_EQ(text(kExpert, 1282), "10");
    EXPECT_EQ(text(kNet, 1262), "5");

    editor.beginSave();
    EXPECT_EQ(GetU32(working(), Field::ZoneDistance), 2500u);
    EXPECT_EQ(GetU16(working(), Field::NoSleepTimer), 600);
    EXPECT_EQ(GetU16(working(), Field::GPRSTimer), 15);
    EXPECT_EQ(GetU16(working(), Field::ParkTimer), 1);
    EXPECT_EQ(text(kNet, 1262), "15");
    EXPECT_EQ(text(kSensors, 1281), "1");
}

// Values a configuration brings are not the user's typing: a bound pending
// from before it was shown does not touch them.
TEST_F(EditorTest, ShowingAConfigurationDropsBoundsStillPending) {
    controls.userReplaceText(PageId::GPS, 1248, "25");
    SetU32(working(), Field::ZoneDistance, 100);  // as a tracker may hold it
    editor.showConfig();
    controls.userFocusOut(PageId::GPS, 1248);
    editor.collectPages();
    EXPECT_EQ(text(PageId::GPS, 1248), "100");
    EXPECT_EQ(GetU32(working(), Field::ZoneDistance), 100u);
}

// What the period switch and the automatic-APN switch put away belongs to
// the configuration on screen.
TEST_F(EditorTest, PageMemoriesAreForgottenWhenAnotherConfigurationIsShown) {
    SetU16(working(), Field::WakeEnableFlags, 0x0005);  // alarms 1 and 3
    SetU16(working(), Field::WakeupPeriod, 60);
    editor.showConfig();
    controls.userClick(kWake, 1228);            // puts alarms 1 and 3 away
    ASSERT_TRUE(controls.checked(kNet, 1264));  // the defaults have no APN
    controls.userClick(kNet, 1264);
    controls.userType(kNet, 1251, "internet");
    controls.userClick(kNet, 1264);  // automatic APN on: puts "internet" away

    // Another configuration: no alarm active, an automatic APN whose login
    // and password are set all the same.
    SetU16(working(), Field::WakeEnableFlags, 0);
    SetText(working(), Field::ApnAddress, "");
    SetText(working(), Field::ApnLogin, "user");
    SetText(working(), Field::ApnPassword, "secret");
    editor.showConfig();
    controls.userClick(kWake, 1228);  // period off: no alarm of the earlier one
    for (int id : {1202, 1220, 1221}) EXPECT_FALSE(controls.checked(kWake, id)) << id;
    controls.userClick(kNet, 1264);   // automatic APN off: the texts as shown
    EXPECT_EQ(text(kNet, 1251), "");  // not "internet"
    EXPECT_EQ(text(kNet, 1252), "user");
    EXPECT_EQ(text(kNet, 1253), "secret");
    editor.collectPages();
    EXPECT_EQ(GetText(working(), Field::ApnLogin), "user");
}

// With no period and no alarm (the Tracker and Wait modes) the period box is
// still there to be switched, and switching it on opens the period to typing.
TEST_F(EditorTest, AZeroPeriodCanBeSwitchedOnAgain) {
    controls.userClick(kWindow, 1995);
    EXPECT_TRUE(controls.enabled(kWake, 1228));
    controls.userClick(kWake, 1202);  // an alarm on: the period box goes off
    EXPECT_FALSE(controls.checked(kWake, 1228));
    controls.userClick(kWake, 1228);
    EXPECT_TRUE(controls.checked(kWake, 1228));
    EXPECT_FALSE(controls.checked(kWake, 1202));
    controls.userReplaceText(kWake, 1230, "6");
    editor.collectPages();
    EXPECT_EQ(GetU16(working(), Field::WakeupPeriod), 360);
    EXPECT_EQ(GetU16(working(), Field::WakeEnableFlags), 0);
}

TEST_F(EditorTest, PageEventsReachThePageRules) {
    controls.userReplaceText(kWake, 1229, "25");
    EXPECT_EQ(text(kWake, 1229), "20");
    EXPECT_EQ(text(kWake, 1230), "0");
    EXPECT_EQ(text(kWake, 1231), "0");
}

class SettingsFileTest : public EditorTest {
  protected:
    SettingsFileTest() {
        dir = std::filesystem::temp_directory_path() /
              ("quelter-editor-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        path = (dir / "settings.ini").string();
    }
    ~SettingsFileTest() override { std::filesystem::remove_all(dir); }

    void writeFile(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
    std::string readFile() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir;
    std::string path;
};

TEST_F(SettingsFileTest, SaveThenOpenBringsThePagesBack) {
    controls.userClick(kWindow, 1994);
    editor.chooseModel(kModelRQ20);
    controls.userType(kMain, 1031, "79161234567");
    controls.userReplaceText(kMain, 1034, "Дача");
    controls.userReplaceText(kSensors, 1286, "90");

    editor.beginSave();
    EXPECT_EQ(shell.result, "");
    EXPECT_TRUE(editor.saveSettingsTo(path));
    EXPECT_EQ(shell.result, "Настройки успешно сохранены в файл");
    EXPECT_EQ(shell.resultColour, ResultColour::Green);
    EXPECT_NE(readFile().find("BootVersion=128\r\n"), std::string::npos);
    EXPECT_NE(readFile().find("QuelterName=\xC4\xE0\xF7\xE0\r\n"), std::string::npos);  // CP1251

    editor.chooseModel(kModelRQ30);
    controls.userClick(kWindow, 1992);
    controls.userReplaceText(kMain, 1034, "другое");
    shell.modelTexts.clear();

    editor.beginOpen();
    EXPECT_TRUE(editor.openSettingsFrom(path));
    EXPECT_EQ(shell.result, "Файл открыт успешно");
    EXPECT_EQ(shell.resultColour, ResultColour::Green);
    EXPECT_EQ(editor.editedModel(), kModelRQ20);
    EXPECT_EQ(shell.modelTexts, std::vector<std::string>{"RQ20"});
    EXPECT_EQ(preset(), 1994);
    EXPECT_FALSE(controls.enabled(kWindow, 1995));
    EXPECT_EQ(text(kMain, 1031), "79161234567");
    EXPECT_EQ(text(kMain, 1034), "Дача");
    EXPECT_EQ(text(kSensors, 1286), "90");
}

TEST_F(SettingsFileTest, OpenAppliesTheModelRuleBeforeAndAfterTheFilesModel) {
    struct Case {
        int modelBefore;
        const char* bootVersion;
        int lastCmdAfter, modelAfter;
    } cases[] = {
        // The file's own model turns Tracker off at the final showing.
        {kModelRQ30, "112", 0, kModelRQ10},
        // The model being edited turns it off while the file is read.
        {kModelRQ10, "17", 0, kModelRQ30},
        {kModelRQ30, "17", 4, kModelRQ30},
    };
    for (const Case& k : cases) {
        editor.chooseModel(k.modelBefore);
        writeFile(std::string("[GPS Quelter Config file]\r\nLastCmd=4\r\nBootVersion=") +
                  k.bootVersion + "\r\n");
        EXPECT_TRUE(editor.openSettingsFrom(path));
        EXPECT_EQ(GetU8(working(), Field::LastCmd), k.lastCmdAfter) << k.bootVersion;
        EXPECT_EQ(editor.editedModel(), k.modelAfter);
        EXPECT_EQ(preset(), k.lastCmdAfter == 4 ? 1995 : 1991);
    }
}

// A file naming no model the tool knows is opened for the model being edited:
// its fields load, the model and its button stay, and the result says so.
TEST_F(SettingsFileTest, OpenOfAFileWithoutAUsableModelKeepsTheEditedModel) {
    for (const char* boot : {"", "BootVersion=66\r\n", "BootVersion=0\r\n"}) {
        editor.chooseModel(kModelRQ10);
        shell.modelTexts.clear();
        writeFile(std::string("[GPS Quelter Config file]\r\nSpeed=77\r\n") + boot);
        EXPECT_TRUE(editor.openSettingsFrom(path)) << boot;
        EXPECT_EQ(editor.editedModel(), kModelRQ10) << boot;
        EXPECT_TRUE(shell.modelTexts.empty()) << boot;
        EXPECT_EQ(shell.result, "Файл открыт без известной модели, оставлена RQ10") << boot;
        EXPECT_EQ(shell.resultColour, ResultColour::Yellow) << boot;
        EXPECT_EQ(text(kSensors, 1286), "77") << boot;
    }
}

TEST_F(SettingsFileTest, FailedOrCancelledCommandsSayRedAndChangeNothingMore) {
    controls.userClick(kWindow, 1993);
    const DeviceConfig before = working();

    editor.beginOpen();
    EXPECT_FALSE(editor.openSettingsFrom((dir / "missing.ini").string()));
    EXPECT_EQ(shell.result, "Ошибка загрузки файла");
    EXPECT_EQ(shell.resultColour, ResultColour::Red);
    writeFile("[Another section]\r\nLastCmd=1\r\n");
    EXPECT_FALSE(editor.openSettingsFrom(path));
    EXPECT_EQ(0, std::memcmp(working().bytes, before.bytes, kConfigSize));
    EXPECT_EQ(editor.editedModel(), kModelRQ30);
    EXPECT_EQ(preset(), 1993);

    editor.beginOpen();
    editor.openCancelled();
    EXPECT_EQ(shell.result, "Ошибка загрузки файла");
    EXPECT_EQ(shell.resultColour, ResultColour::Red);

    // A cancelled Save has collected the pages all the same.
    controls.userType(kMain, 1031, "79990000000");
    editor.beginSave();
    editor.saveCancelled();
    EXPECT_EQ(shell.result, "Ошибка сохранения настроек");
    EXPECT_EQ(shell.resultColour, ResultColour::Red);
    EXPECT_EQ(GetText(working(), Field::MainPhone), "+79990000000");

    editor.beginSave();
    EXPECT_FALSE(editor.saveSettingsTo((dir / "no-such-dir" / "x.ini").string()));
    EXPECT_EQ(shell.result, "Ошибка сохранения настроек");
    EXPECT_EQ(shell.resultColour, ResultColour::Red);
}

}  // namespace

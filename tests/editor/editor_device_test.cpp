// Read and Write through the editor against the simulated tracker: what the
// tracker holds reaches the pages, and what the pages hold reaches the tracker.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/models.h"
#include "editor_fixture.h"
#include "link/status_texts.h"
#include "settings/tracker_backup.h"
#include "tests/settings/temp_dir.h"
#include "tools/tracker_sim/simulated_link.h"
#include "tools/tracker_sim/tracker_sim.h"

namespace {

constexpr PageId kWindow = PageId::Window, kMain = PageId::Main, kNet = PageId::Internet,
                 kSensors = PageId::Sensors;

// Declared before the editor's fixture so the link outlives the editor.
struct Tracker {
    TrackerSim sim{kModelRQ30};
    SimulatedLink link{sim};

    // The tracker's block in host order.
    DeviceConfig image() const {
        DeviceConfig c{};
        std::copy(sim.block.begin(), sim.block.end(), c.bytes);
        SwapByteOrder(c);
        return c;
    }
    void setImage(DeviceConfig c) {
        SwapByteOrder(c);
        std::copy_n(c.bytes, kDeviceBlockSize, sim.block.begin());
    }
};

class DeviceTest : protected Tracker, public EditorTest {
  protected:
    DeviceTest() : EditorTest(link) {}

    DataHome dataHome;

    // The window's timer: every armed tick fires, until none is armed.
    void runExchange() {
        for (int ticks = 0; shell.tickArmed; ++ticks) {
            ASSERT_LT(ticks, 10000) << "the exchange never ends";
            shell.tickArmed = false;
            editor.onTick();
        }
    }
};

TEST_F(DeviceTest, ReadShowsWhatTheTrackerHolds) {
    sim.model = kModelRQ10;
    DeviceConfig held = image();
    SetU8(held, Field::LastCmd, 4);  // Tracker, which an RQ10 does not offer
    SetU16(held, Field::TempL, 263);
    SetText(held, Field::QuelterName, "\xC4\xE0\xF7\xE0");  // CP1251
    setImage(held);

    editor.readDevice();
    runExchange();

    EXPECT_EQ(shell.result, kTextReadOk);
    EXPECT_EQ(shell.resultColour, ResultColour::Green);
    EXPECT_EQ(shell.version, "Версия прошивки:3.5.0.12");
    EXPECT_EQ(shell.modelTexts, std::vector<std::string>{"RQ10"});
    EXPECT_EQ(editor.editedModel(), kModelRQ10);
    EXPECT_FALSE(link.isOpen());

    EXPECT_EQ(text(kMain, 1031), "79161234567");
    EXPECT_EQ(text(kMain, 1034), "Дача");
    EXPECT_EQ(text(kSensors, 1273), "-10");
    EXPECT_EQ(text(kNet, 1251), "internet.mts.ru");
    EXPECT_EQ(controls.comboSelection(kMain, 1053), 15);
    EXPECT_EQ(preset(), 1991);
    EXPECT_FALSE(controls.enabled(kWindow, 1995));
    EXPECT_EQ(GetU8(working(), Field::LastCmd), 0);
}

TEST_F(DeviceTest, WriteSendsThePagesAndKeepsTheTrackersOwnFields) {
    const DeviceConfig before = image();
    controls.userClick(kWindow, 1993);
    controls.userReplaceText(kMain, 1031, "79990001122");
    controls.userReplaceText(kMain, 1034, "Гараж");

    editor.writeDevice();
    runExchange();

    EXPECT_EQ(shell.result, kTextWriteOk);
    EXPECT_EQ(shell.resultColour, ResultColour::Green);
    const DeviceConfig written = image();
    EXPECT_EQ(GetText(written, Field::MainPhone), "+79990001122");
    EXPECT_EQ(GetText(written, Field::QuelterName), "\xC3\xE0\xF0\xE0\xE6");  // CP1251
    EXPECT_EQ(GetU8(written, Field::LastCmd), 2);
    EXPECT_EQ(GetU16(written, Field::RelayPulseLen), 10);
    EXPECT_EQ(GetU8(written, Field::GMTFlags), 1);
    EXPECT_EQ(GetText(written, Field::DevicePassword), "8647");
    for (Field f : {Field::FirmwareVersion, Field::DeviceType, Field::USSDReq, Field::KeptBlock256,
                    Field::KeptBlock320})
        EXPECT_EQ(0, std::memcmp(fieldBytes(written, f), fieldBytes(before, f), fieldInfo(f).width))
            << fieldInfo(f).name;
}

TEST_F(DeviceTest, WriteLeavesABackupThatRestoresWhatTheTrackerHeld) {
    const auto before = sim.block;
    controls.userReplaceText(kMain, 1034, "Гараж");

    editor.writeDevice();
    runExchange();
    ASSERT_EQ(shell.result, kTextWriteOk);

    ASSERT_EQ(shell.backups.size(), 1u);
    const std::filesystem::path bin = shell.backups[0];
    EXPECT_EQ(bin.parent_path(), dataHome.backups());
    EXPECT_NE(bin.filename().string().find("-RQ30"), std::string::npos);
    EXPECT_EQ(readBytes(bin.string()),
              std::string(reinterpret_cast<const char*>(before.data()), before.size()));

    // The window's "restore from a backup": the dialog starts in the backups
    // folder, and the backup's .ini opens like any settings file.
    editor.chooseModel(kModelRQ10);
    EXPECT_EQ(editor.beginRestore(), dataHome.backups().string());
    std::filesystem::path ini = bin;
    ini.replace_extension(".ini");
    ASSERT_TRUE(editor.openSettingsFrom(ini.string()));
    EXPECT_EQ(text(kMain, 1034), "Quelter-07");
    EXPECT_EQ(editor.editedModel(), kModelRQ30);
}

TEST_F(DeviceTest, WriteWhoseBackupCannotBeMadeSendsNoBlock) {
    const auto before = sim.block;
    // The backups folder cannot be made: a file holds its parent's name.
    std::ofstream(dataHome.path() / "quelter-config") << "x";

    editor.writeDevice();
    runExchange();

    EXPECT_EQ(shell.result.rfind(kBackupFailedText, 0), 0u) << shell.result;
    EXPECT_EQ(shell.resultColour, ResultColour::Red);
    EXPECT_TRUE(shell.backups.empty());
    EXPECT_EQ(sim.framesSeen(SimFrame::WriteCommand), 0);
    EXPECT_EQ(sim.block, before);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(DeviceTest, WriteToAnotherModelIsRefusedAndTheTrackerKeepsItsBlock) {
    const auto before = sim.block;
    editor.chooseModel(kModelRQ10);
    controls.userReplaceText(kMain, 1034, "другой");

    editor.writeDevice();
    runExchange();

    EXPECT_EQ(shell.result, kTextIncompatible);
    EXPECT_EQ(shell.resultColour, ResultColour::Red);
    EXPECT_EQ(sim.framesSeen(SimFrame::WriteCommand), 0);
    EXPECT_EQ(sim.block, before);
    EXPECT_EQ(text(kMain, 1034), "другой");  // the pages are left as they were
}

TEST_F(DeviceTest, SaveWritesWhatItCollectedEvenIfAReadEndsWhileTheDialogIsOpen) {
    sim.model = kModelRQ10;
    DeviceConfig held = image();
    SetText(held, Field::QuelterName, "\xC4\xE0\xF7\xE0");  // "Дача"
    setImage(held);
    controls.userReplaceText(kMain, 1034, "Гараж");

    editor.readDevice();
    editor.beginSave();
    runExchange();  // the timer keeps running under the file dialog
    ASSERT_EQ(text(kMain, 1034), "Дача");
    ASSERT_EQ(editor.editedModel(), kModelRQ10);

    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("quelter-save-read-" + std::to_string(::getpid()) + ".ini");
    ASSERT_TRUE(editor.saveSettingsTo(path.string()));
    std::ostringstream file;
    file << std::ifstream(path, std::ios::binary).rdbuf();
    std::filesystem::remove(path);
    EXPECT_NE(file.str().find("QuelterName=\xC3\xE0\xF0\xE0\xE6\r\n"), std::string::npos);
    EXPECT_NE(file.str().find("BootVersion=17\r\n"), std::string::npos);
}

}  // namespace

// What keeps the user's work: the editor knows when the pages hold edits not
// yet saved or written and asks before anything replaces them; while an
// exchange runs, the commands that would disturb it do nothing.
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "config/models.h"
#include "editor_fixture.h"
#include "link/status_texts.h"
#include "tools/tracker_sim/simulated_link.h"
#include "tools/tracker_sim/tracker_sim.h"

namespace {

namespace fs = std::filesystem;

constexpr PageId kWindow = PageId::Window, kMain = PageId::Main;
const std::string kCaption = kWindowCaption;

// The window's behaviour with an RQ30 on COM1, made afresh for every case.
struct Window {
    TrackerSim sim{kModelRQ30};
    SimulatedLink link{sim};
    MemoryControls controls;
    RecordingShell shell;
    CConfigEditor editor{controls, shell, link};

    Window() {
        controls.setSink(&editor);
        editor.startUp();
    }

    // The window's timer: every armed tick fires, until none is armed.
    void runExchange() {
        for (int ticks = 0; shell.tickArmed && ticks < 10000; ++ticks) {
            shell.tickArmed = false;
            editor.onTick();
        }
    }
    void tickUntil(const std::function<bool()>& done) {
        for (int ticks = 0; shell.tickArmed && !done() && ticks < 10000; ++ticks) {
            shell.tickArmed = false;
            editor.onTick();
        }
    }
};

class UnsavedTest : public ::testing::Test {
  protected:
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir = fs::temp_directory_path() / ("quelter-unsaved-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
};

// One window through a day's events: after each, whether the pages count as
// edited, and the title.
TEST_F(UnsavedTest, EditsCountFromWhatWasLastShownSavedOrWritten) {
    Window w;
    const std::string file = (dir / "fleet.ini").string();
    const std::string owner = w.controls.text(kMain, 1031);
    const struct {
        const char* event;
        std::function<void()> act;
        bool edited;
        std::string title;
    } steps[] = {
        {"start-up", [] {}, false, kCaption},
        {"a phone typed", [&] { w.controls.userReplaceText(kMain, 1031, "79990001122"); }, true,
         "*" + kCaption},
        {"typed back", [&] { w.controls.userReplaceText(kMain, 1031, owner); }, false, kCaption},
        {"a preset", [&] { w.controls.userClick(kWindow, 1993); }, true, "*" + kCaption},
        {"saved",
         [&] {
             w.shell.chosenFile = file;
             ASSERT_TRUE(w.editor.saveSettings());
         },
         false, "fleet.ini — " + kCaption},
        {"another model", [&] { w.editor.chooseModel(kModelRQ10); }, true,
         "*fleet.ini — " + kCaption},
        {"the model back", [&] { w.editor.chooseModel(kModelRQ30); }, false,
         "fleet.ini — " + kCaption},
        {"a name typed, then written",
         [&] {
             w.controls.userReplaceText(kMain, 1034, "Грузовик");
             w.editor.writeDevice();
             w.runExchange();
             ASSERT_EQ(w.shell.result, kTextWriteOk);
         },
         false, "fleet.ini — " + kCaption},
        {"a write the tracker refuses",
         [&] {
             w.editor.chooseModel(kModelRQ20);
             w.editor.writeDevice();
             w.runExchange();
             ASSERT_EQ(w.shell.result, kTextIncompatible);
         },
         true, "*fleet.ini — " + kCaption},
        {"read (edits given up)",
         [&] {
             w.shell.answers = {Answer::No};
             w.editor.readDevice();
             w.runExchange();
             ASSERT_EQ(w.shell.result, kTextReadOk);
         },
         false, "fleet.ini — " + kCaption},
        {"typed, then the file opened again",
         [&] {
             w.controls.userReplaceText(kMain, 1034, "Прицеп");
             w.shell.answers = {Answer::No};
             w.editor.openSettingsFile(file);
         },
         false, "fleet.ini — " + kCaption},
        {"reset",
         [&] {
             w.controls.userReplaceText(kMain, 1034, "Прицеп");
             w.shell.answers = {Answer::Yes, Answer::No};
             w.editor.resetDevice();
             w.runExchange();
             ASSERT_EQ(w.shell.result, kTextWriteOk);
         },
         false, "fleet.ini — " + kCaption},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(w.editor.hasUnsavedEdits(), step.edited) << step.event;
        EXPECT_EQ(w.shell.title, step.title) << step.event;
    }
    EXPECT_EQ(w.controls.text(kMain, 1034), "");  // the reset's defaults
}

// Read, Open, Reset and closing ask before they lose edits, and each answer
// does what it says.
TEST_F(UnsavedTest, QuestionsBeforeEditsAreLost) {
    enum Command { Read, Open, Reset, Close };
    using Q = Question;
    constexpr Answer Yes = Answer::Yes, No = Answer::No, Cancel = Answer::Cancel;
    const std::vector<Question> resetThenSave = {Q::ConfirmReset, Q::SaveEdits};
    const struct {
        const char* name;
        bool edit;
        Command command;
        std::deque<Answer> answers;
        bool fileChosen;  // the Save dialog gives a file
        std::vector<Question> asked;
        bool goesOn;
        bool saved;
    } cases[] = {
        {"read, nothing edited", false, Read, {}, false, {}, true, false},
        {"read, cancel", true, Read, {Cancel}, false, {Q::SaveEdits}, false, false},
        {"read, don't save", true, Read, {No}, false, {Q::SaveEdits}, true, false},
        {"read, save", true, Read, {Yes}, true, {Q::SaveEdits}, true, true},
        {"read, save dialog cancelled", true, Read, {Yes}, false, {Q::SaveEdits}, false, false},
        {"open, cancel", true, Open, {Cancel}, false, {Q::SaveEdits}, false, false},
        {"open, don't save", true, Open, {No}, false, {Q::SaveEdits}, true, false},
        {"reset always asks", false, Reset, {No}, false, {Q::ConfirmReset}, false, false},
        {"reset, yes", false, Reset, {Yes}, false, {Q::ConfirmReset}, true, false},
        {"reset, yes, cancel", true, Reset, {Yes, Cancel}, false, resetThenSave, false, false},
        {"close, nothing edited", false, Close, {}, false, {}, true, false},
        {"close, cancel", true, Close, {Cancel}, false, {Q::SaveEdits}, false, false},
        {"close, don't save", true, Close, {No}, false, {Q::SaveEdits}, true, false},
        {"close, save", true, Close, {Yes}, true, {Q::SaveEdits}, true, true},
    };
    for (const auto& c : cases) {
        Window w;
        const fs::path file = dir / "edits.ini";
        fs::remove(file);
        if (c.edit) w.controls.userReplaceText(kMain, 1034, "Гараж");
        w.shell.answers = c.answers;
        w.shell.chosenFile = c.fileChosen ? file.string() : "";
        bool goesOn = false;
        switch (c.command) {
            case Read:
            case Reset:
                c.command == Read ? w.editor.readDevice() : w.editor.resetDevice();
                goesOn = !w.link.openAttempts().empty();
                break;
            case Open:
                w.editor.openSettings();
                goesOn = w.shell.chooserCalls == std::vector<bool>{false};
                break;
            case Close:
                goesOn = w.editor.mayClose();
                break;
        }
        EXPECT_EQ(w.shell.asked, c.asked) << c.name;
        EXPECT_EQ(goesOn, c.goesOn) << c.name;
        EXPECT_EQ(fs::exists(file), c.saved) << c.name;
        if (c.edit && !c.goesOn) {
            EXPECT_EQ(w.controls.text(kMain, 1034), "Гараж") << c.name;
        }
    }
}

// While a Write runs, no other command touches the tracker, the pages' model
// or the file; the shell hears when it starts, each block, and when it ends.
TEST_F(UnsavedTest, CommandsWaitForTheRunningExchange) {
    Window w;
    w.shell.chosenFile = (dir / "busy.ini").string();
    w.editor.writeDevice();
    ASSERT_TRUE(w.shell.busy);
    w.tickUntil([&] { return w.editor.exchange().blocksDone() == 5; });
    ASSERT_TRUE(w.editor.busy());

    w.editor.readDevice();
    w.editor.resetDevice();
    w.editor.writeDevice();
    w.editor.openSettings();
    EXPECT_FALSE(w.editor.saveSettings());
    w.editor.chooseModel(kModelRQ10);
    w.controls.userClick(kWindow, 1994);
    EXPECT_TRUE(w.shell.asked.empty());
    EXPECT_TRUE(w.shell.chooserCalls.empty());
    EXPECT_EQ(w.editor.editedModel(), kModelRQ30);
    EXPECT_EQ(w.controls.checkedRadio(kWindow, 1991, 1995), 1991);

    w.runExchange();
    EXPECT_EQ(w.shell.result, kTextWriteOk);
    EXPECT_FALSE(w.shell.busy);
    EXPECT_EQ(w.link.openAttempts(), std::vector<int>{1});
    EXPECT_EQ(w.sim.framesSeen(SimFrame::DataBlock), 12);

    std::vector<std::string> expected;
    for (const char* pass : {"Чтение", "Запись", "Проверка"})
        for (int block = 0; block < 12; ++block)
            expected.push_back(std::string(pass) + ": блок " + std::to_string(block) + " из 12");
    EXPECT_EQ(w.shell.progress, expected);
}

// Closing during a Write asks; "no" keeps it writing, "yes" stops it there.
// Closing during a Read stops it without a question.
TEST_F(UnsavedTest, ClosingStopsAnExchangeOnlyWhenTheUserSaysSo) {
    Window w;
    w.editor.writeDevice();
    w.tickUntil(
        [&] { return w.editor.exchange().pass() == CBootloaderExchange::Pass::Writing; });
    w.shell.answers = {Answer::No};
    EXPECT_FALSE(w.editor.mayClose());
    EXPECT_TRUE(w.editor.busy());
    EXPECT_TRUE(w.link.isOpen());

    w.tickUntil([&] { return w.sim.framesSeen(SimFrame::DataBlock) == 4; });
    w.shell.answers = {Answer::Yes};
    EXPECT_TRUE(w.editor.mayClose());
    EXPECT_EQ(w.shell.asked, (std::vector<Question>{Question::StopWrite, Question::StopWrite}));
    EXPECT_FALSE(w.editor.busy());
    EXPECT_FALSE(w.shell.busy);
    EXPECT_FALSE(w.link.isOpen());
    EXPECT_FALSE(w.shell.tickArmed);
    EXPECT_EQ(w.sim.framesSeen(SimFrame::DataBlock), 4);

    Window reading;
    reading.controls.userReplaceText(kMain, 1034, "Гараж");
    reading.editor.readDevice();  // edits given up: the unattended answer
    reading.tickUntil([&] { return reading.editor.exchange().blocksDone() == 3; });
    reading.shell.asked.clear();
    EXPECT_TRUE(reading.editor.mayClose());
    EXPECT_TRUE(reading.shell.asked.empty());
    EXPECT_FALSE(reading.link.isOpen());
}

}  // namespace

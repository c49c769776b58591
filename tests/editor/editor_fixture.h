// A window without widgets: in-memory controls, a shell that records what the
// window would show, and the editor wired to both as the Qt window wires it.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "config/result_colour.h"
#include "editor/config_editor.h"
#include "editor/memory_controls.h"
#include "link/serial_link.h"
#include "tests/editor/no_ports.h"

class RecordingShell : public WindowShell {
  public:
    void showResult(const std::string& text, ResultColour colour) override {
        result = text;
        resultColour = colour;
        ++results;
    }
    void showVersion(const std::string& text) override { version = text; }
    void setModelButtonText(const std::string& text) override { modelTexts.push_back(text); }
    void showBackup(const std::string& binPath) override { backups.push_back(binPath); }
    void armTick() override { tickArmed = true; }
    void cancelTick() override { tickArmed = false; }
    void setBusy(bool on) override { busy = on; }
    void showProgress(const std::string& text, int, int) override { progress.push_back(text); }
    void setTitle(const std::string& text) override { title = text; }
    // Answers from `answers` in turn; with none left, what a shell without a
    // person answers.
    Answer ask(Question question) override {
        asked.push_back(question);
        if (answers.empty()) return WindowShell::ask(question);
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string pickSettingsFile(bool save, const std::string&) override {
        chooserCalls.push_back(save);
        return chosenFile;
    }

    std::string result = "(none)";
    ResultColour resultColour = ResultColour::Green;
    int results = 0;
    std::string version;
    std::vector<std::string> modelTexts;
    std::vector<std::string> backups;
    bool tickArmed = false;
    bool busy = false;
    std::vector<std::string> progress;
    std::string title;
    std::vector<Question> asked;
    std::deque<Answer> answers;
    std::string chosenFile;
    std::vector<bool> chooserCalls;  // save (true) or open (false), in order
};

class EditorTest : public ::testing::Test {
  protected:
    explicit EditorTest(SerialLink& link) : editor(controls, shell, link) {
        controls.setSink(&editor);
        editor.startUp();
    }
    EditorTest() : EditorTest(noPorts) {}
    void TearDown() override { EXPECT_EQ(controls.unknownAccesses(), 0); }

    DeviceConfig& working() { return editor.exchange().workingImage; }
    std::string text(PageId page, int id) const { return controls.text(page, id); }
    int preset() const { return controls.checkedRadio(PageId::Window, 1991, 1995); }

    NoPorts noPorts;
    MemoryControls controls;
    RecordingShell shell;
    CConfigEditor editor;
};

// A window without widgets: in-memory controls, a shell that records what the
// window would show, and the editor wired to both as the Qt window wires it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/result_colour.h"
#include "editor/config_editor.h"
#include "editor/memory_controls.h"
#include "link/serial_link.h"

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

    std::string result = "(none)";
    ResultColour resultColour = ResultColour::Green;
    int results = 0;
    std::string version;
    std::vector<std::string> modelTexts;
    std::vector<std::string> backups;
    bool tickArmed = false;
};

// No port opens: for everything that does not talk to a tracker.
class NoPorts : public SerialLink {
  public:
    int open(int, int) override { return 1; }
    void close() override {}
    bool isOpen() const override { return false; }
    int available() override { return 0; }
    int fetch(std::uint8_t*, int&, int) override { return 0; }
    void write(const std::uint8_t*, std::uint8_t) override {}
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

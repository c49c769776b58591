// The pages' own input rules: the initial control settings the window applies
// at start-up, and the handlers that run when the user edits, clicks or moves
// a control (bounds while typing and on focus loss, the coordinate typing
// filter, the exclusive wake-up modes, the automatic-APN switch, the slider).
#pragma once

#include <memory>

#include "editor/controls.h"

class CPageRules {
public:
    explicit CPageRules(Controls& controls);
    ~CPageRules();

    // Text limits, picker formats and the radio buttons each group starts
    // with (1991 for the presets), and the sensitivity slider's range 1..7.
    void applyInitialSettings();
    // Appends the 26 time zones to 1053 and selects index 12.
    void fillTimeZoneList();

    // A user action on a page control (PageId::Window is not handled here).
    void onControlEvent(PageId page, int id, ControlEvent event);

private:
    struct State;
    std::unique_ptr<State> state_;
};

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

    // Lower bounds wait until the user is done with an edit (the focus leaves
    // it): typing 2500 into the radius must not turn into 300 at the "2".
    // Write and Save are started from the toolbar, which takes no focus, so
    // the window applies what is still pending itself before collecting.
    void applyPendingBounds();
    // Another configuration is on the pages: what the pages remembered of the
    // one before (alarms put away by the period switch, APN texts put away by
    // the automatic-APN switch, bounds still pending) belongs to that one.
    void configShown();

private:
    struct State;
    std::unique_ptr<State> state_;
};

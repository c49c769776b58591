// The small dialog-controls layer the page logic talks to. Controls are found
// by page and numeric control id, as the platform's dialog API finds them.
// One implementation binds ids to Qt widgets; MemoryControls (memory_controls.h)
// serves tests and headless tools. Both behave the same:
//  - a text written by the program leaves the modified flag clear and runs no
//    handler; a user edit sets the flag and runs the page's handler once;
//  - a user edit never makes a text longer than the control's limit, and a
//    digits-only edit refuses every other character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The main window's own controls (the preset radio buttons 1991..1995) are on
// page Window; the six tab pages follow in tab order.
enum class PageId : std::uint8_t { Window = 0, Main, Wake, GPS, Internet, Sensors, Expert };
inline constexpr int kPageIdCount = 7;

// What a user did to a control; the page logic's handlers react to these.
enum class ControlEvent : std::uint8_t {
    Changed,    // edit text changed by the user (modified flag set)
    FocusLost,  // edit lost the input focus
    Clicked,    // check box, radio button or push button clicked
    Selected,   // combo box selection changed by the user
    TimeChanged,
    SliderMoved,
};

struct TimeOfDay {
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    bool operator==(const TimeOfDay&) const = default;
};

class ControlEventSink {
public:
    virtual ~ControlEventSink() = default;
    virtual void onControlEvent(PageId page, int id, ControlEvent event) = 0;
};

class Controls {
public:
    virtual ~Controls() = default;

    // Edits (and the edit field of a combo box). Texts are UTF-8.
    virtual std::string text(PageId page, int id) const = 0;
    virtual void setText(PageId page, int id, std::string_view utf8) = 0;
    virtual bool modified(PageId page, int id) const = 0;
    virtual void setModified(PageId page, int id, bool modified) = 0;
    virtual int caret(PageId page, int id) const = 0;
    // Empty selection at the position, scrolled into view.
    virtual void setCaret(PageId page, int id, int position) = 0;
    // Most characters a user may type; a program write is not cut.
    virtual void setTextLimit(PageId page, int id, int characters) = 0;
    virtual int textLimit(PageId page, int id) const = 0;

    // Check boxes and radio buttons. setChecked of a radio button does not
    // touch the other buttons of its group (checkRadio does).
    virtual bool checked(PageId page, int id) const = 0;
    virtual void setChecked(PageId page, int id, bool on) = 0;

    virtual bool enabled(PageId page, int id) const = 0;
    virtual void setEnabled(PageId page, int id, bool on) = 0;

    // Combo box: items, selection (-1 for none). Selecting an index that is
    // out of range leaves no item selected.
    virtual void addComboItem(PageId page, int id, std::string_view utf8) = 0;
    virtual int comboCount(PageId page, int id) const = 0;
    virtual int comboSelection(PageId page, int id) const = 0;
    virtual void setComboSelection(PageId page, int id, int index) = 0;

    // Time-of-day pickers.
    virtual TimeOfDay time(PageId page, int id) const = 0;
    virtual void setTime(PageId page, int id, TimeOfDay t) = 0;

    // Sliders. The position is kept inside the range.
    virtual void setSliderRange(PageId page, int id, int min, int max) = 0;
    virtual int sliderPosition(PageId page, int id) const = 0;
    virtual void setSliderPosition(PageId page, int id, int position) = 0;

    // Radio groups: check `id` and uncheck every other button of first..last
    // (an id outside the range unchecks them all); ask which one is checked
    // (0 when none is).
    void checkRadio(PageId page, int first, int last, int id) {
        for (int b = first; b <= last; ++b) setChecked(page, b, b == id);
    }
    int checkedRadio(PageId page, int first, int last) const {
        for (int b = first; b <= last; ++b)
            if (checked(page, b)) return b;
        return 0;
    }
};

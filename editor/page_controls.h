// Every control of the six pages and of the main window that has an id: its
// kind, caption and input rule, in each page's tab order. The in-memory
// controls and the Qt pages are both built from this one table.
#pragma once

#include <span>

#include "editor/controls.h"

enum class ControlKind : unsigned char {
    Label,
    GroupBox,
    Edit,        // any text
    DigitsEdit,  // digits only, as the platform's number edits
    SignedEdit,  // any text; the page rules keep it a signed number
    CheckBox,
    RadioButton,
    ComboBox,      // drop-down with an edit field
    DropDownList,  // drop-down list: one of its items or none, no typing
    TimePicker,    // "HH:mm", spin buttons
    Slider,        // vertical
};

struct ControlSpec {
    PageId page;
    int id;
    ControlKind kind;
    const char* caption;  // UTF-8; empty for edits, pickers and sliders
    // Radio buttons sharing a non-zero group number (on one page) exclude each
    // other; two groups may share one group box, so the box does not tell.
    int group = 0;
};

// The controls of one page (PageId::Window: the preset radio buttons).
std::span<const ControlSpec> pageControls(PageId page);
// nullptr when the page has no control with that id.
const ControlSpec* findControl(PageId page, int id);

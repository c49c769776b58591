// The controls layer without a window: every control of the control table
// (page_controls.h) held in memory. Tests and headless tools drive it with the
// user* operations exactly as a user would drive the dialog: a user action
// sets the modified flag where a real control would and sends its event to the
// sink once; a program write (the Controls interface) sends nothing.
//
// Rules a real control has and this one keeps:
//  - typing inserts at the caret, one character at a time; a character is
//    refused when the text is at its limit or, in a digits-only edit, when it
//    is not a digit; a refused character changes nothing and sends nothing;
//  - disabled controls, labels and group boxes take no user input;
//  - a text written by the program is not cut to the limit, clears the
//    modified flag and leaves the caret at its end;
//  - a combo box's edit field follows its selection; typing into it selects
//    the item whose text it then equals, or none (-1); a drop-down list takes
//    no typing, and its text is the selected item's;
//  - a time of day outside 00:00..23:59 written by the program is refused and
//    the picker keeps its time;
//  - a slider starts with the range 0..100 and keeps its position inside it.
//
// Reads of a control that does not exist give empty values and writes to it
// are dropped; unknownAccesses() counts them so a test can catch a wrong id.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/controls.h"
#include "editor/page_controls.h"

class MemoryControls : public Controls {
  public:
    MemoryControls();

    void setSink(ControlEventSink* sink);
    bool exists(PageId page, int id) const;
    ControlKind kind(PageId page, int id) const;  // Label for an unknown control

    // User actions.
    void userType(PageId page, int id, std::string_view utf8);
    void userBackspace(PageId page, int id, int count = 1);
    // Select all, then type; an empty text deletes the selection.
    void userReplaceText(PageId page, int id, std::string_view utf8);
    void userFocusOut(PageId page, int id);
    void userClick(PageId page, int id);
    void userSelectCombo(PageId page, int id, int index);
    void userSetTime(PageId page, int id, TimeOfDay t);
    void userMoveSlider(PageId page, int id, int position);

    int unknownAccesses() const { return unknownAccesses_; }
    std::string comboItem(PageId page, int id, int index) const;
    int sliderMinimum(PageId page, int id) const;
    int sliderMaximum(PageId page, int id) const;

    // Controls.
    std::string text(PageId page, int id) const override;
    void setText(PageId page, int id, std::string_view utf8) override;
    bool modified(PageId page, int id) const override;
    void setModified(PageId page, int id, bool modified) override;
    int caret(PageId page, int id) const override;
    void setCaret(PageId page, int id, int position) override;
    void setTextLimit(PageId page, int id, int characters) override;
    int textLimit(PageId page, int id) const override;
    bool checked(PageId page, int id) const override;
    void setChecked(PageId page, int id, bool on) override;
    bool enabled(PageId page, int id) const override;
    void setEnabled(PageId page, int id, bool on) override;
    void addComboItem(PageId page, int id, std::string_view utf8) override;
    int comboCount(PageId page, int id) const override;
    int comboSelection(PageId page, int id) const override;
    void setComboSelection(PageId page, int id, int index) override;
    TimeOfDay time(PageId page, int id) const override;
    void setTime(PageId page, int id, TimeOfDay t) override;
    void setSliderRange(PageId page, int id, int min, int max) override;
    int sliderPosition(PageId page, int id) const override;
    void setSliderPosition(PageId page, int id, int position) override;

    // The limit of an edit nobody limited, as the platform's edit has.
    static constexpr int kDefaultTextLimit = 32767;

  private:
    struct Control {
        ControlKind kind = ControlKind::Label;
        int group = 0;
        std::u32string text;
        bool modified = false;
        int caret = 0;
        // Set by userReplaceText: the whole text is selected until the next
        // accepted character replaces it.
        bool allSelected = false;
        int limit = kDefaultTextLimit;
        bool checked = false;
        bool enabled = true;
        std::vector<std::u32string> items;
        int selection = -1;
        TimeOfDay time;
        int sliderMin = 0, sliderMax = 100, sliderPos = 0;
    };
    using Key = std::pair<PageId, int>;

    Control* find(PageId page, int id);
    const Control* find(PageId page, int id) const;
    bool takesInput(const Control* c) const;
    bool isTextControl(const Control* c) const;
    // Inserts one character as a keystroke would; false when refused.
    bool typeChar(Control& c, char32_t ch);
    void send(PageId page, int id, ControlEvent event);

    std::map<Key, Control> controls_;
    ControlEventSink* sink_ = nullptr;
    mutable int unknownAccesses_ = 0;
};

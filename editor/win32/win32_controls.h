// The controls layer over Win32 dialog items: a control is the item with
// that id in its page's dialog, and the page logic drives it exactly as it
// drives the in-memory and the Qt controls:
//  - a program write never reaches the sink: notifications the controls raise
//    while the program writes are dropped, and an edit's modified flag
//    (EM_GETMODIFY) is left clear;
//  - a user edit sets the flag (the edit control does) and reaches the sink
//    once per change;
//  - the limit (EM_LIMITTEXT) and the digits-only style (ES_NUMBER) bind the
//    user, never the program; a paste is judged as typing is: refused whole
//    when it would pass the limit or, in a number edit, holds anything but
//    the digits 0 to 9.
// The kind of a control is its window class (and button style), so the
// dialog templates alone say what each id is.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "editor/controls.h"

class Win32Controls : public Controls {
  public:
    Win32Controls() = default;
    Win32Controls(const Win32Controls&) = delete;
    Win32Controls& operator=(const Win32Controls&) = delete;

    // Where user actions go; nullptr stops them.
    void setSink(ControlEventSink* sink) { sink_ = sink; }

    // The dialog that holds a page's controls (PageId::Window: the main
    // window's own). Its edits get their typing rules and its time pickers
    // the "HH:mm" format here; nullptr detaches the page.
    void attachPage(PageId page, HWND dialog);
    HWND page(PageId page) const { return pages_[static_cast<int>(page)]; }
    // nullptr when the page has no such control.
    HWND control(PageId page, int id) const;

    // Notifications from a page's controls, handed on by its dialog
    // procedure; each returns true when it reported a user action.
    bool onCommand(PageId page, WPARAM wParam, LPARAM lParam);
    bool onNotify(PageId page, const NMHDR& header);
    bool onScroll(PageId page, WPARAM wParam, LPARAM lParam);

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

    // While held, the window's controls with these ids stay disabled
    // whatever the page logic sets; enabled() answers what it set, and that
    // comes back when the hold ends. (The preset buttons while an exchange
    // runs: "Трекер" follows the model meanwhile.)
    void holdDisabled(PageId page, std::span<const int> ids, bool hold);

    // The most characters an edit takes when nobody set a limit, as the
    // other controls layers have it.
    static constexpr int kDefaultTextLimit = 32767;

  private:
    enum class Kind { None, Edit, Button, Combo, Picker, Slider, Other };
    static Kind kindOf(HWND control);
    // The edit of an edit control, or the edit field of a combo box.
    static HWND editOf(HWND control);
    void send(PageId page, int id, ControlEvent event);

    // Notifications raised inside it are the program's own.
    class ProgramWrite {
      public:
        explicit ProgramWrite(const Win32Controls& c) : c_(c) { ++c_.programWrites_; }
        ~ProgramWrite() { --c_.programWrites_; }

      private:
        const Win32Controls& c_;
    };

    struct Held {
        PageId page;
        int id;
        bool wanted;
    };
    Held* held(PageId page, int id);
    const Held* held(PageId page, int id) const {
        return const_cast<Win32Controls*>(this)->held(page, id);
    }

    HWND pages_[kPageIdCount]{};
    std::vector<Held> held_;
    ControlEventSink* sink_ = nullptr;
    mutable int programWrites_ = 0;
};

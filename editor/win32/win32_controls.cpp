#include "editor/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "editor/win32/wide_text.h"

namespace {

constexpr UINT_PTR kTypingRulesId = 1;

bool isAsciiDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

std::wstring windowText(HWND w) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    // A one-line edit takes the first line of what is pasted.
    return text.substr(0, text.find_first_of(L"\r\n"));
}

// The typing rules the edit control leaves open: ES_NUMBER lets a paste of
// anything through and takes other scripts' digits for digits; a paste that
// passes the limit is cut rather than refused. A refused change beeps and
// changes nothing, as a refused key does.
LRESULT CALLBACK typingRules(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    const bool digitsOnly = (GetWindowLongW(edit, GWL_STYLE) & ES_NUMBER) != 0;
    if (message == WM_CHAR && digitsOnly) {
        const auto c = static_cast<wchar_t>(wParam);
        if (c >= L' ' && !isAsciiDigit(c)) {
            MessageBeep(MB_OK);
            return 0;
        }
    } else if (message == WM_PASTE) {
        const std::wstring pasted = clipboardText(edit);
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        const auto length = static_cast<std::size_t>(GetWindowTextLengthW(edit));
        const auto limit = static_cast<std::size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
        const bool tooLong = !pasted.empty() && length - (end - start) + pasted.size() > limit;
        const bool notDigits =
            digitsOnly && !std::all_of(pasted.begin(), pasted.end(), isAsciiDigit);
        if (tooLong || notDigits) {
            MessageBeep(MB_OK);
            return 0;
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(edit, typingRules, kTypingRulesId);
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

BOOL CALLBACK attachControl(HWND control, LPARAM) {
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    if (_wcsicmp(name, WC_EDITW) == 0) {
        SetWindowSubclass(control, typingRules, kTypingRulesId, 0);
    } else if (_wcsicmp(name, DATETIMEPICK_CLASSW) == 0) {
        SendMessageW(control, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
    }
    return TRUE;
}

}  // namespace

void Win32Controls::attachPage(PageId page, HWND dialog) {
    pages_[static_cast<int>(page)] = dialog;
    // Every descendant, the edit fields of combo boxes included.
    if (dialog) EnumChildWindows(dialog, attachControl, 0);
}

HWND Win32Controls::control(PageId page, int id) const {
    HWND dialog = this->page(page);
    return dialog ? GetDlgItem(dialog, id) : nullptr;
}

Win32Controls::Kind Win32Controls::kindOf(HWND control) {
    if (!control) return Kind::None;
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    if (_wcsicmp(name, WC_EDITW) == 0) return Kind::Edit;
    if (_wcsicmp(name, WC_COMBOBOXW) == 0) return Kind::Combo;
    if (_wcsicmp(name, DATETIMEPICK_CLASSW) == 0) return Kind::Picker;
    if (_wcsicmp(name, TRACKBAR_CLASSW) == 0) return Kind::Slider;
    if (_wcsicmp(name, WC_BUTTONW) == 0) {
        switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                return Kind::Button;
            default:
                return Kind::Other;
        }
    }
    return Kind::Other;
}

HWND Win32Controls::editOf(HWND control) {
    switch (kindOf(control)) {
        case Kind::Edit:
            return control;
        case Kind::Combo: {
            // A drop-down list has no edit field.
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            if (!GetComboBoxInfo(control, &info) || info.hwndItem == control) return nullptr;
            return info.hwndItem;
        }
        default:
            return nullptr;
    }
}

void Win32Controls::send(PageId page, int id, ControlEvent event) {
    if (sink_) sink_->onControlEvent(page, id, event);
}

bool Win32Controls::onCommand(PageId page, WPARAM wParam, LPARAM lParam) {
    auto* from = reinterpret_cast<HWND>(lParam);
    if (!from || programWrites_ > 0) return false;
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (control(page, id) != from) return false;
    ControlEvent event;
    switch (kindOf(from)) {
        case Kind::Edit:
            if (code == EN_CHANGE)
                event = ControlEvent::Changed;
            else if (code == EN_KILLFOCUS)
                event = ControlEvent::FocusLost;
            else
                return false;
            break;
        case Kind::Button:
            if (code != BN_CLICKED) return false;
            event = ControlEvent::Clicked;
            break;
        case Kind::Combo:
            if (code == CBN_EDITCHANGE)
                event = ControlEvent::Changed;
            else if (code == CBN_SELCHANGE)
                event = ControlEvent::Selected;
            else
                return false;
            break;
        default:
            return false;
    }
    send(page, id, event);
    return true;
}

bool Win32Controls::onNotify(PageId page, const NMHDR& header) {
    if (programWrites_ > 0 || header.code != DTN_DATETIMECHANGE) return false;
    const int id = static_cast<int>(header.idFrom);
    if (control(page, id) != header.hwndFrom) return false;
    send(page, id, ControlEvent::TimeChanged);
    return true;
}

bool Win32Controls::onScroll(PageId page, WPARAM wParam, LPARAM lParam) {
    auto* from = reinterpret_cast<HWND>(lParam);
    // The end of a drag or key press moves nothing more.
    if (!from || programWrites_ > 0 || LOWORD(wParam) == TB_ENDTRACK) return false;
    if (kindOf(from) != Kind::Slider) return false;
    const int id = GetDlgCtrlID(from);
    if (control(page, id) != from) return false;
    send(page, id, ControlEvent::SliderMoved);
    return true;
}

std::string Win32Controls::text(PageId page, int id) const {
    HWND c = control(page, id);
    return c ? narrow(windowText(c)) : std::string();
}

void Win32Controls::setText(PageId page, int id, std::string_view utf8) {
    HWND c = control(page, id);
    if (!c) return;
    ProgramWrite quiet(*this);
    SetWindowTextW(c, widen(utf8).c_str());
    if (HWND edit = editOf(c)) {
        SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
        // The caret after the text, as a typed text leaves it.
        const int end = GetWindowTextLengthW(edit);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    }
}

bool Win32Controls::modified(PageId page, int id) const {
    HWND edit = editOf(control(page, id));
    return edit && SendMessageW(edit, EM_GETMODIFY, 0, 0) != 0;
}

void Win32Controls::setModified(PageId page, int id, bool on) {
    if (HWND edit = editOf(control(page, id))) SendMessageW(edit, EM_SETMODIFY, on, 0);
}

int Win32Controls::caret(PageId page, int id) const {
    HWND edit = editOf(control(page, id));
    if (!edit) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end);
}

void Win32Controls::setCaret(PageId page, int id, int position) {
    HWND edit = editOf(control(page, id));
    if (!edit) return;
    const int at = std::clamp(position, 0, GetWindowTextLengthW(edit));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(at), at);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void Win32Controls::setTextLimit(PageId page, int id, int characters) {
    if (HWND edit = editOf(control(page, id)))
        SendMessageW(edit, EM_SETLIMITTEXT, characters > 0 ? characters : kDefaultTextLimit, 0);
}

int Win32Controls::textLimit(PageId page, int id) const {
    HWND edit = editOf(control(page, id));
    return edit ? static_cast<int>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)) : 0;
}

bool Win32Controls::checked(PageId page, int id) const {
    HWND c = control(page, id);
    return kindOf(c) == Kind::Button && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Controls::setChecked(PageId page, int id, bool on) {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Button) return;
    ProgramWrite quiet(*this);
    // Checking an automatic radio button unchecks the rest of its group; a
    // program write touches this button only (checkRadio does the group), so
    // the button is a plain radio button for the moment of the write.
    const LONG style = GetWindowLongW(c, GWL_STYLE);
    const bool automatic = (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    if (automatic) SetWindowLongW(c, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_RADIOBUTTON);
    SendMessageW(c, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (automatic) SetWindowLongW(c, GWL_STYLE, style);
}

bool Win32Controls::enabled(PageId page, int id) const {
    if (const Held* h = held(page, id)) return h->wanted;
    HWND c = control(page, id);
    // The control's own state, whatever its page's.
    return c && (GetWindowLongW(c, GWL_STYLE) & WS_DISABLED) == 0;
}

void Win32Controls::setEnabled(PageId page, int id, bool on) {
    if (Held* h = held(page, id)) {
        h->wanted = on;
        return;
    }
    if (HWND c = control(page, id)) EnableWindow(c, on);
}

void Win32Controls::holdDisabled(PageId page, std::span<const int> ids, bool hold) {
    for (int id : ids) {
        Held* h = held(page, id);
        if (hold && !h) {
            HWND c = control(page, id);
            held_.push_back({page, id, enabled(page, id)});
            if (c) EnableWindow(c, FALSE);
        } else if (!hold && h) {
            const bool wanted = h->wanted;
            held_.erase(held_.begin() + (h - held_.data()));
            setEnabled(page, id, wanted);
        }
    }
}

Win32Controls::Held* Win32Controls::held(PageId page, int id) {
    for (Held& h : held_)
        if (h.page == page && h.id == id) return &h;
    return nullptr;
}

void Win32Controls::addComboItem(PageId page, int id, std::string_view utf8) {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Combo) return;
    ProgramWrite quiet(*this);
    SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(utf8).c_str()));
}

int Win32Controls::comboCount(PageId page, int id) const {
    HWND c = control(page, id);
    return kindOf(c) == Kind::Combo ? static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0)) : 0;
}

int Win32Controls::comboSelection(PageId page, int id) const {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Combo) return -1;
    auto itemText = [c](int index) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(c, CB_GETLBTEXTLEN, index, 0)) + 1,
                          L'\0');
        item.resize(static_cast<std::size_t>(
            SendMessageW(c, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()))));
        return item;
    };
    const std::wstring typed = windowText(c);
    const int current = static_cast<int>(SendMessageW(c, CB_GETCURSEL, 0, 0));
    if (current >= 0 && itemText(current) == typed) return current;
    // The user typed over the selection: it is the item spelt exactly so, if
    // any (CB_FINDSTRINGEXACT would ignore the case).
    if (typed.empty()) return -1;
    const int count = static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (itemText(i) == typed) return i;
    return -1;
}

void Win32Controls::setComboSelection(PageId page, int id, int index) {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Combo) return;
    ProgramWrite quiet(*this);
    const int count = static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0));
    const int to = index >= 0 && index < count ? index : -1;
    SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(to), 0);
    // A typed text stays when the selection does not change.
    if (to < 0) SetWindowTextW(c, L"");
    if (HWND edit = editOf(c)) {
        SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
        // A long item shows from its beginning.
        SendMessageW(edit, EM_SETSEL, 0, 0);
    }
}

TimeOfDay Win32Controls::time(PageId page, int id) const {
    HWND c = control(page, id);
    SYSTEMTIME t{};
    if (kindOf(c) != Kind::Picker ||
        SendMessageW(c, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID)
        return {};
    return {t.wHour, t.wMinute};
}

void Win32Controls::setTime(PageId page, int id, TimeOfDay t) {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Picker || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59)
        return;
    // A time of day on a fixed date: only the hours and minutes are shown.
    SYSTEMTIME st{};
    st.wYear = 2000;
    st.wMonth = 1;
    st.wDay = 1;
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    ProgramWrite quiet(*this);
    SendMessageW(c, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void Win32Controls::setSliderRange(PageId page, int id, int min, int max) {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Slider) return;
    ProgramWrite quiet(*this);
    SendMessageW(c, TBM_SETRANGEMIN, FALSE, std::min(min, max));
    SendMessageW(c, TBM_SETRANGEMAX, TRUE, std::max(min, max));
    // The position stays inside the new range.
    const auto pos = static_cast<int>(SendMessageW(c, TBM_GETPOS, 0, 0));
    SendMessageW(c, TBM_SETPOS, TRUE, std::clamp(pos, std::min(min, max), std::max(min, max)));
}

int Win32Controls::sliderPosition(PageId page, int id) const {
    HWND c = control(page, id);
    return kindOf(c) == Kind::Slider ? static_cast<int>(SendMessageW(c, TBM_GETPOS, 0, 0)) : 0;
}

void Win32Controls::setSliderPosition(PageId page, int id, int position) {
    HWND c = control(page, id);
    if (kindOf(c) != Kind::Slider) return;
    ProgramWrite quiet(*this);
    SendMessageW(c, TBM_SETPOS, TRUE, position);
}

// The controls layer over real dialog items, driven by the messages a user's
// keys and clicks send: what a user does reaches the sink once per change,
// what the program writes never does, and the typing rules hold for keys and
// for pasted text.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "editor/win32/win32_controls.h"
#include "win32_test_support.h"

namespace {

constexpr PageId P = PageId::Main;
constexpr int kTestDialog = 900;

struct Event {
    int id;
    ControlEvent what;
    bool operator==(const Event&) const = default;
};

class Recorder : public ControlEventSink {
  public:
    void onControlEvent(PageId, int id, ControlEvent event) override {
        events.push_back({id, event});
        if (handler) handler(id, event);
    }
    std::vector<Event> events;
    std::function<void(int, ControlEvent)> handler;
};

INT_PTR CALLBACK testDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* controls = reinterpret_cast<Win32Controls*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!controls) return FALSE;
    if (message == WM_COMMAND) controls->onCommand(P, wParam, lParam);
    if (message == WM_NOTIFY) controls->onNotify(P, *reinterpret_cast<const NMHDR*>(lParam));
    if (message == WM_VSCROLL) controls->onScroll(P, wParam, lParam);
    return FALSE;
}

void setClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

class ControlsTest : public testing::Test {
  protected:
    void SetUp() override {
        // Owned, so the shell keeps no taskbar button for it.
        owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                nullptr);
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTestDialog), owner,
                                    testDialogProc, reinterpret_cast<LPARAM>(&controls));
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        controls.attachPage(P, dialog);
        controls.setSink(&sink);
        // The focus starts on no edit, so moving it says nothing.
        SetFocus(item(10));
        pumpPending();
        sink.events.clear();
    }
    void TearDown() override {
        controls.setSink(nullptr);
        DestroyWindow(dialog);
        DestroyWindow(owner);
    }

    HWND item(int id) const { return GetDlgItem(dialog, id); }
    HWND comboEdit() const {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(item(30), &info);
        return info.hwndItem;
    }

    HWND owner = nullptr;
    HWND dialog = nullptr;
    Win32Controls controls;
    Recorder sink;
};

// Every key the edit takes is one change, with the modified flag set when
// the handler runs.
TEST_F(ControlsTest, TypingSendsOneChangePerKeyWithTheFlagSet) {
    std::vector<bool> flagSeen;
    sink.handler = [&](int id, ControlEvent) { flagSeen.push_back(controls.modified(P, id)); };
    typeInto(item(2), L"ab");
    typeInto(item(2), L"\b");
    EXPECT_EQ(sink.events, std::vector<Event>(3, Event{2, ControlEvent::Changed}));
    EXPECT_EQ(flagSeen, std::vector<bool>(3, true));
    EXPECT_EQ(controls.text(P, 2), "a");
}

TEST_F(ControlsTest, DigitsOnlyRefusesOtherCharacters) {
    struct Case {
        const wchar_t* keys;
        const char* shown;
        int changes;
    };
    const Case cases[] = {
        {L"0123", "0123", 4},
        {L"1a-2 .+3", "123", 3},
        {L"7\u04368", "78", 2},
        {L"1\u0663", "1", 1},  // an Arabic-Indic three is no digit here
    };
    for (const Case& c : cases) {
        controls.setText(P, 1, "");
        sink.events.clear();
        typeInto(item(1), c.keys);
        EXPECT_EQ(controls.text(P, 1), c.shown) << c.shown;
        EXPECT_EQ(static_cast<int>(sink.events.size()), c.changes) << c.shown;
    }
}

TEST_F(ControlsTest, PasteIsJudgedLikeTyping) {
    struct Case {
        int id;
        const char* before;
        const wchar_t* clip;
        const char* after;
    };
    const Case cases[] = {
        {1, "12", L"345", "12345"},
        {1, "12", L"3x4", "12"},
        {2, "abc", L"def", "abc"},  // past the limit: refused whole, not cut
        {2, "abc", L"d", "abcd"},
        {2, "", L"ab\r\ncd", "ab"},  // a one-line edit takes the first line
    };
    controls.setTextLimit(P, 2, 4);
    for (const Case& c : cases) {
        controls.setText(P, c.id, c.before);
        setClipboard(c.clip);
        SendMessageW(item(c.id), WM_PASTE, 0, 0);
        EXPECT_EQ(controls.text(P, c.id), c.after) << c.after;
        EXPECT_EQ(controls.modified(P, c.id), std::string(c.after) != c.before) << c.after;
    }
}

// The limit stops the user, never the program: a longer text written by the
// program is shown whole, can be shortened, but not lengthened.
TEST_F(ControlsTest, LimitBindsTheUserOnly) {
    controls.setTextLimit(P, 2, 3);
    EXPECT_EQ(controls.textLimit(P, 2), 3);
    typeInto(item(2), L"abcd");
    EXPECT_EQ(controls.text(P, 2), "abc");
    controls.setText(P, 2, "-128");
    EXPECT_EQ(controls.text(P, 2), "-128");
    typeInto(item(2), L"9");
    EXPECT_EQ(controls.text(P, 2), "-128");
    typeInto(item(2), L"\b");
    EXPECT_EQ(controls.text(P, 2), "-12");
    typeInto(item(2), L"7");
    EXPECT_EQ(controls.text(P, 2), "-12");
    // No limit set: as many as the other controls layers take.
    controls.setTextLimit(P, 3, 0);
    EXPECT_EQ(controls.textLimit(P, 3), Win32Controls::kDefaultTextLimit);
}

// A number edit with a sign the program wrote still takes digits.
TEST_F(ControlsTest, DigitsOnlyJudgesOnlyWhatIsTyped) {
    controls.setText(P, 1, "-5");
    typeInto(item(1), L"3");
    EXPECT_EQ(controls.text(P, 1), "-53");
}

// Program writes of every kind reach no handler and leave the flag clear.
TEST_F(ControlsTest, ProgramWritesAreSilent) {
    typeInto(item(2), L"x");
    ASSERT_TRUE(controls.modified(P, 2));
    sink.events.clear();
    controls.setText(P, 2, "Привет");
    controls.setText(P, 1, "42");
    controls.setChecked(P, 10, true);
    controls.checkRadio(P, 20, 22, 21);
    controls.addComboItem(P, 30, "a");
    controls.addComboItem(P, 30, "b");
    controls.setComboSelection(P, 30, 1);
    controls.setTime(P, 40, {22, 30});
    controls.setSliderRange(P, 50, 1, 7);
    controls.setSliderPosition(P, 50, 5);
    pumpPending();
    EXPECT_TRUE(sink.events.empty());
    EXPECT_FALSE(controls.modified(P, 2));
    EXPECT_EQ(controls.text(P, 2), "Привет");
    EXPECT_EQ(controls.comboSelection(P, 30), 1);
    EXPECT_EQ(controls.time(P, 40), (TimeOfDay{22, 30}));
    EXPECT_EQ(controls.sliderPosition(P, 50), 5);
}

// A handler that rewrites the edit it runs for (the page rules' bounds): the
// text, caret and flag it leaves are what the user sees, and its own write
// starts no second pass.
TEST_F(ControlsTest, HandlerRewritingItsEditIsNotReentered) {
    controls.setTextLimit(P, 1, 5);
    sink.handler = [&](int id, ControlEvent e) {
        if (id != 1 || e != ControlEvent::Changed || !controls.modified(P, 1)) return;
        if (std::stoi("0" + controls.text(P, 1)) > 500) controls.setText(P, 1, "500");
        controls.setCaret(P, 1, 1);
        controls.setModified(P, 1, false);
    };
    typeInto(item(1), L"45");
    EXPECT_EQ(controls.text(P, 1), "45");
    EXPECT_EQ(controls.caret(P, 1), 1);
    // the caret stands after "4": the next key goes between
    typeInto(item(1), L"0");
    EXPECT_EQ(controls.text(P, 1), "405");
    controls.setCaret(P, 1, 3);
    typeInto(item(1), L"0");
    EXPECT_EQ(controls.text(P, 1), "500");
    EXPECT_EQ(controls.caret(P, 1), 1);
    EXPECT_FALSE(controls.modified(P, 1));
    EXPECT_EQ(sink.events.size(), 4u);
}

TEST_F(ControlsTest, FocusLossIsReportedForEveryEdit) {
    SetFocus(item(2));
    ASSERT_EQ(GetFocus(), item(2));
    sink.events.clear();
    SetFocus(item(3));
    EXPECT_EQ(sink.events, (std::vector<Event>{{2, ControlEvent::FocusLost}}));
}

TEST_F(ControlsTest, CaretIsKeptInsideTheText) {
    controls.setText(P, 2, "abc");
    SendMessageW(item(2), EM_SETSEL, 0, -1);
    controls.setCaret(P, 2, 10);
    EXPECT_EQ(controls.caret(P, 2), 3);
    DWORD start = 0, end = 0;
    SendMessageW(item(2), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);  // no selection left
    controls.setCaret(P, 2, 1);
    EXPECT_EQ(controls.caret(P, 2), 1);
}

TEST_F(ControlsTest, CheckBoxClickIsOneEvent) {
    SendMessageW(item(10), BM_CLICK, 0, 0);
    EXPECT_TRUE(controls.checked(P, 10));
    EXPECT_EQ(sink.events, (std::vector<Event>{{10, ControlEvent::Clicked}}));
}

TEST_F(ControlsTest, RadioGroupRules) {
    // program: one button at a time, and an id outside the range clears all
    controls.setChecked(P, 20, true);
    controls.setChecked(P, 21, true);
    EXPECT_TRUE(controls.checked(P, 20) && controls.checked(P, 21));
    controls.checkRadio(P, 20, 22, 22);
    EXPECT_EQ(controls.checkedRadio(P, 20, 22), 22);
    controls.checkRadio(P, 20, 22, 99);
    EXPECT_EQ(controls.checkedRadio(P, 20, 22), 0);
    // user: a click checks the button and clears the others; a click on the
    // checked button keeps it checked
    controls.checkRadio(P, 20, 22, 20);
    SendMessageW(item(21), BM_CLICK, 0, 0);
    EXPECT_EQ(controls.checkedRadio(P, 20, 22), 21);
    EXPECT_FALSE(controls.checked(P, 20));
    SendMessageW(item(21), BM_CLICK, 0, 0);
    EXPECT_TRUE(controls.checked(P, 21));
    EXPECT_EQ(sink.events, (std::vector<Event>(2, {21, ControlEvent::Clicked})));
}

TEST_F(ControlsTest, ComboSelection) {
    EXPECT_EQ(controls.comboSelection(P, 30), -1);
    controls.setComboSelection(P, 30, 0);  // empty list: nothing to select
    EXPECT_EQ(controls.comboSelection(P, 30), -1);
    for (const char* item : {"(GMT) Greenwich", "(GMT+01:00) Amsterdam", "(GMT+02:00) Athen"})
        controls.addComboItem(P, 30, item);
    EXPECT_EQ(controls.comboCount(P, 30), 3);
    EXPECT_EQ(controls.comboSelection(P, 30), -1);  // adding selects nothing
    controls.setComboSelection(P, 30, 2);
    EXPECT_EQ(controls.text(P, 30), "(GMT+02:00) Athen");
    controls.setComboSelection(P, 30, 3);
    EXPECT_EQ(controls.comboSelection(P, 30), -1);
    EXPECT_EQ(controls.text(P, 30), "");
    controls.setComboSelection(P, 30, 1);

    // typing over the selection: the item spelt exactly so, or none
    replaceText(comboEdit(), L"(GMT) Greenwich");
    EXPECT_EQ(controls.comboSelection(P, 30), 0);
    typeInto(comboEdit(), L"x");
    EXPECT_EQ(controls.comboSelection(P, 30), -1);
    replaceText(comboEdit(), L"(gmt) greenwich");
    EXPECT_EQ(controls.comboSelection(P, 30), -1);
    EXPECT_EQ(controls.comboCount(P, 30), 3);
    EXPECT_TRUE(controls.modified(P, 30));
    ASSERT_FALSE(sink.events.empty());
    EXPECT_TRUE(std::all_of(sink.events.begin(), sink.events.end(),
                            [](const Event& e) { return e.what == ControlEvent::Changed; }));

    // choosing from the list with the keyboard
    controls.setComboSelection(P, 30, 0);
    sink.events.clear();
    pressKey(comboEdit(), VK_DOWN);
    EXPECT_EQ(controls.comboSelection(P, 30), 1);
    EXPECT_EQ(std::count(sink.events.begin(), sink.events.end(), Event{30, ControlEvent::Selected}),
              1);
}

TEST_F(ControlsTest, TimePickerShowsHoursAndMinutes) {
    controls.setTime(P, 40, {9, 5});
    EXPECT_EQ(controls.time(P, 40), (TimeOfDay{9, 5}));
    controls.setTime(P, 40, {24, 0});  // not a time of day: left as it was
    EXPECT_EQ(controls.time(P, 40), (TimeOfDay{9, 5}));
    // A field chosen with the arrow key, then turned on by one.
    SetFocus(item(40));
    pressKey(item(40), VK_RIGHT);
    sink.events.clear();
    pressKey(item(40), VK_UP);
    const TimeOfDay now = controls.time(P, 40);
    EXPECT_TRUE(now == (TimeOfDay{10, 5}) || now == (TimeOfDay{9, 6}));
    EXPECT_EQ(sink.events, (std::vector<Event>{{40, ControlEvent::TimeChanged}}));
}

TEST_F(ControlsTest, SliderKeepsInsideItsRange) {
    controls.setSliderRange(P, 50, 1, 7);
    controls.setSliderPosition(P, 50, 9);
    EXPECT_EQ(controls.sliderPosition(P, 50), 7);
    controls.setSliderRange(P, 50, 1, 3);
    EXPECT_EQ(controls.sliderPosition(P, 50), 3);
    EXPECT_TRUE(sink.events.empty());
    pressKey(item(50), VK_HOME);
    EXPECT_EQ(controls.sliderPosition(P, 50), 1);
    EXPECT_EQ(sink.events, (std::vector<Event>{{50, ControlEvent::SliderMoved}}));
}

// A control's own enabled state, whether or not its dialog is on screen.
TEST_F(ControlsTest, EnabledIsTheControlsOwnState) {
    controls.setEnabled(P, 2, false);
    EXPECT_FALSE(controls.enabled(P, 2));
    ShowWindow(dialog, SW_HIDE);
    EnableWindow(dialog, FALSE);
    EXPECT_TRUE(controls.enabled(P, 1));
    EXPECT_FALSE(controls.enabled(P, 2));
}

// A hold keeps controls disabled on screen while the page logic goes on
// setting them; what it set last is what comes back.
TEST_F(ControlsTest, HoldKeepsControlsDisabledAndGivesBackTheLastStateSet) {
    controls.setEnabled(P, 2, false);
    const int held[] = {1, 2};
    controls.holdDisabled(P, held, true);
    EXPECT_FALSE(IsWindowEnabled(item(1)));
    EXPECT_TRUE(controls.enabled(P, 1));  // the logic's own state
    controls.setEnabled(P, 1, false);
    controls.setEnabled(P, 2, true);
    EXPECT_FALSE(IsWindowEnabled(item(2)));
    controls.holdDisabled(P, held, false);
    EXPECT_FALSE(IsWindowEnabled(item(1)));
    EXPECT_TRUE(IsWindowEnabled(item(2)));
    controls.setEnabled(P, 1, true);  // no longer held
    EXPECT_TRUE(IsWindowEnabled(item(1)));
}

TEST_F(ControlsTest, UnknownControlsAnswerEmpty) {
    controls.setText(P, 999, "x");
    EXPECT_EQ(controls.text(P, 999), "");
    EXPECT_EQ(controls.comboSelection(P, 999), -1);
    EXPECT_FALSE(controls.checked(P, 999));
    EXPECT_FALSE(controls.enabled(P, 999));
    // a label is neither checked nor an edit
    EXPECT_FALSE(controls.checked(P, 60));
    EXPECT_FALSE(controls.modified(P, 60));
    EXPECT_EQ(controls.text(P, 60), "label");
}

}  // namespace

// The native window under Wine, driven by the messages a user's keys, clicks
// and menu choices send: its start-up, the templates against the control
// table, the page rules behind its edits, the presets and the model menu,
// Save and Open, the About box, the status line as drawn, and a Write and a
// Read through a COM port mapped onto the Linux tracker simulator.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/models.h"
#include "config/result_colour.h"
#include "editor/control_hints.h"
#include "editor/page_controls.h"
#include "editor/win32/gps_qconfig_dlg.h"
#include "editor/win32/question_dlg.h"
#include "editor/win32/resource.h"
#include "editor/win32/wide_text.h"
#include "link/com_port.h"
#include "tests/editor/no_ports.h"
#include "win32_test_support.h"

namespace {

constexpr PageId kTabPages[6] = {PageId::Main,     PageId::Wake,    PageId::GPS,
                                 PageId::Internet, PageId::Sensors, PageId::Expert};
constexpr COLORREF kGreen = RGB(25, 255, 25);
constexpr COLORREF kRed = RGB(255, 25, 25);

std::wstring className(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

LONG style(HWND w) {
    return GetWindowLongW(w, GWL_STYLE);
}

// The window class and style a control of the table is made of.
::testing::AssertionResult madeAs(HWND w, const ControlSpec& entry) {
    const std::wstring cls = className(w);
    const LONG s = style(w);
    const LONG button = s & BS_TYPEMASK;
    bool right = false;
    switch (entry.kind) {
        case ControlKind::Label:
            right = _wcsicmp(cls.c_str(), L"Static") == 0;
            break;
        case ControlKind::GroupBox:
            right = _wcsicmp(cls.c_str(), L"Button") == 0 && button == BS_GROUPBOX;
            break;
        case ControlKind::Edit:
        case ControlKind::SignedEdit:
            right = _wcsicmp(cls.c_str(), L"Edit") == 0 && !(s & ES_NUMBER);
            break;
        case ControlKind::DigitsEdit:
            right = _wcsicmp(cls.c_str(), L"Edit") == 0 && (s & ES_NUMBER);
            break;
        case ControlKind::CheckBox:
            right = _wcsicmp(cls.c_str(), L"Button") == 0 && button == BS_AUTOCHECKBOX;
            break;
        case ControlKind::RadioButton:
            right = _wcsicmp(cls.c_str(), L"Button") == 0 && button == BS_AUTORADIOBUTTON;
            break;
        case ControlKind::ComboBox:
            right = _wcsicmp(cls.c_str(), L"ComboBox") == 0 && (s & 3) == CBS_DROPDOWN;
            break;
        case ControlKind::DropDownList:
            right = _wcsicmp(cls.c_str(), L"ComboBox") == 0 && (s & 3) == CBS_DROPDOWNLIST;
            break;
        case ControlKind::TimePicker:
            right = cls == L"SysDateTimePick32" && (s & DTS_UPDOWN);
            break;
        case ControlKind::Slider:
            right = cls == L"msctls_trackbar32" && (s & TBS_VERT) && (s & TBS_NOTICKS);
            break;
    }
    if (right) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "control " << entry.id << " is " << narrow(cls) << " with style 0x" << std::hex << s;
}

// The radio buttons that a click on `button` keeps exclusive: those of its
// dialog group (from its WS_GROUP button to the next control with WS_GROUP).
std::set<int> dialogGroup(HWND dialog, HWND button) {
    std::set<int> ids;
    HWND w = button;
    do {
        if ((style(w) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) ids.insert(GetDlgCtrlID(w));
        w = GetNextDlgGroupItem(dialog, w, FALSE);
    } while (w && w != button);
    return ids;
}

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// The tooltip text that `owner`'s tooltip control shows for `control`.
std::wstring tipText(HWND tooltip, HWND owner, HWND control) {
    std::wstring text(1024, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(tooltip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    text.resize(wcslen(text.c_str()));
    return text;
}

class WindowTest : public testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<CGPS_QConfigDlg>(port);
        // Questions are answered from `answers`, then No (go on, save
        // nothing), and noted in `asked`.
        window->setAsker([this](HWND, Question q) {
            asked.push_back(q);
            if (answers.empty()) return Answer::No;
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        });
        hwnd = window->create();
        ASSERT_NE(hwnd, nullptr);
        SetForegroundWindow(hwnd);
        pumpPending();
    }
    void TearDown() override {
        window.reset();
        pumpPending();
    }

    HWND item(PageId page, int id) const { return window->controls().control(page, id); }
    std::string text(PageId page, int id) const { return window->controls().text(page, id); }
    bool checked(PageId page, int id) const { return window->controls().checked(page, id); }
    void command(int id) { SendMessageW(hwnd, WM_COMMAND, id, 0); }
    void click(PageId page, int id) { SendMessageW(item(page, id), BM_CLICK, 0, 0); }
    void showTab(PageId page) {
        TabCtrl_SetCurFocus(window->tabs(), static_cast<int>(page) - 1);
        pumpPending();
    }
    // What a user does to put a value in an edit: select it all and type.
    void replace(PageId page, int id, const std::wstring& typed) {
        showTab(page);
        SetFocus(item(page, id));
        replaceText(item(page, id), typed);
    }
    std::wstring modelButtonText() const {
        std::wstring text(64, L'\0');
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
        info.pszText = text.data();
        info.cchText = static_cast<int>(text.size());
        SendMessageW(window->toolbar(), TB_GETBUTTONINFOW, 9, reinterpret_cast<LPARAM>(&info));
        text.resize(wcslen(text.c_str()));
        return text;
    }
    std::vector<HWND> visiblePages() const {
        std::vector<HWND> shown;
        for (PageId page : kTabPages)
            if (IsWindowVisible(window->controls().page(page)))
                shown.push_back(window->controls().page(page));
        return shown;
    }
    // Until an exchange has ended: a result is shown and no tick is armed.
    bool exchangeEnds() {
        return pumpUntil([&] { return !window->paneText(1).empty() && !window->tickArmed(); },
                         30000, hwnd);
    }

    CCOMPort port;
    std::unique_ptr<CGPS_QConfigDlg> window;
    HWND hwnd = nullptr;
    std::vector<Question> asked;
    std::deque<Answer> answers;
};

const std::wstring kCaption = L"GPS Quelter конфигуратор v130.1.2";

std::wstring tempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// The drop of one file from the shell, as WM_DROPFILES carries it.
HDROP dropOf(const std::wstring& path) {
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(path.begin(), path.end(),
              reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES)));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

bool menuEnabled(HWND window, int command) {
    return !(GetMenuState(GetMenu(window), command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

bool toolButtonEnabled(HWND toolbar, int index) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STATE | TBIF_BYINDEX;
    SendMessageW(toolbar, TB_GETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info));
    return info.fsState & TBSTATE_ENABLED;
}

TEST_F(WindowTest, StartsUpAsTheApplicationShowsIt) {
    EXPECT_EQ(textOf(hwnd), L"GPS Quelter конфигуратор v130.1.2");
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);

    // The status line: nothing yet in panes 0 and 1, pane 1 on green.
    EXPECT_EQ(window->paneText(0), L"");
    EXPECT_EQ(window->paneText(1), L"");
    EXPECT_EQ(window->paneColour(1), kGreen);
    EXPECT_EQ(window->paneText(2), L"Версия прошивки:");
    EXPECT_EQ(SendMessageW(window->statusBar(), SB_GETPARTS, 0, 0), 3);

    // The toolbar: every command enabled, the model that is edited named.
    for (int cmd :
         {ID_TOOL_OPEN, ID_TOOL_SAVE, ID_TOOL_READ, ID_TOOL_WRITE, ID_TOOL_RESET, ID_TOOL_MODEL})
        EXPECT_NE(SendMessageW(window->toolbar(), TB_ISBUTTONENABLED, cmd, 0), 0) << cmd;
    EXPECT_EQ(modelButtonText(), L"RQ30");

    // The six tabs, the first page alone on screen.
    const wchar_t* captions[6] = {L"Основные", L"Будильники", L"GPS",
                                  L"Интернет", L"Датчики",    L"Эксперт"};
    ASSERT_EQ(TabCtrl_GetItemCount(window->tabs()), 6);
    for (int i = 0; i < 6; ++i) {
        wchar_t caption[64] = {};
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = caption;
        tab.cchTextMax = 64;
        TabCtrl_GetItem(window->tabs(), i, &tab);
        EXPECT_STREQ(caption, captions[i]);
    }
    EXPECT_EQ(visiblePages(), std::vector<HWND>{window->controls().page(PageId::Main)});

    // Start-up settings reached the controls: presets, time zones, limits.
    EXPECT_EQ(window->controls().checkedRadio(PageId::Window, 1991, 1995), 1991);
    EXPECT_EQ(window->controls().comboSelection(PageId::Main, 1053), 12);
    EXPECT_EQ(window->controls().textLimit(PageId::GPS, 1249), 10);

    // The About item at the end of the system menu, after a separator.
    HMENU system = GetSystemMenu(hwnd, FALSE);
    const int items = GetMenuItemCount(system);
    ASSERT_GE(items, 2);
    EXPECT_EQ(GetMenuItemID(system, items - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(menuText(system, items - 1), L"&О проекте QuelterConfig...");
    EXPECT_TRUE(GetMenuState(system, items - 2, MF_BYPOSITION) & MF_SEPARATOR);
}

// The dialog templates are written by hand beside the control table that the
// page logic and the other windows use: every control of the table is in its
// page with its kind, caption and radio group.
TEST_F(WindowTest, TemplatesHoldEveryControlOfTheTable) {
    for (PageId page : {PageId::Window, PageId::Main, PageId::Wake, PageId::GPS, PageId::Internet,
                        PageId::Sensors, PageId::Expert}) {
        for (const ControlSpec& entry : pageControls(page)) {
            SCOPED_TRACE(entry.id);
            HWND w = item(page, entry.id);
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(madeAs(w, entry));
            if (entry.kind == ControlKind::Label || entry.kind == ControlKind::GroupBox ||
                entry.kind == ControlKind::CheckBox || entry.kind == ControlKind::RadioButton) {
                EXPECT_EQ(narrow(textOf(w)), entry.caption);
            }
            if (entry.kind == ControlKind::RadioButton) {
                std::set<int> group;
                for (const ControlSpec& other : pageControls(page)) {
                    if (other.kind == ControlKind::RadioButton && other.group == entry.group)
                        group.insert(other.id);
                }
                EXPECT_EQ(dialogGroup(window->controls().page(page), w), group);
            }
        }
    }
}

// Typing into an edit runs its page's rule, as a user's keys would.
TEST_F(WindowTest, TypingRunsThePageRules) {
    struct Case {
        PageId page;
        int id;
        const wchar_t* typed;
        std::vector<std::pair<int, const char*>> shown;
    };
    const Case cases[] = {
        {PageId::Expert, 1277, L"45", {{1277, "30"}}},
        {PageId::Expert, 1286, L"-2000", {{1286, "-1800"}}},
        {PageId::Wake, 1229, L"25", {{1229, "20"}, {1230, "0"}, {1231, "0"}}},
        {PageId::GPS, 1248, L"45000", {{1248, "30000"}}},
        {PageId::GPS, 1249, L"55", {{1249, "55."}, {1251, "55"}, {1253, "0"}}},
        {PageId::Sensors, 1278, L"9", {{1278, "7"}}},
        {PageId::Internet, 1254, L"12x3", {{1254, "123"}}},  // digits only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        replace(c.page, c.id, c.typed);
        for (const auto& [id, want] : c.shown) EXPECT_EQ(text(c.page, id), want) << id;
    }
    // The slider follows the level typed: 7 is its top end.
    EXPECT_EQ(window->controls().sliderPosition(PageId::Sensors, 1276), 1);

    // Lower bounds wait for the focus to leave the edit.
    replace(PageId::GPS, 1248, L"25");
    EXPECT_EQ(text(PageId::GPS, 1248), "25");
    SetFocus(item(PageId::GPS, 1238));
    EXPECT_EQ(text(PageId::GPS, 1248), "300");
    replace(PageId::Internet, 1261, L"0");
    replace(PageId::Internet, 1262, L"5");
    EXPECT_EQ(text(PageId::Internet, 1262), "5");
    SetFocus(item(PageId::Internet, 1263));
    EXPECT_EQ(text(PageId::Internet, 1262), "15");

    // Clicks: the period and the alarms exclude each other.
    showTab(PageId::Wake);
    if (!checked(PageId::Wake, 1202)) click(PageId::Wake, 1202);
    if (checked(PageId::Wake, 1228)) click(PageId::Wake, 1228);
    click(PageId::Wake, 1228);
    EXPECT_FALSE(checked(PageId::Wake, 1202));
    click(PageId::Wake, 1228);
    EXPECT_TRUE(checked(PageId::Wake, 1202));
}

TEST_F(WindowTest, TabsShowOnePageAtATime) {
    showTab(PageId::GPS);
    EXPECT_EQ(visiblePages(), std::vector<HWND>{window->controls().page(PageId::GPS)});
    showTab(PageId::Expert);
    EXPECT_EQ(visiblePages(), std::vector<HWND>{window->controls().page(PageId::Expert)});
}

// A preset button and the model menu reach the editor and show the image.
TEST_F(WindowTest, PresetsAndTheModelMenu) {
    click(PageId::Window, 1994);  // "Поиск": a wake-up every 15 minutes
    EXPECT_EQ(text(PageId::Wake, 1231), "15");
    EXPECT_EQ(text(PageId::Wake, 1230), "0");

    // The model menu opens under its arrow with the edited model checked; a
    // choice made with the keyboard sets the model and the button's text.
    command(ID_MODEL_RQ10);
    ASSERT_EQ(window->editor().editedModel(), kModelRQ10);
    EXPECT_EQ(modelButtonText(), L"RQ10");
    EXPECT_FALSE(window->controls().enabled(PageId::Window, 1995));  // no Tracker preset

    RECT arrow;
    SendMessageW(window->toolbar(), TB_GETITEMRECT, 8, reinterpret_cast<LPARAM>(&arrow));
    std::vector<bool> marks;
    HWND popup = nullptr;
    duringModal(
        [&] {
            SendMessageW(window->toolbar(), WM_LBUTTONDOWN, MK_LBUTTON,
                         MAKELPARAM(arrow.right - 4, (arrow.top + arrow.bottom) / 2));
        },
        [&] {
            popup = FindWindowW(L"#32768", nullptr);
            return popup && IsWindowVisible(popup);
        },
        [&] {
            auto* menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
            for (UINT cmd : {ID_MODEL_RQ30, ID_MODEL_RQ10, ID_MODEL_RQ20})
                marks.push_back(GetMenuState(menu, cmd, MF_BYCOMMAND) & MF_CHECKED);
            // Down to the third item, "RQ20", and take it; without a menu, end
            // whatever holds the loop.
            if (!popup) EndMenu();
            for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
                PostMessageW(popup, WM_KEYDOWN, key, 0);
                PostMessageW(popup, WM_KEYUP, key, 0xC0000001);
            }
        });
    SendMessageW(window->toolbar(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(marks, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(window->editor().editedModel(), kModelRQ20);
    EXPECT_EQ(modelButtonText(), L"RQ20");
}

// Enter does nothing; Escape and "Выход" close the window.
TEST_F(WindowTest, EnterStaysEscapeCloses) {
    command(IDOK);
    EXPECT_TRUE(IsWindow(hwnd));
    command(IDCANCEL);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window->hwnd(), nullptr);

    window = std::make_unique<CGPS_QConfigDlg>(port);
    hwnd = window->create();
    command(ID_FILE_EXIT);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, AboutBoxFromTheSystemMenu) {
    std::wstring caption, product, button;
    bool icon = false;
    HWND about = nullptr;
    duringModal([&] { SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
                [&] { return (about = findThreadWindow(L"О проекте QuelterConfig")) != nullptr; },
                [&] {
                    if (!about) {
                        // Whatever holds the modal loop, it ends it.
                        SendMessageW(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
                        return;
                    }
                    caption = textOf(about);
                    for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                        if (GetDlgCtrlID(c) == IDOK) button = textOf(c);
                        if (className(c) != L"Static") continue;
                        if ((style(c) & SS_TYPEMASK) == SS_ICON)
                            icon = SendMessageW(c, STM_GETICON, 0, 0) != 0;
                        else
                            product = textOf(c);
                    }
                    // Escape, as the keyboard sends it to a dialog.
                    MSG escape{about, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
                    IsDialogMessageW(about, &escape);
                });
    EXPECT_EQ(caption, L"О проекте QuelterConfig");
    EXPECT_EQ(product, L"QuelterConfigurator, версия 2.0");
    EXPECT_EQ(button, L"ОК");
    EXPECT_TRUE(icon);
    // The main window goes on as it was.
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_EQ(window->paneText(2), L"Версия прошивки:");
}

// The two hint tables reach their controls, with their line breaks; labels
// have none.
TEST_F(WindowTest, TooltipsCarryTheHints) {
    HWND mainPage = window->controls().page(PageId::Main);
    HWND windowTips = window->presetTooltip();
    HWND pageTips = window->mainPageTooltip();
    ASSERT_TRUE(windowTips && pageTips);
    for (const ControlHint& hint : presetHints())
        EXPECT_EQ(tipText(windowTips, hwnd, item(PageId::Window, hint.id)), widen(hint.text));
    for (const ControlHint& hint : mainPageHints())
        EXPECT_EQ(tipText(pageTips, mainPage, item(PageId::Main, hint.id)), widen(hint.text));
    EXPECT_EQ(tipText(pageTips, mainPage, item(PageId::Main, 1131)), L"");
}

// Save and Open through the path a file dialog would give (one with Cyrillic
// letters): what was typed comes back, the model too.
TEST_F(WindowTest, SaveAndOpenThroughAGivenPath) {
    const std::wstring path = tempPath(L"настройки трекера.ini");
    DeleteFileW(path.c_str());
    std::wstring chosen = path;
    window->setFileChooser([&](HWND, bool, const std::wstring&) { return chosen; });

    replace(PageId::Main, 1031, L"79161234567");
    replace(PageId::Main, 1034, L"Маша");
    command(ID_MODEL_RQ20);
    command(ID_TOOL_SAVE);
    EXPECT_EQ(window->paneText(1), L"Настройки успешно сохранены в файл");
    EXPECT_EQ(window->paneColour(1), kGreen);
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    replace(PageId::Main, 1031, L"1");
    replace(PageId::Main, 1034, L"x");
    command(ID_MODEL_RQ30);
    command(ID_FILE_OPEN);
    EXPECT_EQ(window->paneText(1), L"Файл открыт успешно");
    EXPECT_EQ(text(PageId::Main, 1031), "79161234567");
    EXPECT_EQ(text(PageId::Main, 1034), "Маша");
    EXPECT_EQ(window->editor().editedModel(), kModelRQ20);
    EXPECT_EQ(modelButtonText(), L"RQ20");

    // A dialog cancelled: the red text of the command.
    chosen.clear();
    command(ID_FILE_SAVE);
    EXPECT_EQ(window->paneText(1), L"Ошибка сохранения настроек");
    EXPECT_EQ(window->paneColour(1), kRed);
    DeleteFileW(path.c_str());
}

// "Restore from a backup": the dialog starts in the backups folder of the
// user's local data, and the chosen backup opens like a settings file.
TEST_F(WindowTest, RestoreOpensABackupFromTheBackupsFolder) {
    std::wstring offered;
    window->setFileChooser([&](HWND, bool save, const std::wstring& folder) {
        offered = folder;
        if (save) return std::wstring();
        const std::wstring path = folder + L"\\2026-12-10T14-03-22-RQ10.ini";
        const char ini[] = "[GPS Quelter Config file]\r\nBootVersion=112\r\nQuelterName=Q-07\r\n";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, ini, sizeof ini - 1, &written, nullptr);
        CloseHandle(file);
        return path;
    });

    command(ID_FILE_RESTORE);

    EXPECT_NE(offered.find(L"\\quelter-config\\backups"), std::wstring::npos) << narrow(offered);
    EXPECT_EQ(window->paneText(1), L"Файл открыт успешно");
    EXPECT_EQ(text(PageId::Main, 1034), "Q-07");
    EXPECT_EQ(modelButtonText(), L"RQ10");
    DeleteFileW((offered + L"\\2026-12-10T14-03-22-RQ10.ini").c_str());
}

// The result pane as drawn: its colour behind the text's own cells only.
TEST_F(WindowTest, ResultPaneColoursItsTextOnly) {
    window->setFileChooser([](HWND, bool, const std::wstring&) { return std::wstring(); });
    command(ID_FILE_SAVE);  // cancelled: red
    HWND status = window->statusBar();
    RedrawWindow(status, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pumpPending();
    RECT pane;
    SendMessageW(status, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&pane));
    HDC dc = GetDC(status);
    SIZE size{};
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(status, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, window->paneText(1).c_str(),
                          static_cast<int>(window->paneText(1).size()), &size);
    SelectObject(dc, old);
    int red = 0, samples = 0;
    for (int x = pane.left + 3; x < pane.left + 2 + size.cx; x += 2)
        for (int y = pane.top + 1; y < pane.top + size.cy; y += 2, ++samples)
            if (GetPixel(dc, x, y) == kRed) ++red;
    const COLORREF pastText = GetPixel(dc, pane.right - 4, pane.top + size.cy / 2);
    ReleaseDC(status, dc);
    EXPECT_GT(red, samples / 2);  // the rest are the letters
    EXPECT_NE(pastText, kRed);
}

// A Write of what was typed, then a Read that brings it back, through the
// window's own serial port: COM2, mapped onto the Linux simulator's
// pseudo-terminal (COM1 does not open).
TEST_F(WindowTest, WriteAndReadTheSimulatorThroughACOMPort) {
    ASSERT_NE(std::getenv("QUELTER_TEST_COM"), nullptr) << "no simulator on a COM port";
    replace(PageId::Main, 1031, L"79161234567");
    replace(PageId::Main, 1034, L"Маша");
    replace(PageId::Expert, 1280, L"17");
    command(ID_TOOL_WRITE);
    ASSERT_TRUE(exchangeEnds());
    EXPECT_EQ(window->paneColour(1), kGreen) << narrow(window->paneText(1));
    // Pane 0 names the backup the Write made first.
    const std::wstring backup = window->paneText(0);
    EXPECT_EQ(backup.rfind(L"Резервная копия: ", 0), 0u) << narrow(backup);
    // Another backup in the same second gets "-2" after the model.
    EXPECT_NE(backup.find(L"-RQ30"), std::wstring::npos) << narrow(backup);
    EXPECT_EQ(backup.substr(backup.size() - 4), L".bin") << narrow(backup);

    replace(PageId::Main, 1031, L"1");
    replace(PageId::Main, 1034, L"x");
    replace(PageId::Expert, 1280, L"2");
    window->showResult("", ResultColour::Green);
    command(ID_DEVICE_READ);
    ASSERT_TRUE(exchangeEnds());
    EXPECT_EQ(window->paneText(1), L"Параметры прочитаны успешно");
    EXPECT_EQ(window->paneColour(1), kGreen);
    EXPECT_EQ(window->paneText(2), L"Версия прошивки:3.5.0.12");
    EXPECT_EQ(text(PageId::Main, 1031), "79161234567");
    EXPECT_EQ(text(PageId::Main, 1034), "Маша");
    EXPECT_EQ(text(PageId::Expert, 1280), "17");
    EXPECT_FALSE(port.isOpen());
}

// The title names the file and marks edits; closing, Read, Open and Reset
// ask before edits are lost, and Reset always asks.
TEST_F(WindowTest, UnsavedEditsAreNeverLostWithoutAQuestion) {
    EXPECT_EQ(textOf(hwnd), kCaption);
    replace(PageId::Main, 1034, L"Дача");
    EXPECT_EQ(textOf(hwnd), L"*" + kCaption);

    answers = {Answer::Cancel};
    command(IDCANCEL);
    EXPECT_TRUE(IsWindow(hwnd));
    answers = {Answer::No};  // no factory configuration after all
    command(ID_DEVICE_RESET);
    EXPECT_FALSE(window->editor().busy());
    answers = {Answer::Cancel};
    command(ID_DEVICE_READ);
    EXPECT_FALSE(window->editor().busy());
    EXPECT_EQ(asked, (std::vector<Question>{Question::SaveEdits, Question::ConfirmReset,
                                            Question::SaveEdits}));

    // "Save" as the answer: the file is written, and the title names it.
    const std::wstring path = tempPath(L"дача.ini");
    DeleteFileW(path.c_str());
    window->setFileChooser([&](HWND, bool save, const std::wstring&) {
        return save ? path : std::wstring();
    });
    asked.clear();
    answers = {Answer::Yes};
    command(ID_FILE_OPEN);  // asks, saves, then the open dialog is cancelled
    EXPECT_EQ(asked, std::vector<Question>{Question::SaveEdits});
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(textOf(hwnd), L"дача.ini — " + kCaption);

    // Typed back to what was saved: nothing to lose, nothing asked.
    replace(PageId::Main, 1034, L"Гараж");
    EXPECT_EQ(textOf(hwnd), L"*дача.ini — " + kCaption);
    replace(PageId::Main, 1034, L"Дача");
    EXPECT_EQ(textOf(hwnd), L"дача.ini — " + kCaption);
    asked.clear();
    command(ID_FILE_EXIT);
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(IsWindow(hwnd));
    DeleteFileW(path.c_str());
}

// The question box itself: the question's words, the safest answer on Enter,
// Escape as Cancel or, without one, No.
TEST_F(WindowTest, QuestionBoxSpeaksTheQuestionsWords) {
    for (Question question : {Question::SaveEdits, Question::ConfirmReset, Question::StopWrite}) {
        const QuestionText& q = questionText(question);
        std::vector<std::wstring> buttons;
        std::wstring caption, text;
        int defaultButton = 0;
        HWND box = nullptr;
        Answer answer = Answer::Yes;
        duringModal(
            [&] { answer = CQuestionDlg::ask(hwnd, question); },
            [&] {
                box = GetLastActivePopup(hwnd);
                return box != hwnd && IsWindowVisible(box) &&
                       GetDlgItem(box, IDC_QUESTION_TEXT) != nullptr;
            },
            [&] {
                if (box == hwnd) box = GetLastActivePopup(hwnd);
                caption = textOf(box);
                text = textOf(GetDlgItem(box, IDC_QUESTION_TEXT));
                for (int id : {IDYES, IDNO, IDCANCEL})
                    if (style(GetDlgItem(box, id)) & WS_VISIBLE)
                        buttons.push_back(textOf(GetDlgItem(box, id)));
                defaultButton = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
                MSG escape{GetDlgItem(box, IDYES), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
                IsDialogMessageW(box, &escape);
            });
        std::vector<std::wstring> expected{widen(q.yes), widen(q.no)};
        if (q.cancel) expected.push_back(widen(q.cancel));
        EXPECT_EQ(caption, kCaption);
        EXPECT_EQ(text, widen(q.text));
        EXPECT_EQ(buttons, expected);
        EXPECT_EQ(defaultButton, q.safest == Answer::Yes ? IDYES : IDNO) << narrow(text);
        EXPECT_EQ(answer, q.cancel ? Answer::Cancel : Answer::No) << narrow(text);
    }
}

// Ctrl+O, Ctrl+S, Ctrl+R and Ctrl+Shift+W from wherever the focus is; every
// menu has its mnemonics, and the model menu is in the menu bar too.
TEST_F(WindowTest, KeyboardReachesEveryCommand) {
    ACCEL keys[8] = {};
    const int count = CopyAcceleratorTableW(window->accelerators(), keys, 8);
    std::set<std::pair<int, int>> table;
    for (int i = 0; i < count; ++i)
        table.insert({keys[i].cmd, keys[i].key | ((keys[i].fVirt & ~FNOINVERT) << 16)});
    const int ctrl = (FVIRTKEY | FCONTROL) << 16;
    EXPECT_EQ(table, (std::set<std::pair<int, int>>{{ID_FILE_OPEN, ctrl | 'O'},
                                                   {ID_FILE_SAVE, ctrl | 'S'},
                                                   {ID_DEVICE_READ, ctrl | 'R'},
                                                   {ID_DEVICE_WRITE, ctrl | (FSHIFT << 16) | 'W'}}));

    // Ctrl+S typed in an edit of a page.
    std::vector<bool> dialogs;
    window->setFileChooser([&](HWND, bool save, const std::wstring&) {
        dialogs.push_back(save);
        return std::wstring();
    });
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    MSG ctrlS{item(PageId::Main, 1034), WM_KEYDOWN, 'S', 1, 0, {}};
    EXPECT_TRUE(window->preTranslate(ctrlS));
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    EXPECT_EQ(dialogs, std::vector<bool>{true});

    HMENU bar = GetMenu(hwnd);
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
        EXPECT_NE(menuText(bar, i).find(L'&'), std::wstring::npos) << narrow(menuText(bar, i));
    HMENU device = GetSubMenu(bar, 1);
    const int last = GetMenuItemCount(device) - 1;
    EXPECT_EQ(menuText(device, last), L"&Модель устройства");
    HMENU models = GetSubMenu(device, last);
    ASSERT_NE(models, nullptr);
    command(ID_MODEL_RQ20);
    SendMessageW(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(models), last);
    std::vector<bool> marks;
    for (UINT cmd : {ID_MODEL_RQ30, ID_MODEL_RQ10, ID_MODEL_RQ20})
        marks.push_back(GetMenuState(models, cmd, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(marks, (std::vector<bool>{false, false, true}));
}

// A settings file dropped on the window opens (after the question about
// edits), and the title names it.
TEST_F(WindowTest, ADroppedSettingsFileOpens) {
    const std::wstring path = tempPath(L"с кабеля.ini");
    window->setFileChooser([&](HWND, bool, const std::wstring&) { return path; });
    replace(PageId::Main, 1034, L"Склад");
    command(ID_FILE_SAVE);
    replace(PageId::Main, 1034, L"x");

    SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(path)), 0);
    EXPECT_EQ(asked, std::vector<Question>{Question::SaveEdits});
    EXPECT_EQ(window->paneText(1), L"Файл открыт успешно");
    EXPECT_EQ(text(PageId::Main, 1034), "Склад");
    EXPECT_EQ(textOf(hwnd), L"с кабеля.ini — " + kCaption);
    DeleteFileW(path.c_str());
}

// A link whose port 1 opens and never answers: the scan waits out its
// silence there, then finds no tracker.
class SilentLink final : public NoPorts {
  public:
    int open(int portNumber, int) override {
        open_ = portNumber == 1;
        return open_ ? 0 : 1;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

  private:
    bool open_ = false;
};

// While an exchange runs, the commands that would disturb it are offered
// nowhere, and the result pane counts the blocks; all come back at its end.
TEST(WindowBusy, CommandsWaitForTheExchange) {
    SilentLink link;
    CGPS_QConfigDlg window(link);
    HWND hwnd = window.create();
    ASSERT_NE(hwnd, nullptr);
    auto commandsOffered = [&](bool offered) {
        for (int id : {ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_RESTORE, ID_DEVICE_READ, ID_DEVICE_WRITE,
                       ID_DEVICE_RESET, ID_MODEL_RQ10})
            EXPECT_EQ(menuEnabled(hwnd, id), offered) << id;
        EXPECT_TRUE(menuEnabled(hwnd, ID_FILE_EXIT));
        for (int index : {0, 1, 3, 4, 6, 8})
            EXPECT_EQ(toolButtonEnabled(window.toolbar(), index), offered) << index;
        for (int preset : {1991, 1995})
            EXPECT_EQ(IsWindowEnabled(window.controls().control(PageId::Window, preset)) != 0,
                      offered)
                << preset;
    };

    SendMessageW(hwnd, WM_COMMAND, ID_DEVICE_READ, 0);
    ASSERT_TRUE(window.editor().busy());
    commandsOffered(false);
    EXPECT_EQ(window.progressText(), L"Чтение: блок 0 из 12");
    // The page logic still knows "Трекер" as enabled for the RQ30.
    EXPECT_TRUE(window.controls().enabled(PageId::Window, 1995));
    // A command that comes all the same changes nothing.
    SendMessageW(hwnd, WM_COMMAND, ID_MODEL_RQ10, 0);
    EXPECT_EQ(window.editor().editedModel(), kModelRQ30);

    ASSERT_TRUE(pumpUntil([&] { return !window.editor().busy(); }, 30000, hwnd));
    commandsOffered(true);
    EXPECT_EQ(window.progressText(), L"");
    EXPECT_EQ(window.paneText(1), L"Подключения GPS Quelter к ПК не обнаружено");
    window.close();
}

// A link that never finds a tracker and keeps the arrival notify it is given.
class NotifyKeeper final : public NoPorts {
  public:
    void setArrivalNotify(ArrivalNotify n, void* c) override {
        notify = n;
        context = c;
    }
    ArrivalNotify notify = nullptr;
    void* context = nullptr;
};

// The window wakes on arrivals while it lives, and takes its notify back
// when it goes: a reader thread must never call into a window that is gone.
TEST(WindowArrivals, TheNotifyLivesWithTheWindow) {
    NotifyKeeper link;
    auto window = std::make_unique<CGPS_QConfigDlg>(link);
    ASSERT_NE(window->create(), nullptr);
    ASSERT_NE(link.notify, nullptr);
    // Called from another thread, as a port's reader calls it, many times.
    std::thread reader([&] {
        for (int i = 0; i < 1000; ++i) link.notify(link.context);
    });
    reader.join();
    pumpPending();
    window->close();
    EXPECT_EQ(link.notify, nullptr);
}

// The program itself: one .exe that starts with its caption and closes.
// Named on the command line (an .ini opened with it), a settings file opens
// at start-up and names the window.
TEST(Program, StartsWithItsCaptionAndCloses) {
    const char* exe = std::getenv("QUELTER_CONFIG_EXE");
    ASSERT_NE(exe, nullptr) << "QUELTER_CONFIG_EXE names quelter-config.exe";
    const std::wstring settings = tempPath(L"при запуске.ini");
    {
        HANDLE file = CreateFileW(settings.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        const char ini[] = "[GPS Quelter Config file]\r\nBootVersion=128\r\n";
        DWORD written = 0;
        WriteFile(file, ini, sizeof ini - 1, &written, nullptr);
        CloseHandle(file);
    }
    std::wstring commandLine = L"\"" + widen(exe) + L"\" \"" + settings + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    HWND found = nullptr;
    const std::wstring title = L"при запуске.ini — " + kCaption;
    pumpUntil([&] { return (found = FindWindowW(nullptr, title.c_str())); }, 30000);
    ASSERT_NE(found, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    EXPECT_EQ(owner, process.dwProcessId);
    PostMessageW(found, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileW(settings.c_str());
}

}  // namespace

#include "editor/win32/gps_qconfig_dlg.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "config/models.h"
#include "config/result_colour.h"
#include "editor/control_hints.h"
#include "editor/win32/about_dlg.h"
#include "editor/win32/question_dlg.h"
#include "editor/win32/resource.h"
#include "editor/win32/wide_text.h"
#include "editor/win32/window_images.h"
#include "link/status_texts.h"
#include "settings/settings_file.h"
#include "settings/tracker_backup.h"

namespace {

constexpr UINT_PTR kTickTimer = 22;
constexpr UINT kTickMs = 20;
// Posted by the port's reader thread: bytes have arrived.
constexpr UINT kArrivalMessage = WM_APP + 1;

struct PageTemplate {
    PageId page;
    int templateId;
    const wchar_t* caption;
};
// In tab order.
constexpr PageTemplate kPages[6] = {
    {PageId::Main, IDD_MAIN_PAGE, L"Основные"},
    {PageId::Wake, IDD_WAKE_PAGE, L"Будильники"},
    {PageId::GPS, IDD_GPS_PAGE, L"GPS"},
    {PageId::Internet, IDD_INTERNET_PAGE, L"Интернет"},
    {PageId::Sensors, IDD_SENSORS_PAGE, L"Датчики"},
    {PageId::Expert, IDD_EXPERT_PAGE, L"Эксперт"},
};

struct ToolButton {
    int image;
    int command;
    BYTE style;
    const wchar_t* text;  // shown by the buttons that show text, a tooltip on the others
};
constexpr int kModelDropIndex = 8;
constexpr int kModelButtonIndex = 9;
constexpr ToolButton kToolButtons[] = {
    {0, ID_TOOL_OPEN, BTNS_BUTTON | BTNS_AUTOSIZE, L"Открыть файл настроек GPS Quelter"},
    {1, ID_TOOL_SAVE, BTNS_BUTTON | BTNS_AUTOSIZE, L"Сохранить текущие настройки в файл"},
    {0, 0, BTNS_SEP, nullptr},
    {2, ID_TOOL_READ, BTNS_BUTTON | BTNS_AUTOSIZE,
     L"Прочитать текущие настройки в подключенном GPS Quelter (Может потребоваться кабель "
     L"T3Link)"},
    {3, ID_TOOL_WRITE, BTNS_BUTTON | BTNS_AUTOSIZE,
     L"Записать текущие настройки в подключенный GPS Quelter (Может потребоваться кабель "
     L"T3Link)"},
    {0, 0, BTNS_SEP, nullptr},
    {4, ID_TOOL_RESET, BTNS_BUTTON | BTNS_AUTOSIZE,
     L"Выставить текущие настройки GPS Quelter по-умолчанию"},
    {0, 0, BTNS_SEP, nullptr},
    {I_IMAGENONE, ID_TOOL_MODEL, BTNS_DROPDOWN | BTNS_SHOWTEXT | BTNS_AUTOSIZE,
     L"Модель устройства:"},
    // Its text is the model's name, set at start-up.
    {I_IMAGENONE, ID_TOOL_MODEL, BTNS_SHOWTEXT | BTNS_AUTOSIZE, L""},
};

struct ModelItem {
    int command;
    int model;
};
constexpr ModelItem kModelItems[3] = {
    {ID_MODEL_RQ30, kModelRQ30},
    {ID_MODEL_RQ10, kModelRQ10},
    {ID_MODEL_RQ20, kModelRQ20},
};

// Status panes 0 and 1 as wide as on the template's 8-point font, where a
// character is 6 pixels wide on average; pane 2 takes the rest.
constexpr int kPane0Pixels = 50;
constexpr int kPane1Pixels = 250;
constexpr int kTemplateBaseX = 6;
constexpr int kPaneIndent = 2;

constexpr int kTimeZoneList = 1053;

// The commands of the menu that would disturb a running exchange; "Выход"
// stays, and asks.
constexpr int kExchangeCommands[] = {ID_FILE_OPEN,   ID_FILE_SAVE,    ID_FILE_RESTORE,
                                     ID_DEVICE_READ, ID_DEVICE_WRITE, ID_DEVICE_RESET,
                                     ID_MODEL_RQ30,  ID_MODEL_RQ10,   ID_MODEL_RQ20};
constexpr int kPresetButtons[] = {1991, 1992, 1993, 1994, 1995};
// The bar behind the progress text.
constexpr COLORREF kProgressColour = RGB(160, 200, 255);

// The open list of a drop-down as wide as its widest item, so long time-zone
// names read whole; the closed box keeps its template width.
void fitDroppedList(HWND combo) {
    if (!combo) return;
    HDC dc = GetDC(combo);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    int widest = 0;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    std::wstring item;
    for (int i = 0; i < count; ++i) {
        item.assign(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                    L'\0');
        const int length = static_cast<int>(
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data())));
        SIZE size{};
        GetTextExtentPoint32W(dc, item.c_str(), std::max(length, 0), &size);
        widest = std::max<int>(widest, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    // Room for the list's border and its scroll bar.
    const int room = 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL) + 8;
    SendMessageW(combo, CB_SETDROPPEDWIDTH, widest + room, 0);
}

// The model a model menu checks: the model edited, or "RQ30" for a model
// of no name.
int checkedModel(int model) {
    return modelName(model) ? model : kModelRQ30;
}

COLORREF fromRgb(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

}  // namespace

CGPS_QConfigDlg::CGPS_QConfigDlg(SerialLink& link)
    : link_(link), chooseFile_(&CGPS_QConfigDlg::chooseSettingsFile), ask_(&CQuestionDlg::ask) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    panes_[0] = {L"", face};
    panes_[1] = {L"", fromRgb(kResultGreenRgb)};
    panes_[2] = {L"Версия прошивки:", face};
}

CGPS_QConfigDlg::~CGPS_QConfigDlg() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void CGPS_QConfigDlg::runModal(const std::wstring& startFile) {
    if (!create()) return;
    openFile(startFile);
    MSG msg;
    while (hwnd_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool CGPS_QConfigDlg::preTranslate(MSG& msg) {
    if (!hwnd_) return false;
    // The shortcuts work from every control of the window, pages included,
    // and not from another window (a question box, the About box).
    const bool ours = msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd);
    if (ours && accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_, &msg)) return true;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

HWND CGPS_QConfigDlg::create() {
    HWND w = CreateDialogParamW(instance(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, windowProc,
                                reinterpret_cast<LPARAM>(this));
    if (w) ShowWindow(w, SW_SHOW);
    return w;
}

void CGPS_QConfigDlg::close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void CGPS_QConfigDlg::openFile(const std::wstring& path) {
    if (editor_ && !path.empty()) editor_->openSettingsFile(narrow(path));
}

INT_PTR CALLBACK CGPS_QConfigDlg::windowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CGPS_QConfigDlg*>(lParam);
        SetWindowLongPtrW(w, DWLP_USER, lParam);
        self->hwnd_ = w;
        self->setUp();
        return TRUE;
    }
    auto* self = reinterpret_cast<CGPS_QConfigDlg*>(GetWindowLongPtrW(w, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(w, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return self->onMessage(message, wParam, lParam);
}

INT_PTR CALLBACK CGPS_QConfigDlg::pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        return FALSE;  // the focus stays where the main window puts it
    }
    const auto* context = reinterpret_cast<const PageContext*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!context) return FALSE;
    Win32Controls& controls = context->window->controls_;
    switch (message) {
        case WM_COMMAND:
            controls.onCommand(context->page, wParam, lParam);
            break;
        case WM_NOTIFY:
            controls.onNotify(context->page, *reinterpret_cast<const NMHDR*>(lParam));
            break;
        case WM_VSCROLL:
        case WM_HSCROLL:
            controls.onScroll(context->page, wParam, lParam);
            break;
        default:
            break;
    }
    return FALSE;
}

INT_PTR CGPS_QConfigDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            auto* from = reinterpret_cast<HWND>(lParam);
            // A control of the window's own (the preset buttons), or a
            // command of the menu or the toolbar.
            if (from && from != toolbar_)
                controls_.onCommand(PageId::Window, wParam, lParam);
            else
                onCommand(LOWORD(wParam));
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGING) {
                showPage(TabCtrl_GetCurSel(tabs_), false);
                SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, FALSE);  // the change may go on
                return TRUE;
            }
            if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
                showPage(TabCtrl_GetCurSel(tabs_), true);
                return TRUE;
            }
            if (header.hwndFrom == toolbar_ && header.code == TBN_DROPDOWN) {
                onDropDown();
                SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TBDDRET_DEFAULT);
                return TRUE;
            }
            return FALSE;
        }
        case kArrivalMessage:
            // Every arrival signalled up to here is handled now; one that
            // comes meanwhile posts the next wake-up.
            arrivalPosted_.store(false);
            if (editor_) editor_->onArrival();
            return TRUE;
        case WM_TIMER:
            if (wParam != kTickTimer) return FALSE;
            // One-shot: the engine arms the next tick itself.
            KillTimer(hwnd_, kTickTimer);
            tickArmed_ = false;
            if (editor_) editor_->onTick();
            return TRUE;
        case WM_INITMENUPOPUP:
            checkEditedModel(reinterpret_cast<HMENU>(wParam));
            return FALSE;
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_DRAWITEM:
            if (wParam != IDC_STATUS) return FALSE;
            drawPane(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return FALSE;
            CAboutDlg::run(hwnd_);
            return TRUE;
        case WM_SIZE:
            if (toolbar_) SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
            if (status_) SendMessageW(status_, WM_SIZE, wParam, lParam);
            return FALSE;
        case WM_DESTROY:
            tearDown();
            return FALSE;
        default:
            return FALSE;
    }
}

void CGPS_QConfigDlg::setUp() {
    controls_.attachPage(PageId::Window, hwnd_);

    // The About item in the system menu, when its text is there.
    wchar_t about[128] = {};
    if (LoadStringW(instance(), IDS_ABOUTBOX, about, 128) > 0) {
        HMENU system = GetSystemMenu(hwnd_, FALSE);
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, IDM_ABOUTBOX, about);
    }

    bigIcon_ =
        static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    tabs_ = GetDlgItem(hwnd_, IDC_TABS);
    makePages();

    logo_ = loadBitmapOn(instance(), IDB_LOGO, GetSysColor(COLOR_BTNFACE));
    SendDlgItemMessageW(hwnd_, IDC_LOGO, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(logo_));

    makeStatusLine();
    makeToolbar();
    makeRoomForBars();

    // The bars are there for what the editor reports from its start-up on.
    editor_ = std::make_unique<CConfigEditor>(controls_, *this, link_);
    controls_.setSink(editor_.get());
    link_.setArrivalNotify(&CGPS_QConfigDlg::signalArrival, this);
    editor_->startUp();
    setModelButtonText(modelName(editor_->editedModel()) ? modelName(editor_->editedModel()) : "");
    fitDroppedList(controls_.control(PageId::Main, kTimeZoneList));

    makeTooltips();
    accelerators_ = LoadAcceleratorsW(instance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    // A settings file dropped anywhere on the window opens.
    DragAcceptFiles(hwnd_, TRUE);
}

void CGPS_QConfigDlg::makePages() {
    for (int i = 0; i < 6; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<wchar_t*>(kPages[i].caption);
        item.lParam = i;
        SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    // The pages fill the tab control's display area, below the tabs.
    RECT area;
    GetClientRect(tabs_, &area);
    TabCtrl_AdjustRect(tabs_, FALSE, &area);
    for (int i = 0; i < 6; ++i) {
        pageContexts_[i] = {this, kPages[i].page};
        HWND page = CreateDialogParamW(instance(), MAKEINTRESOURCEW(kPages[i].templateId), tabs_,
                                       pageProc, reinterpret_cast<LPARAM>(&pageContexts_[i]));
        // A page that cannot be made is absent from its tab.
        if (!page) continue;
        pages_[i] = page;
        controls_.attachPage(kPages[i].page, page);
        EnableThemeDialogTexture(page, ETDT_ENABLETAB);
        SetWindowPos(page, nullptr, area.left, area.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(page, i == 0 ? SW_SHOW : SW_HIDE);
    }
}

void CGPS_QConfigDlg::showPage(int tab, bool show) {
    if (tab >= 0 && tab < 6 && pages_[tab]) ShowWindow(pages_[tab], show ? SW_SHOW : SW_HIDE);
}

void CGPS_QConfigDlg::makeStatusLine() {
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                              hwnd_, reinterpret_cast<HMENU>(IDC_STATUS), instance(), nullptr);
    // The widths follow the font, and pane 1 holds the longest result whole.
    RECT units{0, 0, 4, 8};
    MapDialogRect(hwnd_, &units);
    const int baseX = std::max<int>(units.right, 1);
    const int pane0 = MulDiv(kPane0Pixels, baseX, kTemplateBaseX);
    int pane1 = MulDiv(kPane1Pixels, baseX, kTemplateBaseX);
    HDC dc = GetDC(status_);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(status_, WM_GETFONT, 0, 0)));
    char checkFailed[96];
    std::snprintf(checkFailed, sizeof checkFailed, kTextCheckFailedFormat,
                  static_cast<int>(kDeviceBlockSize));
    const std::string checkFailedText = checkFailed;
    for (const char* text : {kTextNoConnection, kTextReadOk, kTextBadModel, kTextIncompatible,
                             kTextWriteOk, kTextInterrupted, kSettingsSavedText,
                             kSettingsSaveFailedText, kSettingsOpenedText, kSettingsOpenFailedText,
                             OpenedModelKeptText(kModelRQ30).c_str(), checkFailedText.c_str()}) {
        const std::wstring wide = widen(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        pane1 = std::max<int>(pane1, size.cx + 3 * kPaneIndent + 4);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(status_, dc);
    const int edges[3] = {pane0, pane0 + pane1, -1};
    SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    for (int part = 0; part < 3; ++part)
        SendMessageW(status_, SB_SETTEXTW, part | SBT_OWNERDRAW, part);
}

void CGPS_QConfigDlg::drawPane(const DRAWITEMSTRUCT& item) {
    const UINT part = item.itemID;
    if (part > 2) return;
    // Black text on the pane's colour; only the text's own cells are
    // coloured, so an empty text shows no colour.
    SetTextColor(item.hDC, RGB(0, 0, 0));
    SetBkColor(item.hDC, panes_[part].colour);
    SetBkMode(item.hDC, OPAQUE);
    RECT r = item.rcItem;
    if (part == 1 && busy_ && progress_.total > 0) {
        // The blocks done as a bar, the text over it.
        RECT bar = r;
        bar.right = bar.left + MulDiv(r.right - r.left, std::clamp(progress_.done, 0, progress_.total),
                                      progress_.total);
        SetBkColor(item.hDC, kProgressColour);
        ExtTextOutW(item.hDC, 0, 0, ETO_OPAQUE, &bar, nullptr, 0, nullptr);
        SetBkMode(item.hDC, TRANSPARENT);
        r.left += kPaneIndent;
        DrawTextW(item.hDC, progress_.text.c_str(), static_cast<int>(progress_.text.size()), &r,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    r.left += kPaneIndent;
    const std::wstring& text = panes_[part].text;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void CGPS_QConfigDlg::makeToolbar() {
    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0,
        0, hwnd_, reinterpret_cast<HMENU>(IDC_TOOLBAR), instance(), nullptr);
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0,
                 TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);

    toolbarImages_ = ImageList_Create(32, 32, ILC_COLOR24, 5, 0);
    if (HBITMAP strip = loadBitmapOn(instance(), IDB_TOOLBAR, GetSysColor(COLOR_BTNFACE))) {
        ImageList_Add(toolbarImages_, strip, nullptr);
        DeleteObject(strip);
    }
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_));
    // Greyed pictures for the commands disabled while an exchange runs.
    disabledImages_ = ImageList_Create(32, 32, ILC_COLOR24, 5, 0);
    if (HBITMAP strip = loadDisabledBitmapOn(instance(), IDB_TOOLBAR, GetSysColor(COLOR_BTNFACE))) {
        ImageList_Add(disabledImages_, strip, nullptr);
        DeleteObject(strip);
    }
    SendMessageW(toolbar_, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages_));

    TBBUTTON buttons[std::size(kToolButtons)] = {};
    for (std::size_t i = 0; i < std::size(kToolButtons); ++i) {
        const ToolButton& b = kToolButtons[i];
        buttons[i].iBitmap = b.style == BTNS_SEP ? 0 : b.image;
        buttons[i].idCommand = b.command;
        buttons[i].fsState = b.style == BTNS_SEP ? 0 : TBSTATE_ENABLED;
        buttons[i].fsStyle = b.style;
        buttons[i].iString = reinterpret_cast<INT_PTR>(b.text);
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(32, 32));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void CGPS_QConfigDlg::makeRoomForBars() {
    RECT toolbarRect, statusRect, window;
    GetWindowRect(toolbar_, &toolbarRect);
    GetWindowRect(status_, &statusRect);
    const int toolbarHeight = toolbarRect.bottom - toolbarRect.top;
    const int statusHeight = statusRect.bottom - statusRect.top;

    // Everything of the template moves below the toolbar.
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == toolbar_ || child == status_) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(child, nullptr, r.left, r.top + toolbarHeight, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }

    // The window grows by the bars' room, and as wide as the toolbar needs.
    SIZE ideal{};
    SendMessageW(toolbar_, TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&ideal));
    RECT client;
    GetClientRect(hwnd_, &client);
    const int extraWidth = std::max<int>(0, ideal.cx - client.right);
    GetWindowRect(hwnd_, &window);
    const int width = window.right - window.left + extraWidth;
    const int height = window.bottom - window.top + toolbarHeight + statusHeight;
    // Centred on the work area, as the template centres it.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = std::max<int>(work.left, work.left + (work.right - work.left - width) / 2);
    const int y = std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2);
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    SendMessageW(status_, WM_SIZE, 0, 0);
}

void CGPS_QConfigDlg::makeTooltips() {
    // A tooltip per owner: the window for the preset buttons, the Main page
    // for its own controls. Texts break only at their own line breaks.
    auto make = [](HWND owner, PageId page, std::span<const ControlHint> hints,
                   const Win32Controls& controls) {
        HWND tip =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance(), nullptr);
        if (!tip) return tip;
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 0xFFFFFF);
        for (const ControlHint& hint : hints) {
            HWND control = controls.control(page, hint.id);
            if (!control) continue;
            std::wstring text = widen(hint.text);
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = owner;
            tool.uId = reinterpret_cast<UINT_PTR>(control);
            tool.lpszText = text.data();
            SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
        return tip;
    };
    tooltip_ = make(hwnd_, PageId::Window, presetHints(), controls_);
    if (HWND mainPage = controls_.page(PageId::Main))
        pageTooltip_ = make(mainPage, PageId::Main, mainPageHints(), controls_);
}

void CGPS_QConfigDlg::tearDown() {
    KillTimer(hwnd_, kTickTimer);
    tickArmed_ = false;
    // Focus changes while the controls go must not reach a destroyed editor.
    controls_.setSink(nullptr);
    // The editor closes the port, so its reader thread is gone before the
    // notify goes.
    editor_.reset();
    link_.setArrivalNotify(nullptr, nullptr);
    controls_.holdDisabled(PageId::Window, kPresetButtons, false);
    for (int p = 0; p < kPageIdCount; ++p) controls_.attachPage(static_cast<PageId>(p), nullptr);
    if (toolbarImages_) ImageList_Destroy(toolbarImages_);
    if (disabledImages_) ImageList_Destroy(disabledImages_);
    disabledImages_ = nullptr;
    if (logo_) DeleteObject(logo_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    toolbarImages_ = nullptr;
    logo_ = nullptr;
    bigIcon_ = smallIcon_ = nullptr;
}

void CGPS_QConfigDlg::onCommand(int command) {
    if (!editor_) return;
    switch (command) {
        case IDOK:  // Enter: there is no default button to press
            break;
        case IDCANCEL:  // Escape and the close box
        case ID_FILE_EXIT:
            if (editor_->mayClose()) close();
            break;
        case ID_TOOL_OPEN:
        case ID_FILE_OPEN:
            editor_->openSettings();
            break;
        case ID_TOOL_SAVE:
        case ID_FILE_SAVE:
            editor_->saveSettings();
            break;
        case ID_FILE_RESTORE:
            editor_->openBackup();
            break;
        case ID_TOOL_READ:
        case ID_DEVICE_READ:
            editor_->readDevice();
            break;
        case ID_TOOL_WRITE:
        case ID_DEVICE_WRITE:
            editor_->writeDevice();
            break;
        case ID_TOOL_RESET:
        case ID_DEVICE_RESET:
            editor_->resetDevice();
            break;
        case ID_MODEL_RQ30:
        case ID_MODEL_RQ10:
        case ID_MODEL_RQ20:
            for (const ModelItem& item : kModelItems)
                if (item.command == command) editor_->chooseModel(item.model);
            break;
        default:
            break;
    }
}

void CGPS_QConfigDlg::checkEditedModel(HMENU menu) {
    if (!editor_ || GetMenuState(menu, ID_MODEL_RQ30, MF_BYCOMMAND) == static_cast<UINT>(-1))
        return;
    const int checked = checkedModel(editor_->editedModel());
    for (const ModelItem& item : kModelItems)
        CheckMenuItem(menu, item.command,
                      MF_BYCOMMAND | (item.model == checked ? MF_CHECKED : MF_UNCHECKED));
}

HMENU CGPS_QConfigDlg::makeModelMenu(int model) {
    HMENU menu = CreatePopupMenu();
    const int checked = checkedModel(model);
    for (const ModelItem& item : kModelItems) {
        AppendMenuW(menu, MF_STRING | (item.model == checked ? MF_CHECKED : MF_UNCHECKED),
                    static_cast<UINT_PTR>(item.command), widen(modelName(item.model)).c_str());
    }
    return menu;
}

void CGPS_QConfigDlg::onDropDown() {
    if (editor_->busy()) return;
    RECT button;
    SendMessageW(toolbar_, TB_GETITEMRECT, kModelDropIndex, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&button), 2);
    HMENU menu = makeModelMenu(editor_->editedModel());
    const int command = TrackPopupMenuEx(
        menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_VERTICAL,
        button.left, button.bottom, hwnd_, nullptr);
    DestroyMenu(menu);
    int model = 0;  // dismissed: no model
    for (const ModelItem& item : kModelItems)
        if (item.command == command) model = item.model;
    // Also when dismissed: the pages are shown again from the working image.
    editor_->chooseModel(model);
}

void CGPS_QConfigDlg::signalArrival(void* window) {
    auto* self = static_cast<CGPS_QConfigDlg*>(window);
    // Many arrivals before the window's thread runs make one wake-up.
    if (!self->arrivalPosted_.exchange(true)) PostMessageW(self->hwnd_, kArrivalMessage, 0, 0);
}

void CGPS_QConfigDlg::showResult(const std::string& text, ResultColour colour) {
    panes_[1] = {widen(text),
                 fromRgb(colour == ResultColour::Green ? kResultGreenRgb : kResultRedRgb)};
    redrawPane(1);
}

void CGPS_QConfigDlg::redrawPane(int pane) {
    if (status_) SendMessageW(status_, SB_SETTEXTW, pane | SBT_OWNERDRAW, pane);
}

void CGPS_QConfigDlg::showBackup(const std::string& binPath) {
    const std::size_t slash = binPath.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? binPath : binPath.substr(slash + 1);
    panes_[0] = {widen(kBackupNamedText + name), GetSysColor(COLOR_BTNFACE)};
    if (!status_) return;
    HDC dc = GetDC(status_);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(status_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, panes_[0].text.c_str(), static_cast<int>(panes_[0].text.size()),
                          &size);
    SelectObject(dc, oldFont);
    ReleaseDC(status_, dc);
    int edges[3] = {};
    SendMessageW(status_, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    const int grow = size.cx + 3 * kPaneIndent + 4 - edges[0];
    if (grow > 0) {
        edges[0] += grow;
        edges[1] += grow;
        SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
        for (int part = 1; part < 3; ++part)
            SendMessageW(status_, SB_SETTEXTW, part | SBT_OWNERDRAW, part);
    }
    SendMessageW(status_, SB_SETTEXTW, 0 | SBT_OWNERDRAW, 0);
}

void CGPS_QConfigDlg::showVersion(const std::string& text) {
    panes_[2] = {widen(text), GetSysColor(COLOR_BTNFACE)};
    if (status_) SendMessageW(status_, SB_SETTEXTW, 2 | SBT_OWNERDRAW, 2);
}

void CGPS_QConfigDlg::setModelButtonText(const std::string& text) {
    if (!toolbar_) return;
    std::wstring wide = widen(text);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = wide.data();
    SendMessageW(toolbar_, TB_SETBUTTONINFOW, kModelButtonIndex, reinterpret_cast<LPARAM>(&info));
}

void CGPS_QConfigDlg::armTick() {
    // SetTimer on a running timer starts its 20 ms again.
    if (hwnd_ && SetTimer(hwnd_, kTickTimer, kTickMs, nullptr)) tickArmed_ = true;
}

void CGPS_QConfigDlg::cancelTick() {
    if (hwnd_) KillTimer(hwnd_, kTickTimer);
    tickArmed_ = false;
}

std::wstring CGPS_QConfigDlg::chooseSettingsFile(HWND owner, bool save,
                                                 const std::wstring& folder) {
    std::wstring path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Ini Files (*.ini)\0*.ini\0All Files (*.*)\0*.*\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = L"ini";
    if (!folder.empty()) dialog.lpstrInitialDir = folder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) return {};
    path.resize(wcslen(path.c_str()));
    return path;
}

std::string CGPS_QConfigDlg::pickSettingsFile(bool save, const std::string& folder) {
    return narrow(chooseFile_(hwnd_, save, widen(folder)));
}

Answer CGPS_QConfigDlg::ask(Question question) {
    return ask_(hwnd_, question);
}

void CGPS_QConfigDlg::setTitle(const std::string& title) {
    if (hwnd_) SetWindowTextW(hwnd_, widen(title).c_str());
}

void CGPS_QConfigDlg::setBusy(bool busy) {
    busy_ = busy;
    progress_ = {};
    if (!hwnd_) return;
    const UINT state = MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED);
    HMENU menu = GetMenu(hwnd_);
    for (int command : kExchangeCommands) EnableMenuItem(menu, command, state);
    // "Модель устройства", the last item of "GPS Квелтер".
    HMENU device = GetSubMenu(menu, 1);
    EnableMenuItem(device, GetMenuItemCount(device) - 1,
                   MF_BYPOSITION | (busy ? MF_GRAYED : MF_ENABLED));
    DrawMenuBar(hwnd_);
    for (std::size_t i = 0; i < std::size(kToolButtons); ++i) {
        if (kToolButtons[i].style == BTNS_SEP) continue;
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        info.fsState = busy ? 0 : TBSTATE_ENABLED;
        SendMessageW(toolbar_, TB_SETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
    }
    // The presets come back as the pages last set them ("Трекер" follows the
    // model).
    controls_.holdDisabled(PageId::Window, kPresetButtons, busy);
    redrawPane(1);
}

void CGPS_QConfigDlg::showProgress(const std::string& text, int done, int total) {
    progress_.text = widen(text);
    progress_.done = done;
    progress_.total = total;
    redrawPane(1);
}

void CGPS_QConfigDlg::onDropFiles(HDROP drop) {
    // One file; several, or a folder's contents, are not a settings file.
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    if (!editor_->busy()) openFile(path);
}

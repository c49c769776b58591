// Writes pictures of the Windows window for the README: each tab, and the
// About box, as 24-bit BMP files (scripts/win-screenshots turns them into
// PNGs). Usage, under Wine on a virtual desktop (tests/win32/run_under_wine):
//   quelter-win-screenshots.exe FOLDER [--read]
// With --read the window first reads the tracker on its COM ports (the
// simulator that run_under_wine maps to COM2), so the pages show its
// configuration and the status line the outcome.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "editor/win32/gps_qconfig_dlg.h"
#include "editor/win32/resource.h"
#include "editor/win32/wide_text.h"
#include "link/com_port.h"
#include "win32_test_support.h"

namespace {

// The window as it stands on the screen, frame and caption included.
bool savePicture(HWND window, const std::wstring& path) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpPending();
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom up, as a BMP file holds it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    bool ok = false;
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        ok = copied && fwrite(&file, sizeof file, 1, out) == 1 &&
             fwrite(&header, sizeof header, 1, out) == 1 && fwrite(bits, imageSize, 1, out) == 1;
        ok = fclose(out) == 0 && ok;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", narrow(path).c_str());
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                    ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&classes);
    const std::wstring folder = argc > 1 ? argv[1] : L".";
    const bool read = argc > 2 && std::wstring(argv[2]) == L"--read";

    CCOMPort port;
    CGPS_QConfigDlg window(port);
    HWND w = window.create();
    if (!w) return 1;
    SetForegroundWindow(w);
    pumpUntil([] { return false; }, 500, w);
    bool ok = true;
    if (read) {
        SendMessageW(w, WM_COMMAND, ID_TOOL_READ, 0);
        // Halfway through the Read: the commands greyed, the blocks counted.
        if (pumpUntil([&] { return window.progressText().find(L"блок 6") != std::wstring::npos; },
                      30000, w))
            ok = savePicture(w, folder + L"\\win-busy.bmp") && ok;
        pumpUntil([&] { return !window.paneText(1).empty() && !window.tickArmed(); }, 30000, w);
        std::printf("status: %s\n", narrow(window.paneText(1)).c_str());
    }

    static const wchar_t* const names[] = {L"win-main.bmp",    L"win-wake.bmp",
                                           L"win-gps.bmp",     L"win-internet.bmp",
                                           L"win-sensors.bmp", L"win-expert.bmp"};
    for (int tab = 0; tab < 6; ++tab) {
        TabCtrl_SetCurFocus(window.tabs(), tab);
        pumpUntil([] { return false; }, 300, w);
        ok = savePicture(w, folder + L"\\" + names[tab]) && ok;
    }
    TabCtrl_SetCurFocus(window.tabs(), 0);
    HWND about = nullptr;
    duringModal([&] { SendMessageW(w, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
                [&] { return (about = findThreadWindow(L"О проекте QuelterConfig")) != nullptr; },
                [&] {
                    ok = about && savePicture(about, folder + L"\\win-about.bmp") && ok;
                    // Whatever holds the modal loop now ends it.
                    SendMessageW(about ? about : GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
                });

    // An edit of the tracker's name, then Escape: the question before it is
    // lost. "Отмена" keeps the window.
    SetDlgItemTextW(window.controls().page(PageId::Main), 1034, L"Дача");
    HWND question = nullptr;
    duringModal([&] { SendMessageW(w, WM_COMMAND, IDCANCEL, 0); },
                [&] {
                    question = GetLastActivePopup(w);
                    return question != w && IsWindowVisible(question);
                },
                [&] {
                    if (question == w) question = GetLastActivePopup(w);
                    RedrawWindow(question, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
                    ok = question != w && savePicture(question, folder + L"\\win-question.bmp") && ok;
                    SendMessageW(question, WM_COMMAND, IDCANCEL, 0);
                });
    window.close();
    return ok ? 0 : 1;
}

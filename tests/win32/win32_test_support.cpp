#include "win32_test_support.h"

#include <algorithm>
#include <chrono>

namespace {

struct ModalWork {
    std::function<bool()> ready;
    std::function<void()> inside;
    std::chrono::steady_clock::time_point deadline;
} modalWork;

void CALLBACK runModalWork(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    // Not yet: the loop goes on and is asked again.
    if (!modalWork.ready() && std::chrono::steady_clock::now() < modalWork.deadline) {
        SetTimer(nullptr, 0, 20, runModalWork);
        return;
    }
    std::function<void()> inside = std::move(modalWork.inside);
    modalWork = {};
    inside();
}

void dispatch(const MSG& msg, HWND dialog) {
    if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, const_cast<MSG*>(&msg))) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void pumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatch(msg, nullptr);
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs, HWND dialog) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatch(msg, dialog);
        if (done()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return done();
        // Woken by the thread's own messages; what other threads and processes
        // do is looked at again every few milliseconds.
        MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(std::min<long long>(left, 20)), QS_ALLINPUT);
    }
}

void typeInto(HWND control, std::wstring_view text) {
    for (wchar_t c : text) SendMessageW(control, WM_CHAR, c, 1);
}

void replaceText(HWND control, std::wstring_view text) {
    SendMessageW(control, EM_SETSEL, 0, -1);
    if (text.empty())
        SendMessageW(control, WM_CHAR, VK_BACK, 1);
    else
        typeInto(control, text);
}

void pressKey(HWND control, UINT virtualKey) {
    SendMessageW(control, WM_KEYDOWN, virtualKey, 1);
    SendMessageW(control, WM_KEYUP, virtualKey, 0xC0000001);
}

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void duringModal(const std::function<void()>& start, const std::function<bool()>& ready,
                 const std::function<void()>& inside) {
    modalWork = {ready, inside, std::chrono::steady_clock::now() + std::chrono::seconds(15)};
    SetTimer(nullptr, 0, 20, runModalWork);
    start();
}

HWND findThreadWindow(std::wstring_view caption) {
    struct Search {
        std::wstring_view caption;
        HWND found;
    } search{caption, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (IsWindowVisible(w) && textOf(w) == s->caption) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

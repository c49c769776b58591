// Driving real Win32 controls and windows by their messages, on the test's
// own thread, as a user's keys and clicks would reach them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

// Runs the thread's messages (dialog keys through IsDialogMessage on
// `dialog`) until `done` holds or the time is up; whether it holds.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 15000, HWND dialog = nullptr);
// Runs the messages already waiting.
void pumpPending();

// One WM_CHAR per character, as the keyboard sends typed text.
void typeInto(HWND control, std::wstring_view text);
// Selects all, then types (an empty text: Backspace over the selection).
void replaceText(HWND control, std::wstring_view text);
void pressKey(HWND control, UINT virtualKey);
std::wstring textOf(HWND window);

// Runs `inside` from within the modal loop that `start` enters (a menu, a
// modal dialog) once `ready` holds (the loop shows its window when it is
// first idle, so `ready` is asked between its messages), or after 15 s;
// `inside` must end that loop.
void duringModal(const std::function<void()>& start, const std::function<bool()>& ready,
                 const std::function<void()>& inside);
// The thread's visible top-level window with that caption, or nullptr.
HWND findThreadWindow(std::wstring_view caption);

#include "editor/win32/question_dlg.h"

#include "editor/config_editor.h"
#include "editor/win32/resource.h"
#include "editor/win32/wide_text.h"

namespace {

constexpr int kButtons[3] = {IDYES, IDNO, IDCANCEL};
constexpr Answer kAnswers[3] = {Answer::Yes, Answer::No, Answer::Cancel};

void setText(HWND dialog, int id, const char* utf8) {
    SetDlgItemTextW(dialog, id, widen(utf8).c_str());
}

void setUp(HWND dialog, Question question) {
    const QuestionText& q = questionText(question);
    SetWindowTextW(dialog, widen(kWindowCaption).c_str());
    setText(dialog, IDC_QUESTION_TEXT, q.text);
    HICON icon = LoadIconW(nullptr, question == Question::SaveEdits ? IDI_QUESTION : IDI_WARNING);
    SendDlgItemMessageW(dialog, IDC_QUESTION_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    const char* texts[3] = {q.yes, q.no, q.cancel};
    for (int i = 0; i < 3; ++i)
        if (texts[i]) setText(dialog, kButtons[i], texts[i]);
    if (!q.cancel) {
        // Two answers: they take the places of the last two.
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        RECT places[2];
        for (int i = 0; i < 2; ++i) {
            GetWindowRect(GetDlgItem(dialog, kButtons[i + 1]), &places[i]);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&places[i]), 2);
        }
        for (int i = 0; i < 2; ++i)
            SetWindowPos(GetDlgItem(dialog, kButtons[i]), nullptr, places[i].left, places[i].top, 0,
                         0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(cancel, SW_HIDE);
        EnableWindow(cancel, FALSE);
    }
    for (int i = 0; i < 3; ++i) {
        if (kAnswers[i] != q.safest) continue;
        SendMessageW(dialog, DM_SETDEFID, kButtons[i], 0);
        SendMessageW(GetDlgItem(dialog, kButtons[i]), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        SetFocus(GetDlgItem(dialog, kButtons[i]));
    }
}

INT_PTR CALLBACK questionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            setUp(dialog, static_cast<Question>(lParam));
            return FALSE;  // the focus is on the safest answer
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id != IDYES && id != IDNO && id != IDCANCEL) break;
            const auto question = static_cast<Question>(GetWindowLongPtrW(dialog, DWLP_USER));
            // Escape without a Cancel button is No.
            const bool noCancel = questionText(question).cancel == nullptr;
            EndDialog(dialog, id == IDCANCEL && noCancel ? IDNO : id);
            return TRUE;
        }
        default:
            break;
    }
    return FALSE;
}

}  // namespace

Answer CQuestionDlg::ask(HWND owner, Question question) {
    const INT_PTR chosen =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_QUESTION), owner,
                        questionProc, static_cast<LPARAM>(question));
    for (int i = 0; i < 3; ++i)
        if (chosen == kButtons[i]) return kAnswers[i];
    // The box could not be shown: the answer that loses nothing.
    return questionText(question).safest;
}

// The question box (template 160): the window's caption, an icon, the
// question and its two or three answers in the words of editor/questions.cpp.
// Enter takes the answer that loses nothing; Escape and the close box take
// Cancel, or No where there is no Cancel.
#pragma once

#include <windows.h>

#include "editor/questions.h"

class CQuestionDlg {
  public:
    // Asks modally over `owner` and returns the answer.
    static Answer ask(HWND owner, Question question);
};

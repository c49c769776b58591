// The hints the window shows when the mouse rests on a control: the Main
// page's 31 and the five preset buttons'. Texts are kept exactly as written,
// with their own line breaks ("\r\n", and one lone "\n"). Both windows show
// these; each turns the line breaks into what its tooltips break at.
#pragma once

#include <span>

struct ControlHint {
    int id;
    const char* text;  // UTF-8
};

std::span<const ControlHint> mainPageHints();
std::span<const ControlHint> presetHints();

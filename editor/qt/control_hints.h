// The hints the window shows when the mouse rests on a control: the Main
// page's 31 and the five preset buttons'. Texts are kept exactly as written,
// with their own line breaks ("\r\n", and one lone "\n").
#pragma once

#include <QString>
#include <span>

struct ControlHint {
    int id;
    const char* text;  // UTF-8
};

std::span<const ControlHint> mainPageHints();
std::span<const ControlHint> presetHints();

// The hint as a tooltip shows it: broken only at its own line breaks.
QString tooltipText(const char* hint);

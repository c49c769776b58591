// The backgrounds of the result pane: success, a warning, and failure.
#pragma once

#include <cstdint>

// Yellow: the command did its work, but not all of it as asked (a settings
// file without a usable model opened for the model being edited).
enum class ResultColour : std::uint8_t { Green, Red, Yellow };

// RGB of each background, as the status line paints them.
inline constexpr std::uint32_t kResultGreenRgb = 0x19FF19;   // RGB(25, 255, 25)
inline constexpr std::uint32_t kResultRedRgb = 0xFF1919;     // RGB(255, 25, 25)
inline constexpr std::uint32_t kResultYellowRgb = 0xFFFF19;  // RGB(255, 255, 25)

constexpr std::uint32_t resultRgb(ResultColour colour) {
    switch (colour) {
        case ResultColour::Green:
            return kResultGreenRgb;
        case ResultColour::Red:
            return kResultRedRgb;
        case ResultColour::Yellow:
            return kResultYellowRgb;
    }
    return kResultRedRgb;
}

// The two backgrounds of the result pane: success and failure.
#pragma once

#include <cstdint>

enum class ResultColour : std::uint8_t { Green, Red };

// RGB of each background, as the status line paints them.
inline constexpr std::uint32_t kResultGreenRgb = 0x19FF19;  // RGB(25, 255, 25)
inline constexpr std::uint32_t kResultRedRgb = 0xFF1919;    // RGB(255, 25, 25)

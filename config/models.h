// Tracker models, as the bootloader's Get answer reports them.
#pragma once

#include <string>
#include <string_view>

inline constexpr int kModelRQ30 = 0x11;
inline constexpr int kModelRQ10 = 0x70;
inline constexpr int kModelRQ20 = 0x80;

// "RQ30", "RQ10", "RQ20", or nullptr for an id that is none of them.
const char* modelName(int modelId);
// The model's name, or its id in hex ("0x5A") when it has none: for texts
// and file names.
std::string modelLabel(int modelId);
// The id of "RQ30", "RQ10" or "RQ20"; -1 for any other name.
int modelIdFromName(std::string_view name);
// Models 0x70 and 0x80 have no Tracker mode.
bool modelHasTrackerMode(int modelId);

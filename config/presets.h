// The five ready-made operating modes. Each changes a fixed set of fields of
// the working image (host order); showing the result is the caller's part.
#pragma once

#include "config/device_config.h"

// The value each mode leaves in LastCmd.
enum class PresetMode : std::uint8_t { Sleep = 0, Wait = 1, Guard = 2, Search = 3, Tracker = 4 };

void applyPreset(DeviceConfig& c, PresetMode mode);

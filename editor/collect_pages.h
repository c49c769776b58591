// Rebuilding the working image from the preset buttons and the six pages: the
// image is cleared and then holds exactly what the controls carry. Fields no
// control carries (reserved bytes, device-owned fields, unused flag bits) end
// up zero; GMTFlags is set to 1.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/device_config.h"
#include "editor/controls.h"
#include "editor/page_bindings.h"

// `memory` is what the last showing left (page_bindings.h).
void collectPages(const Controls& c, const PageMemory& memory, DeviceConfig& image);

// The conversions collecting uses, exposed for their own tests.

// Leading blanks, an optional sign, then digits up to the first other
// character; no digits give 0. Saturates far beyond any field's range.
std::int64_t parseDecimal(std::string_view text);
// A decimal coordinate text (sign, digits, point, digits, exponent) as
// millionths of a degree, truncated toward zero and held within +-(2^31 - 1).
// Computed on the decimal digits, so the six-decimal text showing writes
// always gives back the value it came from.
std::int32_t parseMicroDegrees(std::string_view text);

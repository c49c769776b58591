// Text fields on the tracker are CP1251 bytes; controls hold Unicode text.
#pragma once

#include <string>
#include <string_view>

// Every CP1251 byte maps to one Unicode character (0x98, unassigned, maps to
// U+FFFD so that no byte is lost silently).
std::string Cp1251ToUtf8(std::string_view cp1251);
// A character CP1251 cannot hold, and every malformed UTF-8 sequence, becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// Controls hold UTF-8 text, but limits, carets and the typing rules of the
// pages count characters; these convert between the two.
#pragma once

#include <string>
#include <string_view>

// A malformed sequence becomes U+FFFD, one for each byte that starts no
// well-formed character.
std::u32string utf8ToUtf32(std::string_view utf8);
std::string utf32ToUtf8(std::u32string_view text);

// CP1251 <-> UTF-8 and UTF-8 <-> UTF-32 on arbitrary bytes, checked against a
// well-formedness test of its own (the byte ranges of the Unicode standard's
// table of well-formed UTF-8 sequences).
//  - CP1251 to UTF-8 gives well-formed UTF-8, one character per byte, and
//    back gives the bytes (0x98, which has no character, comes back as '?');
//  - UTF-8 to CP1251 takes a malformed sequence as '?' per byte that starts
//    no character, exactly as the controls' decoder takes it as U+FFFD;
//  - UTF-8 to UTF-32 and back gives well-formed UTF-8: the input itself when
//    the input was well-formed, something else when it was not.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/cp1251.h"
#include "editor/utf8_text.h"

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "text fuzz: %s\n", what);
    std::abort();
}

// Length of the well-formed sequence at s[i], or 0.
std::size_t wellFormedAt(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) -> int {
        return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : -1;
    };
    const auto in = [](int b, int lo, int hi) { return b >= lo && b <= hi; };
    const int b0 = at(0);
    if (in(b0, 0x00, 0x7F)) return 1;
    if (in(b0, 0xC2, 0xDF)) return in(at(1), 0x80, 0xBF) ? 2 : 0;
    int lo = 0x80, hi = 0xBF;  // the second byte's range
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
    if (in(b0, 0xE0, 0xEF)) return in(at(1), lo, hi) && in(at(2), 0x80, 0xBF) ? 3 : 0;
    if (in(b0, 0xF0, 0xF4))
        return in(at(1), lo, hi) && in(at(2), 0x80, 0xBF) && in(at(3), 0x80, 0xBF) ? 4 : 0;
    return 0;
}

bool wellFormed(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = wellFormedAt(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // As CP1251 bytes.
    const std::string utf8 = Cp1251ToUtf8(bytes);
    check(wellFormed(utf8), "CP1251 gave malformed UTF-8");
    check(utf8ToUtf32(utf8).size() == size, "CP1251 gave other than one character per byte");
    std::string expected(bytes);
    for (char& c : expected)
        if (static_cast<unsigned char>(c) == 0x98) c = '?';
    check(Utf8ToCp1251(utf8) == expected, "CP1251 did not come back");

    // As UTF-8 text.
    const std::u32string wide = utf8ToUtf32(bytes);
    const std::string narrow = Utf8ToCp1251(bytes);
    check(narrow.size() == wide.size(), "the two decoders split the text differently");
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const bool replaced = wide[i] == U'\uFFFD';
        check(!replaced || narrow[i] == '?', "a malformed sequence became a character");
        if (!replaced && narrow[i] != '?')
            check(utf8ToUtf32(Cp1251ToUtf8(narrow.substr(i, 1))) == wide.substr(i, 1),
                  "the two decoders read a character differently");
    }
    const std::string again = utf32ToUtf8(wide);
    check(wellFormed(again), "UTF-32 gave malformed UTF-8");
    check(utf8ToUtf32(again) == wide, "UTF-32 did not come back");
    check((again == bytes) == wellFormed(bytes), wellFormed(bytes)
                                                     ? "well-formed UTF-8 did not come back"
                                                     : "malformed UTF-8 was taken as well-formed");
    return 0;
}

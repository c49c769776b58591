#include "config/cp1251.h"

#include <cstdint>

namespace {

// Unicode code points of CP1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0455, 0x0457, 0x00BF,  // B8
};

char32_t toUnicode(std::uint8_t b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

int fromUnicode(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
    if (cp == 0xFFFD) return -1;
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size() * 2);
    for (char ch : in) appendUtf8(out, toUnicode(static_cast<std::uint8_t>(ch)));
    return out;
}

std::string Utf8ToCp1251(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<std::uint8_t>(in[i]);
        int len = b0 < 0x80           ? 1
                  : (b0 >> 5) == 0x6  ? 2
                  : (b0 >> 4) == 0xE  ? 3
                  : (b0 >> 3) == 0x1E ? 4
                                      : 0;
        char32_t cp = 0;
        bool ok = len > 0 && i + len <= in.size();
        if (ok) {
            cp = len == 1 ? b0 : b0 & (0x7F >> len);
            for (int k = 1; k < len; ++k) {
                const auto b = static_cast<std::uint8_t>(in[i + k]);
                if ((b & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                cp = (cp << 6) | (b & 0x3F);
            }
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed
        // too: an overlong "A" must not pass for a letter, nor C0 80 for the
        // NUL that would end the text early.
        static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kLeast[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out += '?';
            ++i;  // resynchronise on the next byte
            continue;
        }
        const int b = fromUnicode(cp);
        out += b < 0 ? '?' : static_cast<char>(b);
        i += len;
    }
    return out;
}

// What the POSIX and the Windows halves of settings/file_access.h share:
// reading a file of bounded size, temporary names, error texts. Only those
// two files include it.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <random>
#include <string>
#include <system_error>

#include "settings/file_access.h"

namespace file_access_parts {

// Room for one byte past the limit, to tell a file of exactly maxBytes from
// a longer one.
inline std::size_t capacityFor(std::size_t maxBytes) {
    return maxBytes < kNoSizeLimit ? maxBytes + 1 : kNoSizeLimit;
}

// Grows `data` while reading so that a file which grows after its size was
// taken is still read whole, but never past `cap`.
template <class ReadSome>
bool readAll(std::size_t expected, std::size_t maxBytes, std::string& out, ReadSome readSome) {
    const std::size_t cap = capacityFor(maxBytes);
    std::string data(std::min(cap, expected + 1), '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            if (used >= cap) return false;
            data.resize(std::min(cap, used + (std::size_t{1} << 16)));
        }
        long got = 0;
        if (!readSome(data.data() + used, data.size() - used, got)) return false;
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > maxBytes) return false;
    data.resize(used);
    out.swap(data);
    return true;
}

// A fresh hidden name in the target's folder: ".NAME.<16 hex digits>.tmp",
// with NAME cut short enough that a target of the longest name the file
// system allows still gets a temporary name it allows.
inline std::string temporaryNameFor(const std::string& target, std::size_t nameStart) {
    static std::mt19937_64 random{std::random_device{}()};
    constexpr std::size_t kNameKept = 200;
    char suffix[16];
    const auto end = std::to_chars(suffix, suffix + sizeof suffix, random(), 16).ptr;
    return target.substr(0, nameStart) + "." + target.substr(nameStart, kNameKept) + "." +
           std::string(suffix, end) + ".tmp";
}

inline constexpr int kNameAttempts = 8;

inline std::string systemReason(int error) {
    return std::generic_category().message(error);
}

}  // namespace file_access_parts

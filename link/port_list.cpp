#include "link/port_list.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A scan tries COM1 to COM254.
[[maybe_unused]] constexpr int kLastComPort = 254;

constexpr std::string_view kSerialFamilies[] = {"ttyUSB", "ttyACM", "ttyS", "ttyAMA"};

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool isSerialName(std::string_view name) {
    for (std::string_view family : kSerialFamilies) {
        if (!name.starts_with(family) || name.size() == family.size()) continue;
        const std::string_view number = name.substr(family.size());
        if (std::all_of(number.begin(), number.end(), isDigit)) return true;
    }
    return false;
}

// A UART slot without a chip still has a device link; its driver reports the
// port type as 0 (unknown).
bool hardwarePresent(const fs::path& ttyDir) {
    std::error_code ec;
    if (!fs::exists(ttyDir / "device", ec)) return false;
    std::ifstream typeFile(ttyDir / "type");
    int type = 0;
    if (!typeFile) return true;
    return (typeFile >> type) && type != 0;
}

std::string_view digitRun(std::string_view s, std::size_t from) {
    std::size_t end = from;
    while (end < s.size() && isDigit(s[end])) ++end;
    return s.substr(from, end - from);
}

}  // namespace

std::vector<std::string> serialPortList() {
    if (const char* paths = std::getenv("QUELTER_PORTS")) return splitPortList(paths);
#ifdef _WIN32
    std::vector<std::string> names;
    for (int n = 1; n <= kLastComPort; ++n) names.push_back("COM" + std::to_string(n));
    return names;
#else
    return systemSerialPorts("/sys/class/tty", "/dev");
#endif
}

std::string comDevicePath(std::string_view name) {
    if (name.starts_with("\\\\")) return std::string(name);
    return "\\\\.\\" + std::string(name);
}

std::vector<std::string> splitPortList(std::string_view paths) {
    std::vector<std::string> list;
    for (;;) {
        const std::size_t colon = paths.find(':');
        list.emplace_back(paths.substr(0, colon));
        if (colon == std::string_view::npos) return list;
        paths.remove_prefix(colon + 1);
    }
}

std::vector<std::string> systemSerialPorts(const std::string& sysClassTty,
                                           const std::string& devDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(sysClassTty, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code nodeError;
        if (isSerialName(name) && hardwarePresent(it->path()) &&
            fs::exists(fs::path(devDir) / name, nodeError))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), naturalLess);
    for (std::string& name : names) name = (fs::path(devDir) / name).string();
    return names;
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::string_view x = digitRun(a, i), y = digitRun(b, j);
            i += x.size();
            j += y.size();
            while (x.size() > 1 && x[0] == '0') x.remove_prefix(1);
            while (y.size() > 1 && y[0] == '0') y.remove_prefix(1);
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

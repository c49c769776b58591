// Loads and saves large generated INI files and prints the throughput, to
// show that the store's cost grows linearly with the file, hostile files
// included. Usage: ini_bench [megabytes, default 64]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "config/defaults.h"
#include "config/models.h"
#include "settings/ini_store.h"
#include "settings/settings_file.h"

namespace {

namespace fs = std::filesystem;

// Many sections of many keys, values of mixed lengths, CRLF line ends.
std::string typicalFile(std::size_t bytes) {
    std::mt19937 random(1);
    std::string out;
    out.reserve(bytes + 256);
    for (int section = 0; out.size() < bytes; ++section) {
        out += "[Section " + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 1000 && out.size() < bytes; ++key) {
            out += "Key" + std::to_string(key) + "=";
            out.append(random() % 64, static_cast<char>('a' + random() % 26));
            out += "\r\n";
        }
    }
    return out;
}

// Random bytes: short "lines", stray brackets and "=" signs, NUL bytes.
std::string binaryFile(std::size_t bytes) {
    std::mt19937 random(2);
    std::string out(bytes, '\0');
    for (char& c : out) c = static_cast<char>(random());
    return "[S]\n" + out;
}

// A handful of huge lines: a long value, a long padded name, a long number.
std::string longLinesFile(std::size_t bytes) {
    const std::size_t part = bytes / 4;
    return "[S]\nvalue=" + std::string(part, 'v') + "\r\n" + std::string(part, ' ') + "name" +
           std::string(part, '\t') + "=x\n[" + std::string(16, ' ') +
           "]\nnumber=" + std::string(part, '9') + "\n";
}

double seconds(const std::function<void()>& run) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void measure(const char* what, const std::string& content, const fs::path& dir) {
    const std::string in = (dir / "in.ini").string();
    const std::string out = (dir / "out.ini").string();
    std::ofstream(in, std::ios::binary).write(content.data(), content.size());
    const double mb = content.size() / 1e6;

    CSettingsFile store;
    const double load = seconds([&] {
        if (!store.Load(in, false)) std::abort();
    });
    const double save = seconds([&] {
        if (!store.Save(out)) std::abort();
    });
    std::printf("%-22s %8.1f MB   load %8.1f MB/s   save %8.1f MB/s (%.1f MB written)\n", what, mb,
                mb / load, fs::file_size(out) / 1e6 / save, fs::file_size(out) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const std::size_t bytes = std::max<std::size_t>(megabytes, 1) * 1000000;
    const fs::path dir = fs::temp_directory_path() / "quelter-ini-bench";
    fs::create_directories(dir);

    measure("typical, 1/4 size", typicalFile(bytes / 4), dir);
    measure("typical", typicalFile(bytes), dir);
    measure("binary bytes", binaryFile(bytes), dir);
    measure("four huge lines", longLinesFile(bytes), dir);

    // The real thing: one settings file, saved and opened many times.
    DeviceConfig image;
    loadDefaults(image);
    int model = kModelRQ30;
    const std::string path = (dir / "settings.ini").string();
    constexpr int kRounds = 2000;
    const double roundTrip = seconds([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (!SaveSettingsFile(path, image, model).ok) std::abort();
            if (!LoadSettings(path, image, model, nullptr).ok) std::abort();
        }
    });
    std::printf("settings file          Save + Open %8.1f us each\n", roundTrip / kRounds * 1e6);

    fs::remove_all(dir);
    return 0;
}

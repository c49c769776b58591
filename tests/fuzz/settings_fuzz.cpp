// Open of arbitrary bytes as a settings file, then Save, Open and Save again.
//  - Open either fails and changes nothing, or changes only the fields a
//    settings file carries;
//  - the two saves are byte for byte the same.
// The files live in a folder of this process's own, in memory when the
// system has /dev/shm.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/device_config.h"
#include "config/models.h"
#include "settings/settings_file.h"

namespace {

namespace fs = std::filesystem;

// The bytes of the fields the file carries: Open may write those alone.
struct Carried {
    bool byte[kConfigSize] = {};
    Carried() {
        for (const SettingsKey& k : settingsKeys()) {
            if (k.kind == SettingsKeyKind::Model) continue;
            const FieldInfo& fi = fieldInfo(k.field);
            std::fill_n(byte + fi.offset, fi.width, true);
        }
    }
};

const fs::path& folder() {
    static const fs::path dir = [] {
        const fs::path base =
            fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path made = base / ("quelter-fuzz-settings-" + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    return dir;
}

void removeFolder() {
    std::error_code ignored;
    fs::remove_all(folder(), ignored);
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

DeviceConfig pattern() {
    DeviceConfig c;
    for (std::size_t i = 0; i < kConfigSize; ++i)
        c.bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return c;
}

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Carried carried;
    static const std::string in = (folder() / "in.ini").string();
    static const std::string first = (folder() / "first.ini").string();
    static const std::string second = (folder() / "second.ini").string();
    static const int cleanup = std::atexit(removeFolder);
    (void)cleanup;
    {
        std::FILE* f = std::fopen(in.c_str(), "wb");
        check(f != nullptr && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0,
              "cannot write the input file");
    }

    const DeviceConfig before = pattern();
    DeviceConfig image = before;
    int model = kModelRQ30;
    const SettingsOutcome opened = LoadSettings(in, image, model, nullptr);
    for (std::size_t i = 0; i < kConfigSize; ++i)
        check(image.bytes[i] == before.bytes[i] || (opened.ok && carried.byte[i]),
              "Open wrote outside the carried fields");
    if (!opened.ok) {
        check(model == kModelRQ30, "a failed Open changed the model");
        return 0;
    }

    check(SaveSettingsFile(first, image, model).ok, "first Save failed");
    DeviceConfig again = before;
    int againModel = kModelRQ30;
    check(LoadSettings(first, again, againModel, nullptr).ok, "Open of a saved file failed");
    check(againModel == model, "the model changed across Save and Open");
    check(SaveSettingsFile(second, again, againModel).ok, "second Save failed");
    check(readBytes(first) == readBytes(second), "the two saves differ");
    return 0;
}

#include "settings/tracker_backup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "config/models.h"
#include "settings/file_system.h"
#include "settings/settings_file.h"

namespace {

namespace fs = std::filesystem;

// Stems tried in one second before giving up: far more than any number of
// trackers written at once.
constexpr int kMaxStems = 1000;

BackupOutcome failure(std::string problem) {
    BackupOutcome outcome;
    outcome.problem = std::move(problem);
    return outcome;
}

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

std::string stemFor(const std::tm& when, int model) {
    char stem[64];
    const char* name = modelName(model);
    char unnamed[8];
    if (!name) {
        std::snprintf(unnamed, sizeof unnamed, "0x%02X", static_cast<unsigned>(model) & 0xFFu);
        name = unnamed;
    }
    std::snprintf(stem, sizeof stem, "%04d-%02d-%02dT%02d-%02d-%02d-%s", when.tm_year + 1900,
                  when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec, name);
    return stem;
}

// The .bin under a name nobody holds yet; false with `taken` when the name
// was in use, false without it when the file could not be written.
bool writeNewBlock(const std::string& path, const DeviceConfig& block, bool& taken,
                   std::string& problem) {
    std::FILE* file = OpenNewFile(path, taken);
    if (!file) {
        if (!taken) problem = path + ": " + systemReason(errno);
        return false;
    }
    const bool written = std::fwrite(block.bytes, 1, kDeviceBlockSize, file) == kDeviceBlockSize;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return true;
    problem = path + ": " + systemReason(errno);
    std::error_code ignored;
    fs::remove(path, ignored);
    return false;
}

// The model a backup's file name states: one of its '-' separated parts.
int modelInName(const fs::path& path) {
    const std::string stem = path.stem().string();
    std::size_t begin = 0;
    while (begin <= stem.size()) {
        const std::size_t end = std::min(stem.find('-', begin), stem.size());
        const int model = modelIdFromName(std::string_view(stem).substr(begin, end - begin));
        if (model >= 0) return model;
        begin = end + 1;
    }
    return -1;
}

}  // namespace

std::string TrackerBackupFolder() {
    const std::string data = UserDataFolder();
    if (data.empty()) return {};
    return (fs::path(data) / "quelter-config" / "backups").string();
}

BackupOutcome BackUpTracker(const DeviceConfig& block, int model, const std::string& folder,
                            const std::tm& when) {
    if (folder.empty())
        return failure("не задана папка данных пользователя (XDG_DATA_HOME или HOME)");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return failure(folder + ": " + ec.message());

    // The settings file is made from the block as read, not from the pages.
    DeviceConfig host = block;
    SwapByteOrder(host);
    const std::string stem = (fs::path(folder) / stemFor(when, model)).string();
    for (int n = 1; n <= kMaxStems; ++n) {
        const std::string base = n == 1 ? stem : stem + "-" + std::to_string(n);
        BackupOutcome outcome;
        outcome.binPath = base + ".bin";
        outcome.iniPath = base + ".ini";
        bool taken = false;
        // The .bin claims the stem; the .ini follows under the same stem.
        if (!writeNewBlock(outcome.binPath, block, taken, outcome.problem)) {
            if (taken) continue;
            return failure(outcome.problem);
        }
        if (SaveNewSettingsFile(outcome.iniPath, host, model)) {
            outcome.ok = true;
            return outcome;
        }
        const bool iniTaken = fs::exists(outcome.iniPath, ec);
        fs::remove(outcome.binPath, ec);
        if (!iniTaken) return failure(outcome.iniPath + ": не удалось записать");
    }
    return failure(stem + ": все имена заняты");
}

LoadedBackup LoadTrackerBackup(const std::string& binPath) {
    LoadedBackup loaded;
    std::ifstream in(binPath, std::ios::binary);
    if (!in) {
        loaded.problem = binPath + ": файл не открывается";
        return loaded;
    }
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (in.bad() || bytes.size() != kDeviceBlockSize) {
        loaded.problem = binPath + ": в резервной копии должно быть ровно 1536 байт";
        return loaded;
    }
    std::copy(bytes.begin(), bytes.end(), loaded.block.bytes);

    fs::path ini(binPath);
    ini.replace_extension(".ini");
    CSettingsFile store;
    if (store.Load(ini.string(), false) && store.FindSection(kSettingsSection) &&
        store.FindSection(kSettingsSection)->FindKey("BootVersion"))
        loaded.model = ReadIniNumber(store, kSettingsSection, "BootVersion");
    else
        loaded.model = modelInName(binPath);
    if (loaded.model < 0) {
        loaded.problem = binPath +
                         ": модель трекера не указана (нет файла .ini рядом, нет "
                         "имени модели в имени файла)";
        return loaded;
    }
    loaded.ok = true;
    return loaded;
}

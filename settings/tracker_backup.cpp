#include "settings/tracker_backup.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "config/models.h"
#include "settings/file_access.h"
#include "settings/settings_file.h"

namespace {

// Stems tried in one second before giving up: far more than any number of
// trackers written at once.
constexpr int kMaxStems = 1000;

BackupOutcome failure(std::string problem) {
    BackupOutcome outcome;
    outcome.problem = std::move(problem);
    return outcome;
}

std::string stemFor(const std::tm& when, int model) {
    char stem[64];
    std::snprintf(stem, sizeof stem, "%04d-%02d-%02dT%02d-%02d-%02d-%s", when.tm_year + 1900,
                  when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec,
                  modelLabel(model).c_str());
    return stem;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/' || folder.back() == kPathSeparator)
        return folder + name;
    return folder + kPathSeparator + name;
}

// Where the file's own name starts in a path.
std::size_t nameStart(std::string_view path) {
    const std::size_t slash = path.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// The path with its extension (if any) replaced.
std::string withExtension(const std::string& path, const char* extension) {
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart(path);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

// The model a backup's file name states: one of the '-' separated parts of
// its name.
int modelInName(const std::string& path) {
    std::string_view name = std::string_view(path).substr(nameStart(path));
    name = name.substr(0, name.rfind('.'));
    for (;;) {
        const std::size_t dash = name.find('-');
        const int model = modelIdFromName(name.substr(0, dash));
        if (model >= 0) return model;
        if (dash == std::string_view::npos) return -1;
        name.remove_prefix(dash + 1);
    }
}

}  // namespace

std::string TrackerBackupFolder() {
    const std::string data = UserDataFolder();
    if (data.empty()) return {};
    return joinPath(joinPath(data, "quelter-config"), "backups");
}

BackupOutcome BackUpTracker(const DeviceConfig& block, int model, const std::string& folder,
                            const std::tm& when) {
    if (folder.empty())
        return failure("не задана папка данных пользователя (XDG_DATA_HOME или HOME)");
    std::string reason;
    if (!MakeFolders(folder, reason)) return failure(folder + ": " + reason);

    // The settings file is made from the block as read, not from the pages.
    DeviceConfig host = block;
    SwapByteOrder(host);
    CSettingsFile store;
    FillSettingsStore(store, host, model);
    const auto writeBlock = [&block](std::FILE* file) {
        return std::fwrite(block.bytes, 1, kDeviceBlockSize, file) == kDeviceBlockSize;
    };
    const auto writeSettings = [&store](std::FILE* file) { return store.Save(file); };

    const std::string stem = joinPath(folder, stemFor(when, model));
    for (int n = 1; n <= kMaxStems; ++n) {
        BackupOutcome outcome;
        const std::string base = n == 1 ? stem : stem + "-" + std::to_string(n);
        outcome.binPath = base + ".bin";
        outcome.iniPath = base + ".ini";
        // The .bin claims the stem; the .ini follows under the same stem.
        switch (SaveNewFile(outcome.binPath, writeBlock, reason)) {
            case NewFileResult::Taken:
                continue;
            case NewFileResult::Failed:
                return failure(outcome.binPath + ": " + reason);
            case NewFileResult::Created:
                break;
        }
        const NewFileResult settings = SaveNewFile(outcome.iniPath, writeSettings, reason);
        if (settings == NewFileResult::Created) {
            outcome.ok = true;
            return outcome;
        }
        RemoveFile(outcome.binPath);
        if (settings == NewFileResult::Failed) return failure(outcome.iniPath + ": " + reason);
    }
    return failure(stem + ": все имена заняты");
}

LoadedBackup LoadTrackerBackup(const std::string& binPath) {
    LoadedBackup loaded;
    std::string bytes;
    // One byte more than a block may hold tells a longer file from a block.
    if (!ReadRegularFile(binPath, kDeviceBlockSize + 1, bytes) ||
        bytes.size() != kDeviceBlockSize) {
        loaded.problem = binPath + ": в резервной копии должно быть ровно 1536 байт";
        return loaded;
    }
    std::copy(bytes.begin(), bytes.end(), loaded.block.bytes);

    CSettingsFile store;
    const CSettingsSection* section = nullptr;
    if (store.Load(withExtension(binPath, ".ini"), false, kSettingsFileMaxBytes))
        section = store.FindSection(kSettingsSection);
    if (section && section->FindKey("BootVersion"))
        loaded.model = ReadIniNumber(store, kSettingsSection, "BootVersion");
    else
        loaded.model = modelInName(binPath);
    if (loaded.model < 0) {
        loaded.problem = binPath +
                         ": модель трекера не указана (нет файла .ini рядом, нет имени модели в "
                         "имени файла)";
        return loaded;
    }
    loaded.ok = true;
    return loaded;
}

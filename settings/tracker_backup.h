// Copies of a tracker's configuration, taken before a Write replaces it, and
// read back for a restore. A backup is two files with one stem: STEM.bin, the
// 1536 bytes exactly as the tracker sent them (device order), and STEM.ini,
// the same block as a settings file whose "BootVersion" is the tracker's model.
#pragma once

#include <ctime>
#include <string>

#include "config/device_config.h"

// Status texts; each is followed by a path or a reason.
inline constexpr const char* kBackupNamedText = "Резервная копия: ";
inline constexpr const char* kBackupFailedText = "Запись отменена, резервная копия не сохранена: ";
inline constexpr const char* kBackupLoadFailedText = "Ошибка загрузки резервной копии: ";

// <user data folder>/quelter-config/backups; empty when the environment names
// no data folder (see UserDataFolder).
std::string TrackerBackupFolder();

struct BackupOutcome {
    bool ok = false;
    std::string binPath;
    std::string iniPath;
    std::string problem;  // when not ok: what failed, naming the path
};

// Writes a backup of `block` (device order, as read) into `folder`, which is
// created when missing. The stem is the local date and time `when` and the
// model's name: "2026-12-10T14-03-22-RQ30". A stem already in use, by an
// earlier backup or by another process in the same second, gets "-2", "-3"
// ... added; no file is ever overwritten. On failure nothing is left behind.
BackupOutcome BackUpTracker(const DeviceConfig& block, int model, const std::string& folder,
                            const std::tm& when);

struct LoadedBackup {
    bool ok = false;
    DeviceConfig block{};  // device order; bytes past the device block zero
    int model = -1;
    std::string problem;  // when not ok
};

// Reads a backup's .bin: exactly 1536 bytes. The model is the "BootVersion"
// of the settings file beside it with the same stem; without that file, the
// model name in the file's own name.
LoadedBackup LoadTrackerBackup(const std::string& binPath);

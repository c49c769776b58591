// The settings file: one section, "GPS Quelter Config file", with a key for
// every field of the working image that the file carries plus the model the
// configuration is meant for. Save and Open are called with a path the window
// has already chosen; the outcome is the text for the status line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "config/device_config.h"
#include "config/result_colour.h"
#include "settings/ini_store.h"

inline constexpr const char* kSettingsSection = "GPS Quelter Config file";

// Open refuses anything larger: a settings file is a few kilobytes.
inline constexpr std::size_t kSettingsFileMaxBytes = 16u << 20;

inline constexpr const char* kSettingsSavedText = "Настройки успешно сохранены в файл";
inline constexpr const char* kSettingsSaveFailedText = "Ошибка сохранения настроек";
inline constexpr const char* kSettingsOpenedText = "Файл открыт успешно";
inline constexpr const char* kSettingsOpenFailedText = "Ошибка загрузки файла";
// A file without a usable model: the model being edited is kept and named.
inline constexpr const char* kSettingsOpenedModelKeptFormat =
    "Файл открыт без известной модели, оставлена %s";
std::string OpenedModelKeptText(int editedModel);

// Model is the configuration's model id ("BootVersion"), which has no field in
// the image.
enum class SettingsKeyKind : std::uint8_t { Number, Text, Model };

struct SettingsKey {
    const char* key;
    Field field;  // Field::Count for the model
    SettingsKeyKind kind;
};

// Every key of the file, in the order Open reads them: the one table of keys.
std::span<const SettingsKey> settingsKeys();

struct SettingsOutcome {
    bool ok;
    std::string text;  // for the status line
    ResultColour colour;
};

// Writes every carried field of `working` and `editedModel` ("BootVersion") in
// place of `path` in one step (SaveFileReplacing), so a failed save or a crash
// leaves any earlier file untouched. A target that is not a regular file, or
// that this user may not write or could not keep the owner of, is refused.
SettingsOutcome SaveSettingsFile(const std::string& path, const DeviceConfig& working,
                                 int editedModel);

// Puts what SaveSettingsFile writes into `store`.
void FillSettingsStore(CSettingsFile& store, const DeviceConfig& working, int editedModel);

// Runs right after LastCmd has been read, with the model as it was before the
// file's own model is read. The window shows the preset choice here, which
// turns LastCmd 4 into 0 for the models without the Tracker mode.
using PresetChoiceHook = std::function<void(DeviceConfig& image, int modelBeingEdited)>;

// Reads the keys into `working` and the file's model into `editedModel`; a
// missing key reads as 0 or empty text. A file whose model is missing or none
// of the three keeps `editedModel` and says so on yellow: a model the tool
// knows nothing of would make every later Write refuse the tracker. A file
// that cannot be read, is not a regular file, is larger than
// kSettingsFileMaxBytes or has no settings section changes nothing and does
// not call the hook. Without a hook, only the LastCmd rule of the preset
// choice is applied.
SettingsOutcome LoadSettings(const std::string& path, DeviceConfig& working, int& editedModel,
                             const PresetChoiceHook& presetChoice);

// The value's first 49 characters converted as strtol does in base 10, held
// to the 32-bit range; 0 for a missing key or a value without digits.
std::int32_t ReadIniNumber(const CSettingsFile& store, std::string_view section,
                           std::string_view key);
// Zero-fills the field, then copies the value up to its end, its first zero
// byte or `width`; returns the number of bytes copied.
std::size_t ReadIniText(const CSettingsFile& store, std::string_view section, std::string_view key,
                        std::uint8_t* field, std::size_t width);
// Stores the value as "%d" would format it.
void WriteIniNumber(CSettingsFile& store, std::string_view section, std::string_view key,
                    std::int32_t value);

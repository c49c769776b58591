#include "settings/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <limits>

#include "config/models.h"

namespace {

using KeyKind = SettingsKeyKind;

// Every key of the file, in the order Open reads them. Widths and signedness
// come from the field table, so a key can never reach outside its field.
constexpr SettingsKey kKeys[] = {
    {"Angle", Field::Angle, KeyKind::Number},
    {"BalanceLevel", Field::BalanceLevel, KeyKind::Number},
    {"DeviceType", Field::DeviceType, KeyKind::Number},
    {"EMail", Field::EMail, KeyKind::Text},
    {"EMailServer", Field::EMailServer, KeyKind::Text},
    {"ExtPhone1", Field::ExtPhone1, KeyKind::Text},
    {"ExtPhone2", Field::ExtPhone2, KeyKind::Text},
    {"ExtPhone3", Field::ExtPhone3, KeyKind::Text},
    {"ExtPhone4", Field::ExtPhone4, KeyKind::Text},
    {"ExtPhone5", Field::ExtPhone5, KeyKind::Text},
    {"ExtPhone6", Field::ExtPhone6, KeyKind::Text},
    {"ExtPhone7", Field::ExtPhone7, KeyKind::Text},
    {"ExtPhone8", Field::ExtPhone8, KeyKind::Text},
    {"ExtPhone9", Field::ExtPhone9, KeyKind::Text},
    {"GMTFlags", Field::GMTFlags, KeyKind::Number},
    {"GMTOffset", Field::GMTOffset, KeyKind::Number},
    {"GPRSTimer", Field::GPRSTimer, KeyKind::Number},
    {"InpActiveLevel", Field::InpActiveLevel, KeyKind::Number},
    {"Lang", Field::Lang, KeyKind::Number},
    {"LastCmd", Field::LastCmd, KeyKind::Number},  // the preset choice runs here
    {"MainPhone.PhoneNum", Field::MainPhone, KeyKind::Text},
    {"QuelterAPN.Address", Field::ApnAddress, KeyKind::Text},
    {"QuelterAPN.Login", Field::ApnLogin, KeyKind::Text},
    {"QuelterAPN.Password", Field::ApnPassword, KeyKind::Text},
    {"QuelterName", Field::QuelterName, KeyKind::Text},
    {"QuelterZone.Distane", Field::ZoneDistance, KeyKind::Number},
    {"QuelterZone.Latitude", Field::ZoneLatitude, KeyKind::Number},
    {"QuelterZone.Longitude", Field::ZoneLongitude, KeyKind::Number},
    {"ModeFlags1", Field::ModeFlags1, KeyKind::Number},
    {"ModeFlags2", Field::ModeFlags2, KeyKind::Number},
    {"ModeFlags3", Field::ModeFlags3, KeyKind::Number},
    {"MonServerIP", Field::MonServerIP, KeyKind::Text},
    {"NoSleepTimer", Field::NoSleepTimer, KeyKind::Number},
    {"ParkDisable", Field::ParkDisable, KeyKind::Number},
    {"ParkTimer", Field::ParkTimer, KeyKind::Number},
    {"PhoneEn", Field::PhoneEn, KeyKind::Number},
    {"RelayInverse", Field::RelayInverse, KeyKind::Number},
    {"RelayPulseLen", Field::RelayPulseLen, KeyKind::Number},
    {"Speed", Field::Speed, KeyKind::Number},
    {"StayTimer", Field::StayTimer, KeyKind::Number},
    {"SysMode", Field::SysMode, KeyKind::Number},
    {"TempCorrection", Field::TempCorrection, KeyKind::Number},
    {"TempH", Field::TempH, KeyKind::Number},
    {"TempL", Field::TempL, KeyKind::Number},
    {"TempMode", Field::TempMode, KeyKind::Number},
    {"TempPulse", Field::TempPulse, KeyKind::Number},
    {"TimeCorrection", Field::TimeCorrection, KeyKind::Number},
    {"USSDReq", Field::USSDReq, KeyKind::Text},
    {"VibrParam", Field::VibrParam, KeyKind::Number},
    {"WakeEnableFlags", Field::WakeEnableFlags, KeyKind::Number},
    {"WakeUp1", Field::WakeUp1, KeyKind::Number},
    {"WakeUp2", Field::WakeUp2, KeyKind::Number},
    {"WakeUp3", Field::WakeUp3, KeyKind::Number},
    {"WakeUp4", Field::WakeUp4, KeyKind::Number},
    {"WakeUp5", Field::WakeUp5, KeyKind::Number},
    {"WakeUp6", Field::WakeUp6, KeyKind::Number},
    {"WakeUp7", Field::WakeUp7, KeyKind::Number},
    {"WakeUp8", Field::WakeUp8, KeyKind::Number},
    {"WakeUp9", Field::WakeUp9, KeyKind::Number},
    {"WakeupPeriod", Field::WakeupPeriod, KeyKind::Number},
    {"BootVersion", Field::Count, KeyKind::Model},
};
static_assert(std::size(kKeys) == 61);

// Only this many leading characters of a number are looked at.
constexpr std::size_t kNumberChars = 49;

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// strtol in base 10 with a 32-bit long: blanks, an optional sign, the digits
// up to the first other character; out of range gives the nearest limit.
std::int32_t parseNumber(std::string_view text) {
    text = text.substr(0, kNumberChars);
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // The magnitude is held to just past the limit, so it never overflows.
    constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kCap) magnitude = kCap;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// Applies the data part of the preset choice when the window gives no hook.
void applyTrackerModeRule(DeviceConfig& image, int model) {
    if (!modelHasTrackerMode(model) && GetU8(image, Field::LastCmd) == 4)
        SetU8(image, Field::LastCmd, 0);
}

// A line feed would end the line early and let the rest of the text pass for
// another key when the file is opened again, so the text ends there. Carriage
// returns at the end of a line are part of its line end when it is read, so
// the file holds the text without them: what Open will give back.
std::string lineSafeText(const DeviceConfig& working, Field field) {
    std::string text = GetText(working, field);
    text.resize(std::min(text.size(), text.find('\n')));
    while (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

}  // namespace

void FillSettingsStore(CSettingsFile& store, const DeviceConfig& working, int editedModel) {
    for (const SettingsKey& k : kKeys) {
        switch (k.kind) {
            case KeyKind::Number:
                WriteIniNumber(store, kSettingsSection, k.key, GetNumber(working, k.field));
                break;
            case KeyKind::Text:
                store.SetValue(kSettingsSection, k.key, lineSafeText(working, k.field));
                break;
            case KeyKind::Model:
                WriteIniNumber(store, kSettingsSection, k.key, editedModel);
                break;
        }
    }
}

std::span<const SettingsKey> settingsKeys() {
    return kKeys;
}

std::int32_t ReadIniNumber(const CSettingsFile& store, std::string_view section,
                           std::string_view key) {
    return parseNumber(store.GetValue(section, key));
}

std::size_t ReadIniText(const CSettingsFile& store, std::string_view section, std::string_view key,
                        std::uint8_t* field, std::size_t width) {
    const std::string value = store.GetValue(section, key);
    std::string_view copied(value);
    copied = copied.substr(0, width);
    copied = copied.substr(0, copied.find('\0'));
    std::fill(field, field + width, std::uint8_t{0});
    std::copy(copied.begin(), copied.end(), field);
    return copied.size();
}

void WriteIniNumber(CSettingsFile& store, std::string_view section, std::string_view key,
                    std::int32_t value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    store.SetValue(section, key, std::string_view(text, static_cast<std::size_t>(end - text)));
}

std::string OpenedModelKeptText(int editedModel) {
    char text[128];
    std::snprintf(text, sizeof text, kSettingsOpenedModelKeptFormat,
                  modelLabel(editedModel).c_str());
    return text;
}

SettingsOutcome SaveSettingsFile(const std::string& path, const DeviceConfig& working,
                                 int editedModel) {
    CSettingsFile store;
    FillSettingsStore(store, working, editedModel);
    if (!SaveFileReplacing(path, [&store](std::FILE* file) { return store.Save(file); }))
        return {false, kSettingsSaveFailedText, ResultColour::Red};
    return {true, kSettingsSavedText, ResultColour::Green};
}

SettingsOutcome LoadSettings(const std::string& path, DeviceConfig& working, int& editedModel,
                             const PresetChoiceHook& presetChoice) {
    CSettingsFile store;
    if (!store.Load(path, false, kSettingsFileMaxBytes) ||
        store.FindSection(kSettingsSection) == nullptr)
        return {false, kSettingsOpenFailedText, ResultColour::Red};

    bool modelKept = false;
    for (const SettingsKey& k : kKeys) {
        switch (k.kind) {
            case KeyKind::Number:
                SetNumber(working, k.field, ReadIniNumber(store, kSettingsSection, k.key));
                break;
            case KeyKind::Text:
                ReadIniText(store, kSettingsSection, k.key, fieldBytes(working, k.field),
                            fieldInfo(k.field).width);
                break;
            case KeyKind::Model: {
                const std::int32_t model = ReadIniNumber(store, kSettingsSection, k.key);
                if (modelName(model))
                    editedModel = model;
                else
                    modelKept = true;
                break;
            }
        }
        if (k.field == Field::LastCmd) {
            if (presetChoice) {
                presetChoice(working, editedModel);
            } else {
                applyTrackerModeRule(working, editedModel);
            }
        }
    }
    if (modelKept) return {true, OpenedModelKeptText(editedModel), ResultColour::Yellow};
    return {true, kSettingsOpenedText, ResultColour::Green};
}

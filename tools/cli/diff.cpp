#include "tools/cli/diff.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "config/cp1251.h"
#include "settings/settings_file.h"

namespace {

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", unsigned{bytes[i]});
        out += hex;
    }
    return out;
}

bool sameBytes(const DeviceConfig& a, const DeviceConfig& b, std::size_t offset,
               std::size_t width) {
    return std::memcmp(a.bytes + offset, b.bytes + offset, width) == 0;
}

FieldChange fieldChange(const char* key, Field f, const DeviceConfig& tracker,
                        const DeviceConfig& sent) {
    const FieldInfo& fi = fieldInfo(f);
    switch (fi.type) {
        case FieldType::Text: {
            const std::string before = GetText(tracker, f), after = GetText(sent, f);
            // Bytes after the terminator differ, which the texts cannot show.
            if (before == after) break;
            return {key, FieldChange::Kind::Text, Cp1251ToUtf8(before), Cp1251ToUtf8(after)};
        }
        case FieldType::Bytes:
            break;
        default:
            return {key, FieldChange::Kind::Number, std::to_string(GetNumber(tracker, f)),
                    std::to_string(GetNumber(sent, f))};
    }
    return {key, FieldChange::Kind::Bytes, hexBytes(fieldBytes(tracker, f), fi.width),
            hexBytes(fieldBytes(sent, f), fi.width)};
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", unsigned{c});
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

}  // namespace

std::vector<FieldChange> writeChanges(const DeviceConfig& tracker, const DeviceConfig& working) {
    // What the Write sends. Every kept field is copied whole, so keeping works
    // the same in host order as in device order.
    DeviceConfig sent = working;
    KeepDeviceFields(sent, tracker);

    std::vector<FieldChange> changes;
    bool carried[static_cast<std::size_t>(Field::Count)] = {};
    for (const SettingsKey& k : settingsKeys()) {
        if (k.kind == SettingsKeyKind::Model) continue;
        carried[static_cast<std::size_t>(k.field)] = true;
        const FieldInfo& fi = fieldInfo(k.field);
        if (!sameBytes(tracker, sent, fi.offset, fi.width))
            changes.push_back(fieldChange(k.key, k.field, tracker, sent));
    }

    bool named[kDeviceBlockSize] = {};
    for (const FieldInfo& fi : fieldTable()) {
        if (fi.offset >= kDeviceBlockSize) continue;
        std::fill(named + fi.offset, named + fi.offset + fi.width, true);
        if (carried[static_cast<std::size_t>(fi.field)]) continue;
        if (!sameBytes(tracker, sent, fi.offset, fi.width))
            changes.push_back(fieldChange(fi.name, fi.field, tracker, sent));
    }

    // Reserved stretches: from the first to the last byte that differs.
    for (std::size_t at = 0; at < kDeviceBlockSize;) {
        if (named[at]) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < kDeviceBlockSize && !named[end]) ++end;
        std::size_t first = at, last = end;
        while (first < last && tracker.bytes[first] == sent.bytes[first]) ++first;
        while (last > first && tracker.bytes[last - 1] == sent.bytes[last - 1]) --last;
        if (first < last)
            changes.push_back({"Reserved" + std::to_string(first), FieldChange::Kind::Bytes,
                               hexBytes(tracker.bytes + first, last - first),
                               hexBytes(sent.bytes + first, last - first)});
        at = end;
    }
    return changes;
}

std::string changeLine(const FieldChange& change) {
    if (change.kind == FieldChange::Kind::Text)
        return change.key + '\t' + quoted(change.tracker) + '\t' + quoted(change.written);
    return change.key + '\t' + change.tracker + '\t' + change.written;
}

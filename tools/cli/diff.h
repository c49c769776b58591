// What a Write would change on a tracker: the block it would send, compared
// with the block just read, one line per settings key.
#pragma once

#include <string>
#include <vector>

#include "config/device_config.h"

struct FieldChange {
    enum class Kind { Number, Text, Bytes };
    // A settings key; for what the file does not carry, the field's name, and
    // "Reserved<offset>" for a stretch of bytes no field names.
    std::string key;
    Kind kind;
    // Numbers in decimal as the settings file writes them, texts in UTF-8,
    // bytes in hexadecimal ("00 FF").
    std::string tracker;
    std::string written;
};

// `tracker` is the block just read and `working` the image a Write would
// collect from the pages, both in host order. The fields a Write takes from
// the tracker never differ; the forced password does when the tracker holds
// another. Settings keys come first, in the order of the key table, then the
// other fields and the reserved stretches by offset.
std::vector<FieldChange> writeChanges(const DeviceConfig& tracker, const DeviceConfig& working);

// "key<TAB>tracker value<TAB>value written": texts in double quotes, with \",
// \\ and \xNN for control characters, so that every line has three columns.
std::string changeLine(const FieldChange& change);

#include "config/models.h"

#include <cstdio>

const char* modelName(int modelId) {
    switch (modelId) {
        case kModelRQ30:
            return "RQ30";
        case kModelRQ10:
            return "RQ10";
        case kModelRQ20:
            return "RQ20";
        default:
            return nullptr;
    }
}

std::string modelLabel(int modelId) {
    if (const char* name = modelName(modelId)) return name;
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(modelId) & 0xFFu);
    return hex;
}

bool modelHasTrackerMode(int modelId) {
    return modelId != kModelRQ10 && modelId != kModelRQ20;
}

int modelIdFromName(std::string_view name) {
    for (int id : {kModelRQ30, kModelRQ10, kModelRQ20})
        if (name == modelName(id)) return id;
    return -1;
}

// One tracker's outcome, as quelter-cli --json prints it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/cli/diff.h"

struct CliReport {
    std::string command;
    std::optional<std::string> port;      // the port the exchange ran on
    int modelId = -1;                     // as the tracker reported it; -1 none
    std::optional<std::string> firmware;  // "3.5.0.12"
    std::optional<std::string> file;      // the settings file read or written
    std::string result;                   // the last status text
    int exitCode = 0;
    std::optional<std::string> backup;  // the tracker's block kept before a write
    std::optional<bool> checkPassed;    // the read-back after a write, once it ran
    std::int64_t elapsedMs = 0;
    std::optional<std::vector<FieldChange>> changes;  // diff only
};

// One line of JSON, without the line end. Members that do not apply are left
// out; a port or model the exchange never reached is null.
std::string reportJson(const CliReport& report);

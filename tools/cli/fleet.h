// quelter-cli --all: one exchange on every port of the list at the same time.
//
// Each port gets a child quelter-cli of its own with --port, so every
// exchange keeps its own port, tick, files and exit status, and the engine
// needs no change; this process only starts them and gathers their results.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FleetRun {
    std::vector<std::string> args;   // each child's arguments, before --port
    std::vector<std::string> ports;  // empty places are skipped
    std::string readDir;             // read: each child saves DIR/<port>.ini
    bool json = false;
};

// Runs the children and prints their results in port order: their status
// texts on standard error, each line led by "PORT: ", and on standard output
// their JSON objects with json, otherwise their lines led by "PORT<TAB>".
// Returns the exit status of the whole run (see the usage text of --all).
int runOnEveryPort(const FleetRun& run, const char* argv0);

// The settings file name of a port: "/dev/ttyUSB0" gives "ttyUSB0.ini",
// "/dev/pts/3" gives "pts-3.ini".
std::string portFileName(std::string_view port);

// The exit status of a run from its ports' statuses, in port order.
int fleetExitCode(const std::vector<int>& codes);

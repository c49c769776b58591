// The command line of quelter-tracker-sim. Other programs and the README start
// it, so the options keep their names and meanings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tools/tracker_sim/pty_tracker.h"
#include "tools/tracker_sim/tracker_sim.h"

struct SimProgramOptions {
    int model = 0x11;
    bool versionGiven = false;
    std::array<std::uint8_t, 4> version{};
    int productId = TrackerSim::kDefaultProductId;
    std::string blockFile;
    std::string saveFile;
    PtyOptions pty;
    SimFaults faults;
    bool help = false;
};

// False with a message for the user on a bad command line.
bool parseSimOptions(int argc, const char* const* argv, SimProgramOptions& options,
                     std::string& error);

const char* simUsage();

// quelter-tracker-sim: a GPS Quelter tracker's bootloader behind a
// pseudo-terminal, for trying the configurator without a tracker.
#include <csignal>
#include <cstdio>
#include <string>

#include "tools/tracker_sim/pty_tracker.h"
#include "tools/tracker_sim/sim_options.h"
#include "tools/tracker_sim/tracker_sim.h"

namespace {

PtyTracker* g_tracker = nullptr;

void onSignal(int) {
    if (g_tracker) g_tracker->requestStop();
}

}  // namespace

int main(int argc, char** argv) {
    SimProgramOptions options;
    std::string error;
    if (!parseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "quelter-tracker-sim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(simUsage(), stdout);
        return 0;
    }

    TrackerSim sim(options.model);
    sim.productId = options.productId;
    sim.faults = options.faults;
    if (!options.blockFile.empty() && !sim.loadBlock(options.blockFile, error)) {
        std::fprintf(stderr, "quelter-tracker-sim: %s\n", error.c_str());
        return 1;
    }
    if (options.versionGiven) sim.setFirmwareVersion(options.version);

    PtyTracker tracker(sim, options.pty);
    if (!tracker.open(error)) {
        std::fprintf(stderr, "quelter-tracker-sim: %s\n", error.c_str());
        return 1;
    }
    g_tracker = &tracker;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::printf("%s\n", tracker.path().c_str());
    std::fflush(stdout);
    tracker.serve();
    g_tracker = nullptr;

    if (!options.saveFile.empty() && !sim.saveBlock(options.saveFile, error)) {
        std::fprintf(stderr, "quelter-tracker-sim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

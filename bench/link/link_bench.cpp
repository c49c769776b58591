// quelter-bench-link: how long a Read and a Write (with its backup and its
// read-back check) take, in wall time and in 20 ms ticks, against the simulated tracker behind a
// pseudo-terminal (paced at 115200 baud, 11 bits a byte), with the real POSIX port and a real tick;
// then the process's CPU time while the port sits open and silent.
//
//   quelter-bench-link [--runs N] [--delay-ms N] [--no-pacing] [--idle-seconds N]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/bootloader_exchange.h"
#include "link/com_port.h"
#include "settings/file_access.h"
#include "settings/tracker_backup.h"
#include "tools/tracker_sim/pty_tracker.h"
#include "tools/tracker_sim/tracker_sim.h"

namespace {

using Clock = std::chrono::steady_clock;

// The window's timer, reduced to what the engine asks of it.
class TimedOwner : public DeviceCommandOwner {
  public:
    void showResult(const std::string& text, ResultColour colour) override {
        result = text;
        failed = colour == ResultColour::Red;
    }
    void showVersion(const std::string&) override {}
    void setModelButtonText(const std::string&) override {}
    void showConfig() override {}
    void collectPages() override {}
    // A real backup, into a folder of the benchmark's own.
    bool backUpBlock(const DeviceConfig& block, int model) override {
        return BackUpTracker(block, model, backupFolder, LocalTimeNow()).ok;
    }
    void armTick() override {
        armed = true;
        due = Clock::now() + std::chrono::milliseconds(20);
    }
    void cancelTick() override { armed = false; }

    std::string result;
    std::string backupFolder;
    bool failed = false;
    bool armed = false;
    Clock::time_point due;
};

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Sample {
    double wallMs;
    int ticks;
};

Sample runExchange(CBootloaderExchange& engine, TimedOwner& owner, bool write) {
    const auto start = Clock::now();
    write ? engine.writeDevice() : engine.readDevice();
    int ticks = 0;
    while (owner.armed) {
        std::this_thread::sleep_until(owner.due);
        owner.armed = false;
        engine.onTick();
        ++ticks;
    }
    const std::chrono::duration<double, std::milli> wall = Clock::now() - start;
    return {wall.count(), ticks};
}

void report(const char* name, std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.wallMs < b.wallMs; });
    const Sample& median = samples[samples.size() / 2];
    int minTicks = samples[0].ticks, maxTicks = samples[0].ticks;
    for (const Sample& s : samples) {
        minTicks = std::min(minTicks, s.ticks);
        maxTicks = std::max(maxTicks, s.ticks);
    }
    std::printf(
        "%-6s runs %zu  wall ms min %.0f median %.0f max %.0f  ticks min %d median %d max %d\n",
        name, samples.size(), samples.front().wallMs, median.wallMs, samples.back().wallMs,
        minTicks, median.ticks, maxTicks);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    int idleSeconds = 3;
    PtyOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--delay-ms" && hasValue) {
            options.delayMs = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--idle-seconds" && hasValue) {
            idleSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--no-pacing") {
            options.pacing = false;
        } else {
            std::fprintf(stderr,
                         "usage: quelter-bench-link [--runs N] [--delay-ms N] [--no-pacing] "
                         "[--idle-seconds N]\n");
            return 2;
        }
    }

    TrackerSim sim;
    PtyTracker tracker(sim, options);
    std::string error;
    if (!tracker.start(error)) {
        std::fprintf(stderr, "quelter-bench-link: %s\n", error.c_str());
        return 1;
    }
    ::setenv("QUELTER_PORTS", tracker.path().c_str(), 1);

    CCOMPort port;
    TimedOwner owner;
    char backups[] = "/tmp/quelter-bench-backups-XXXXXX";
    if (!::mkdtemp(backups)) {
        std::fprintf(stderr, "quelter-bench-link: no folder for the backups\n");
        return 1;
    }
    owner.backupFolder = backups;
    CBootloaderExchange engine(port, owner);
    std::printf("tracker on %s, pacing %s, answer delay %d ms\n", tracker.path().c_str(),
                options.pacing ? "115200 baud" : "off", options.delayMs);

    DeviceConfig asRead{};
    for (bool write : {false, true}) {
        std::vector<Sample> samples;
        // Every Write sends back what the Reads found (a Write leaves its
        // read image in device order, so it is kept here).
        if (write) asRead = engine.workingImage;
        for (int i = 0; i < runs; ++i) {
            if (write) engine.workingImage = asRead;
            samples.push_back(runExchange(engine, owner, write));
            if (owner.failed) {
                std::fprintf(stderr, "quelter-bench-link: %s failed: %s\n",
                             write ? "Write" : "Read", owner.result.c_str());
                std::filesystem::remove_all(backups);
                return 1;
            }
        }
        report(write ? "Write" : "Read", samples);
    }

    // The port open and the line silent: the reader must sleep, not poll.
    port.close();
    if (port.open(1, CBootloaderExchange::kBaudRate) != 0) {
        std::fprintf(stderr, "quelter-bench-link: cannot open %s\n", tracker.path().c_str());
        return 1;
    }
    const double cpuBefore = processCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double cpuUsed = processCpuMs() - cpuBefore;
    port.close();
    std::printf("idle   port open %d s, process CPU %.2f ms\n", idleSeconds, cpuUsed);

    tracker.stop();
    std::filesystem::remove_all(backups);
    return 0;
}

// quelter-bench-link: how long a Read and a Write (with its pre-read, its
// backup, its read-back check and whatever else it sends) take against the
// simulated tracker behind a pseudo-terminal, with the real POSIX port and
// quelter-cli's owner (arrivals and the 20 ms tick, waited on together).
// Beside each, the line's floor: the time the bytes that crossed the line
// need on a 115200-baud cable. Then the process's CPU time while the port
// sits open and silent.
//
//   quelter-bench-link [--runs N] [--delay-ms N] [--flash-ms N] [--no-pacing]
//                      [--idle-seconds N]
#include <sys/resource.h>
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
#include "link/exchange_waiter.h"
#include "settings/file_access.h"
#include "settings/tracker_backup.h"
#include "tools/tracker_sim/pty_tracker.h"
#include "tools/tracker_sim/tracker_sim.h"

namespace {

using Clock = std::chrono::steady_clock;

// A start bit, 8 data bits, parity and a stop bit.
constexpr double kByteMs = 11 * 1000.0 / 115200;
constexpr std::uint8_t kAck = 0x79;
constexpr int kBlockAnswer = 1 + 128;  // a Read count's ACK and its data

// What the engine asks of its owner, as quelter-cli gives it.
class WaitingOwner : public DeviceCommandOwner {
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
    void armTick() override { waiter.armTick(); }
    void cancelTick() override { waiter.cancelTick(); }

    std::string result;
    std::string backupFolder;
    bool failed = false;
    ExchangeWaiter waiter;
};

// The bytes of one exchange, each way, from the engine's trace. Both
// directions are lock-step, one waiting for the other, but for the next
// block's Read command: it goes out while the tracker is still sending the
// block before, so its bytes overlap and cost the line no time.
struct LineTally {
    long host = 0;
    long tracker = 0;
    long overlapped = 0;
    bool countSent = false;
    long blockOwed = 0;  // tracker bytes of an accepted Read count still to come

    void add(const TraceEvent& e) {
        const long n = static_cast<long>(e.bytes.size());
        if (e.kind == TraceEvent::FrameSent) {
            host += n;
            overlapped += std::min(n, blockOwed);
            countSent = n == 2 && e.bytes[0] == 0x7F && e.bytes[1] == 0x80;
            return;
        }
        tracker += n;
        if (countSent && n > 0 && e.bytes[0] == kAck) blockOwed = kBlockAnswer;
        countSent = false;
        blockOwed = std::max(0L, blockOwed - n);
    }
    double floorMs() const { return static_cast<double>(host + tracker - overlapped) * kByteMs; }
};

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Times any thread of the process went to sleep or was put aside.
long contextSwitches() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

struct Sample {
    double wallMs;
    LineTally line;
    int arrivals;
    int ticks;
};

// From the command until the engine has nothing more to wait for.
Sample runExchange(CBootloaderExchange& engine, WaitingOwner& owner, bool write) {
    Sample s{};
    engine.setTraceHook([&s](const TraceEvent& e) { s.line.add(e); });
    const auto start = Clock::now();
    write ? engine.writeDevice() : engine.readDevice();
    while (owner.waiter.tickArmed()) {
        if (owner.waiter.wait() == ExchangeWaiter::Wake::Arrival) {
            engine.onArrival();
            ++s.arrivals;
        } else {
            engine.onTick();
            ++s.ticks;
        }
    }
    s.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    engine.setTraceHook(nullptr);
    return s;
}

void report(const char* name, std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.wallMs < b.wallMs; });
    const Sample& m = samples[samples.size() / 2];
    const double floor = m.line.floorMs();
    std::printf("%-6s runs %zu  wall ms min %.0f median %.0f max %.0f\n", name, samples.size(),
                samples.front().wallMs, m.wallMs, samples.back().wallMs);
    std::printf(
        "       line floor %.1f ms (host %ld B, tracker %ld B, %ld B overlapped)  "
        "median/floor %.2f  (median run: %d arrivals, %d ticks)\n",
        floor, m.line.host, m.line.tracker, m.line.overlapped, m.wallMs / floor, m.arrivals,
        m.ticks);
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
        } else if (arg == "--flash-ms" && hasValue) {
            options.flashMs = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--idle-seconds" && hasValue) {
            idleSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--no-pacing") {
            options.pacing = false;
        } else {
            std::fprintf(stderr,
                         "usage: quelter-bench-link [--runs N] [--delay-ms N] [--flash-ms N] "
                         "[--no-pacing] [--idle-seconds N]\n");
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

    WaitingOwner owner;  // outlives the port, whose reader thread notifies it
    CCOMPort port;
    char backups[] = "/tmp/quelter-bench-backups-XXXXXX";
    if (!::mkdtemp(backups)) {
        std::fprintf(stderr, "quelter-bench-link: no folder for the backups\n");
        return 1;
    }
    owner.backupFolder = backups;
    port.setArrivalNotify(&ExchangeWaiter::notify, &owner.waiter);
    CBootloaderExchange engine(port, owner);
    std::printf("tracker on %s, line %s, answer delay %d ms, flash write %d ms a block\n",
                tracker.path().c_str(), options.pacing ? "115200 baud both ways" : "not paced",
                options.delayMs, options.flashMs);

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

    // The Write leaves the port open; the line is silent now. The reader
    // must sleep in the OS, not poll.
    if (!port.isOpen()) {
        std::fprintf(stderr, "quelter-bench-link: the Write left no port open\n");
        std::filesystem::remove_all(backups);
        return 1;
    }
    const double cpuBefore = processCpuMs();
    const long switchesBefore = contextSwitches();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const long switches = contextSwitches() - switchesBefore;
    const double cpuUsed = processCpuMs() - cpuBefore;
    port.close();
    // The benchmark's own sleep accounts for one switch.
    std::printf("idle   port open and silent %d s, process CPU %.2f ms, %ld context switches\n",
                idleSeconds, cpuUsed, switches);

    tracker.stop();
    std::filesystem::remove_all(backups);
    return 0;
}

// The simulated tracker behind a pseudo-terminal: the tool (or any bootloader
// host program) opens the slave side as if it were the tracker's cable.
//
// Unless pacing is off, the line runs at 115200 baud with 11 bits a byte both
// ways: a frame from the host is taken once its last byte would have come in,
// and answers go out, after a small delay, at that rate too. So timings over
// the pty are those of a real cable. A written data block may take a while
// more, as a real tracker's flash does. The simulator keeps its own
// descriptor of the slave open, so the line never hangs up between the
// tool's opens and stays raw.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "tools/tracker_sim/tracker_sim.h"

struct PtyOptions {
    bool pacing = true;
    int delayMs = 1;          // before each answer
    int flashMs = 0;          // more before the ACK of each written data block
    int pauseMs = 30;         // inside a block sent in two parts (more than one 20 ms tick)
    int noiseBeforeOpen = 0;  // noise bytes put on the line before anyone opens it
    int chatterPeriodMs = 10;
};

class PtyTracker final : private TrackerOutput {
  public:
    PtyTracker(TrackerSim& sim, PtyOptions options);
    ~PtyTracker() override;
    PtyTracker(const PtyTracker&) = delete;
    PtyTracker& operator=(const PtyTracker&) = delete;

    // Creates the pseudo-terminal; false with the reason on failure.
    bool open(std::string& error);
    // The slave device, the path to put into QUELTER_PORTS.
    const std::string& path() const { return path_; }

    // Serves on the calling thread until requestStop().
    void serve();
    // Safe from a signal handler and from any thread.
    void requestStop();

    // open() and serve() on a thread of their own; stop() ends and joins it.
    // The TrackerSim may be looked at again once stop() has returned.
    bool start(std::string& error);
    void stop();

  private:
    using Clock = std::chrono::steady_clock;

    void send(const std::uint8_t* bytes, std::size_t length) override;
    void pause() override;
    void writingFlash() override;
    void writeLine(const std::uint8_t* bytes, std::size_t length);

    TrackerSim& sim_;
    PtyOptions options_;
    int master_ = -1;
    int slave_ = -1;
    int stopRead_ = -1;
    int stopWrite_ = -1;
    std::string path_;
    std::thread thread_;
    // When the line is free for the next byte, when the host's bytes read so
    // far are all in, and when the answer being sent may begin.
    Clock::time_point lineFree_{};
    Clock::time_point inputDone_{};
    Clock::time_point answerStart_{};
    Clock::time_point lastInput_{};
};

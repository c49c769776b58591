// A SerialLink in process, for tests and tools that run the engine without a
// port: COM n is absent, silent, or the simulated tracker. No clock and no
// threads: what the tracker answers is there the next time the host looks
// (available()), so a test that delivers arrivals and ticks itself sees the
// same bytes every time. The arrival notify runs as soon as an answer is
// queued (inside write(), on the caller's thread). A pause in the tracker's
// answer holds the rest back for some looks; held bytes are found by a look,
// not announced.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/serial_link.h"
#include "tools/tracker_sim/tracker_sim.h"

class SimulatedLink final : public SerialLink, private TrackerOutput {
  public:
    enum class Port : std::uint8_t { Absent, Silent, Tracker };

    explicit SimulatedLink(TrackerSim& sim, int trackerPort = 1);

    void setPort(int portNumber, Port kind);
    // Looks a pause lasts: 1, the rest comes one look after the first part.
    void setPauseLooks(int looks) { pauseLooks_ = looks; }

    int open(int portNumber, int baud) override;
    void close() override;
    bool isOpen() const override { return open_ != 0; }
    int available() override;
    int fetch(std::uint8_t* ring, int& writeIndex, int ringSize) override;
    void write(const std::uint8_t* bytes, std::uint8_t length) override;
    void setArrivalNotify(ArrivalNotify notify, void* context) override;

    // Every port number open() was asked for, in order.
    const std::vector<int>& openAttempts() const { return attempts_; }
    int openPort() const { return open_; }
    // Connections ended, by close() or by an open() over an open port.
    int closes() const { return closes_; }

  private:
    void send(const std::uint8_t* bytes, std::size_t length) override;
    void pause() override;

    TrackerSim& sim_;
    std::array<Port, 256> ports_{};
    int open_ = 0;
    std::vector<int> attempts_;
    int closes_ = 0;
    std::size_t visible() const { return holding_ ? heldFrom_ : queue_.size(); }

    // Answers not yet drained; from heldFrom_ on they wait out a pause until
    // the looks_ count reaches releaseAt_.
    std::vector<std::uint8_t> queue_;
    bool holding_ = false;
    std::size_t heldFrom_ = 0;
    long looks_ = 0;
    long releaseAt_ = 0;
    int pauseLooks_ = 1;
    int quietLooks_ = 0;

    ArrivalNotify notify_ = nullptr;
    void* notifyContext_ = nullptr;
};

// The engine with a recording owner and the in-process tracker. The test is
// the owner's event loop: it hands the engine each arrival the link signals,
// and fires the tick (20 ms gone by) only when nothing has arrived.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "link/bootloader_exchange.h"
#include "tools/tracker_sim/simulated_link.h"
#include "tools/tracker_sim/tracker_sim.h"

using Bytes = std::vector<std::uint8_t>;

// "7F 00 FF" -> {0x7F, 0x00, 0xFF}
inline Bytes hex(const std::string& text) {
    std::istringstream in(text);
    Bytes bytes;
    unsigned value = 0;
    while (in >> std::hex >> value) bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

struct Shown {
    std::string text;
    ResultColour colour;
    bool operator==(const Shown&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << '"' << s.text << "\" on " << (s.colour == ResultColour::Green ? "green" : "red");
}

class RecordingOwner : public DeviceCommandOwner {
  public:
    std::vector<Shown> results;
    std::string version;
    std::string modelButton = "RQ30";
    int showConfigCalls = 0;
    int cancelCalls = 0;
    bool armed = false;
    // Stands in for the pages at the start of a write phase.
    std::function<void()> onCollect;
    // Stands in for the backup before a write phase; without it every backup
    // succeeds. Each call's block and model are kept.
    std::function<bool()> onBackup;
    std::vector<std::pair<DeviceConfig, int>> backups;

    void showResult(const std::string& text, ResultColour colour) override {
        results.push_back({text, colour});
    }
    void showVersion(const std::string& text) override { version = text; }
    void setModelButtonText(const std::string& text) override { modelButton = text; }
    void showConfig() override { ++showConfigCalls; }
    void collectPages() override {
        if (onCollect) onCollect();
    }
    bool backUpBlock(const DeviceConfig& block, int model) override {
        backups.emplace_back(block, model);
        return onBackup ? onBackup() : true;
    }
    void armTick() override { armed = true; }
    void cancelTick() override {
        armed = false;
        ++cancelCalls;
    }

    Shown last() const {
        return results.empty() ? Shown{"<nothing>", ResultColour::Red} : results.back();
    }
};

inline const Shown kReadOk{"Параметры прочитаны успешно", ResultColour::Green};
inline const Shown kWriteOk{"Параметры записаны успешно", ResultColour::Green};
inline const Shown kInterrupted{"Обмен с GPS Quelter прерван", ResultColour::Red};
inline const Shown kNoConnection{"Подключения GPS Quelter к ПК не обнаружено", ResultColour::Red};
inline const Shown kIncompatible{"Несовместимое устройство", ResultColour::Red};
inline const Shown kBadModel{"Ошибка чтения модели устройства", ResultColour::Red};
inline const Shown kCleared{"", ResultColour::Green};

struct ExchangeBench {
    TrackerSim sim;
    SimulatedLink link;
    RecordingOwner owner;
    CBootloaderExchange engine{link, owner};
    std::vector<Bytes> sent;  // frames as the engine handed them to the link
    Bytes received;           // bytes as the engine took them from the link
    bool arrived = false;     // the link signalled bytes not yet handed over

    explicit ExchangeBench(int model = kModelRQ30, int trackerPort = 1)
        : sim(model), link(sim, trackerPort) {
        engine.setTraceHook([this](const TraceEvent& e) {
            if (e.kind == TraceEvent::FrameSent)
                sent.emplace_back(e.bytes.begin(), e.bytes.end());
            else
                received.insert(received.end(), e.bytes.begin(), e.bytes.end());
        });
        link.setArrivalNotify([](void* self) { static_cast<ExchangeBench*>(self)->arrived = true; },
                              this);
    }

    // Hands over arrivals, and fires the tick whenever none is waiting, while
    // the engine keeps its tick armed; returns how many ticks fired.
    int run(int limit = 20000) {
        int ticks = 0;
        for (int steps = 0; owner.armed && steps < limit; ++steps) {
            if (std::exchange(arrived, false)) {
                engine.onArrival();
            } else {
                owner.armed = false;
                engine.onTick();
                ++ticks;
            }
        }
        return ticks;
    }

    // Hands over arrivals until none is waiting; no time passes.
    void deliverArrivals() {
        while (std::exchange(arrived, false)) engine.onArrival();
    }

    // The tick alone, as for a link that never signals arrivals.
    int runOnTicksOnly(int limit = 20000) {
        link.setArrivalNotify(nullptr, nullptr);
        int ticks = 0;
        while (owner.armed && ticks < limit) {
            owner.armed = false;
            engine.onTick();
            ++ticks;
        }
        return ticks;
    }

    // The tracker's block as the tool holds it after a Read: host order.
    DeviceConfig trackerImage() const {
        DeviceConfig c{};
        std::copy(sim.block.begin(), sim.block.end(), c.bytes);
        SwapByteOrder(c);
        return c;
    }
};

// Twelve times ReadCommand, Address, ReadCount, from a tracker that accepts
// everything at once: how a Read takes the block, and how a Write checks it.
inline std::vector<Bytes> expectedBlockReadFrames() {
    static const std::uint8_t kAddressChecksums[12] = {0x10, 0x90, 0x11, 0x91, 0x12, 0x92,
                                                       0x13, 0x93, 0x14, 0x94, 0x15, 0x95};
    std::vector<Bytes> frames;
    for (int block = 0; block < 12; ++block) {
        const int address = 0x1000 + 128 * block;
        frames.push_back(hex("11 EE"));
        frames.push_back({0x00, 0x00, static_cast<std::uint8_t>(address >> 8),
                          static_cast<std::uint8_t>(address & 0xFF), kAddressChecksums[block]});
        frames.push_back(hex("7F 80"));
    }
    return frames;
}

// The frames of a Read: Sync, Get, then the block.
inline std::vector<Bytes> expectedReadFrames() {
    std::vector<Bytes> frames = {hex("7F"), hex("7F 00 FF")};
    const std::vector<Bytes> block = expectedBlockReadFrames();
    frames.insert(frames.end(), block.begin(), block.end());
    return frames;
}

inline bool sameBlock(const DeviceConfig& a, const DeviceConfig& b) {
    return std::equal(a.bytes, a.bytes + kDeviceBlockSize, b.bytes);
}

// One conversation with the tracker's serial bootloader, plus the Read, Write
// and Reset commands that start it. It runs on the owner's thread, which calls
// onArrival as soon as the link has received bytes (SerialLink's arrival
// notify) and onTick when the one-shot 20 ms tick fires. Answers are handled
// the moment they are in whole; the tick counts silence. No thread of its own
// and no locks; nothing allocates per arrival or tick.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "config/device_config.h"
#include "config/models.h"
#include "link/device_owner.h"
#include "link/serial_link.h"

enum class FrameKind : std::uint8_t {
    Sync = 0x7F,
    Get = 0x00,
    ReadCommand = 0x11,
    WriteCommand = 0x31,
    Address = 0x12,
    ReadCount = 0x13,
    DataBlock = 0x14,
};

// Diagnostics: every frame handed to the link, and every byte taken from it.
struct TraceEvent {
    enum Kind : std::uint8_t { FrameSent, BytesReceived } kind;
    std::span<const std::uint8_t> bytes;
};

class CBootloaderExchange {
public:
    CBootloaderExchange(SerialLink& link, DeviceCommandOwner& owner);

    // Device commands (toolbar and menu).
    void readDevice();
    void writeDevice();
    void resetDevice();
    // A Write of `block` (device order, as a backup holds it) in place of the
    // pages, for a tracker of `model`; the tracker's own fields and the
    // password are taken as in every Write.
    void restoreDevice(const DeviceConfig& block, int model);

    // Bytes arrived on the link: every answer now in whole is handled at once.
    // A wake-up with nothing new does no harm.
    void onArrival();
    // The owner's one-shot 20 ms tick. While an exchange waits, the engine
    // keeps it armed (each frame sent restarts it) and counts the ticks in
    // which nothing arrived: 50 of them in a row, one second, end the wait.
    // It also takes whatever bytes are waiting, so a link that never signals
    // arrivals still works, one answer or more per tick.
    void onTick();
    // Ends a running exchange at once: the port closes, nothing is shown.
    void stop();

    // Where the exchange is, for the window's busy state and progress. An
    // exchange that reached its end no longer runs, though its port closes
    // only on the next tick (a new command closes it at once).
    bool running() const { return running_ && !finished_; }
    // A Write or a Reset is under way, its first read included.
    bool writing() const { return running() && !readCommand_; }
    // Which pass over the block the exchange is in, and how many of its
    // kBlockCount blocks are done: a Read reads, a Write reads, writes, and
    // reads back to check.
    enum class Pass : std::uint8_t { Reading, Writing, Checking };
    Pass pass() const {
        return writePhase_ ? Pass::Writing : checkPhase_ ? Pass::Checking : Pass::Reading;
    }
    int blocksDone() const { return blocksDone_; }
    // The last command's scan ended without a tracker.
    bool trackerNotFound() const { return trackerNotFound_; }

    void setTraceHook(std::function<void(const TraceEvent&)> hook);

    // The three images and the models.
    DeviceConfig readImage{};
    DeviceConfig workingImage{};
    DeviceConfig writeImage{};
    int editedModel = kModelRQ30;
    int deviceModel = -1;

    static constexpr int kRingSize = 1024;
    static constexpr int kBlockCount = 12;
    static constexpr int kBaudRate = 115200;

private:
    // Commands: start clean, scan, and the four outcomes the engine reports.
    void startCommand(bool read);
    void scanPorts();
    void noteRefusal(int portNumber);
    void showNotFound();
    void readFinished();
    bool prepareWrite();
    void writeFinished(int differences);

    // Engine.
    void sendFrame(FrameKind kind);
    void restartTick();
    int drainLink();
    int bytesNeeded() const;
    void serve();
    bool handleAnswer();
    void onAck();
    FrameKind retryFrame() const;
    void takeGetAnswer();
    void takeBlock();
    void startCheck();
    void finishAfterOneTick();
    void onSilentTick();
    void giveUp();
    void endExchange(const char* failureText);
    void halt();
    void consumeByte();
    void discardPending();
    void closeLink();
    void show(const char* text, ResultColour colour);

    SerialLink& link_;
    DeviceCommandOwner& owner_;
    std::function<void(const TraceEvent&)> trace_;

    std::array<std::uint8_t, kRingSize> ring_{};
    int ringRead_ = 0;
    int ringWrite_ = 0;
    int pending_ = 0;
    std::array<std::uint8_t, kRingSize> frame_{};

    FrameKind lastFrame_ = FrameKind::Sync;
    int blockAddress_ = 0;
    bool blockExpected_ = false;
    int silentTicks_ = 0;
    // Bytes arrived since the tick was armed: it will not be a silent one.
    bool heard_ = false;
    bool answerSeen_ = false;
    int portNumber_ = 1;
    bool readRequested_ = false;
    bool writePhase_ = false;
    bool readCommand_ = false;
    int blocksDone_ = 0;
    bool trackerNotFound_ = false;
    // The first port of this command's scan that was there but busy or
    // refused, and why; the text of a scan that finds nothing names it.
    int refusedPort_ = 0;
    PortOpenError refusal_ = PortOpenError::None;
    // After the last block is written, the block is read back and compared.
    bool checkPhase_ = false;
    std::array<std::uint8_t, kDeviceBlockSize> checkBlock_{};
    // The Write sends a backup rather than the pages (writeImage holds it).
    bool restoring_ = false;
    int restoreModel_ = -1;

    // An exchange is under way: arrivals and ticks mean something only then.
    bool running_ = false;
    // The exchange reached its end (a Read's last block, or a refused Write):
    // the next tick closes the port whatever arrives.
    bool finished_ = false;
    // Refusals since the exchange last made progress.
    int refusals_ = 0;

    // Status texts go out through one buffer reserved up front, so an arrival
    // or a tick that ends an exchange does not allocate.
    std::string text_;
};

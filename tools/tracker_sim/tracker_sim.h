// The device side of the tracker's serial bootloader, as a plain state
// machine: bytes from the host go in, answers go out to a TrackerOutput. The
// transports (an in-process SerialLink, a pseudo-terminal) decide when the
// answers reach the host.
//
// It speaks the ST USART bootloader protocol as this tracker does: 0x7F is
// answered with ACK, also when it opens the Get frame (0x7F 0x00 0xFF), whose
// answer stream is then 11 bytes with the model id at byte 3; Get, Get Version,
// Get ID, Read Memory, Write Memory and Go, with complements and checksums
// checked. A refused data block may be sent again at once (the tracker stays
// ready for it); every other refusal returns to waiting for a command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Frames as the tracker tells them apart. Get covers the Get frame with its
// leading 0x7F; Sync is a 0x7F on its own.
enum class SimFrame : std::uint8_t {
    Sync,
    Get,
    GetVersion,
    GetId,
    ReadCommand,
    WriteCommand,
    Go,
    Address,
    ReadCount,
    DataBlock,
    Count
};

// Lower-case names used on the command line ("sync", "get", "version", "id",
// "read", "write", "go", "address", "count", "data"); Count when unknown.
SimFrame simFrameFromName(const std::string& name);

class TrackerOutput {
  public:
    virtual ~TrackerOutput() = default;
    // Bytes for the host, in line order.
    virtual void send(const std::uint8_t* bytes, std::size_t length) = 0;
    // The line goes quiet for a while before the next bytes.
    virtual void pause() = 0;
    // The tracker writes a received data block to its flash before it
    // acknowledges it; a transport with a clock lets that take its time.
    virtual void writingFlash() {}
};

// Frames first .. first + count - 1 (counted from 1) of one kind.
struct FrameFault {
    SimFrame kind = SimFrame::Count;
    int first = 1;
    int count = 1;
};

// The answer to the nth frame of a kind goes out as its first `at` bytes, a
// pause, and the rest (with `at` 0: the pause, then the whole answer). A block
// read: {ReadCount, k, 1 + data bytes}.
struct AnswerSplit {
    SimFrame kind = SimFrame::Count;
    int nth = 0;
    int at = 0;
};

struct SimFaults {
    std::vector<FrameFault> refuse;     // answered with NACK
    std::vector<FrameFault> badAnswer;  // answered with a byte that is neither ACK nor NACK
    // Data blocks acknowledged as usual but stored with every byte inverted,
    // as a failing flash might keep them.
    std::vector<FrameFault> badFlash;
    int silentAfter = -1;  // frames answered before the tracker falls silent; -1 never
    AnswerSplit split;
    // Once the last block was read or written, this many noise bytes, a few
    // at a time while the host is quiet (as a tracker's firmware might log
    // after leaving its bootloader); anything from the host ends them.
    int chatter = 0;
};

class TrackerSim {
  public:
    static constexpr std::size_t kBlockSize = 1536;
    static constexpr std::uint32_t kBlockAddress = 0x1000;
    static constexpr std::uint8_t kAck = 0x79;
    static constexpr std::uint8_t kNack = 0x1F;
    static constexpr std::uint8_t kNoise = 0x55;
    static constexpr int kDefaultProductId = 0x0410;

    // A realistic configuration for the model, firmware version 3.5.0.12.
    explicit TrackerSim(int model = 0x11);

    // The configuration block at 0x1000..0x15FF, device (big-endian) order.
    std::array<std::uint8_t, kBlockSize> block{};
    int model;
    int productId = kDefaultProductId;
    SimFaults faults;

    // FirmwareVersion, bytes 384..387 of the block.
    void setFirmwareVersion(const std::array<std::uint8_t, 4>& version);

    // The block as a file: exactly 1536 bytes, device order.
    bool loadBlock(const std::string& path, std::string& error);
    bool saveBlock(const std::string& path, std::string& error) const;

    void receive(const std::uint8_t* bytes, std::size_t length, TrackerOutput& out);
    // The host has been quiet a while; a chattering tracker talks anyway.
    void idle(TrackerOutput& out);
    bool chattering() const;
    // The host went away and came back: a frame it left unfinished is dropped.
    void lineReset();

    // Frames seen so far, of one kind or in all.
    int framesSeen(SimFrame kind) const;
    int framesSeen() const { return total_; }

  private:
    enum class State : std::uint8_t {
        Command,
        ReadAddress,
        ReadCount,
        WriteAddress,
        WriteData,
        GoAddress
    };
    enum class Verdict : std::uint8_t { Answer, Refused, Bad, Silent };

    std::size_t parse(TrackerOutput& out);
    Verdict judge(SimFrame kind, TrackerOutput& out);
    bool silent() const;
    void onCommand(std::uint8_t code, std::uint8_t complement, TrackerOutput& out);
    void onGet(bool withSync, TrackerOutput& out);
    void onAddress(const std::uint8_t* p, TrackerOutput& out);
    void onReadCount(std::uint8_t n, std::uint8_t complement, TrackerOutput& out);
    void onWriteData(const std::uint8_t* p, std::size_t length, TrackerOutput& out);
    bool inBlock(std::uint32_t address, std::size_t length) const;
    void noteEnd(std::uint32_t address, std::size_t length);
    void reply(TrackerOutput& out, std::uint8_t byte);
    void answer(TrackerOutput& out, const std::uint8_t* bytes, std::size_t length);

    State state_ = State::Command;
    std::vector<std::uint8_t> input_;
    std::uint32_t address_ = 0;
    std::array<int, static_cast<std::size_t>(SimFrame::Count)> seen_{};
    int total_ = 0;
    // The frame being answered, as judge() counted it.
    SimFrame kind_ = SimFrame::Count;
    int nth_ = 0;
    std::array<std::uint8_t, 1 + 256> answer_{};
    int chatterLeft_ = 0;
};

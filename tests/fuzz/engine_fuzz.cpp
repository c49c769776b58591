// Read, Write, Reset and Restore against a link that answers with arbitrary bytes in
// arbitrary chunks, at arbitrary moments between the 20 ms ticks.
//  - every frame the engine sends is one the protocol knows, and a data block
//    carries the write image's bytes at the address just sent, with its
//    checksum;
//  - the ring index handed to the link stays inside the ring;
//  - the bytes past the device block stay zero in every image;
//  - the exchange ends (no tick armed) within a bound that follows from the
//    input: a tick either hears new bytes, gives up a port, or is one of at
//    most 50 silent ticks in a row;
//  - a tick gives up on the tracker only after 50 ticks in a row in which
//    nothing arrived (unless the exchange had reached its end, whose port the
//    next tick closes).
//
// Input: one byte of set-up, then chunks. Set-up bits 0-1 pick the command
// (Read, Write, Reset, Restore of a backup), bits 2-3 how many ports open (1
// to 4), bits 4-5 the model being edited or restored (RQ30, RQ10, RQ20,
// 0x42), bit 6 set makes the backup before a Write fail. A chunk is a byte h and
// h & 0x3F bytes that arrive; bits 6-7 of h say what follows: 0 the arrival
// is signalled and the tick comes, 1 the arrival is signalled and the next
// chunk comes before the tick, 2 the tick comes without a signal (a link
// that never signals), 3 the next chunk comes with neither. After the last
// chunk the line is silent and only ticks come.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/device_config.h"
#include "config/models.h"
#include "link/bootloader_exchange.h"
#include "link/status_texts.h"

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "engine fuzz: %s\n", what);
    std::abort();
}

class Owner final : public DeviceCommandOwner {
  public:
    void showResult(const std::string& text, ResultColour) override {
        // A Read that has all its blocks, or a Write refused before it
        // writes: the next tick closes the port, silence or not.
        if (text == kTextReadOk || text == kTextIncompatible) ended = true;
    }
    void showVersion(const std::string&) override {}
    void setModelButtonText(const std::string&) override {}
    void showConfig() override {}
    void collectPages() override {}
    // The engine is what is fuzzed here, not the disk: the backup succeeds
    // or fails as the input says. A failed one ends the exchange.
    bool backUpBlock(const DeviceConfig&, int) override {
        if (!backupWorks) ended = true;
        return backupWorks;
    }
    void armTick() override { armed = true; }
    void cancelTick() override { armed = false; }

    bool armed = false;
    bool ended = false;
    bool backupWorks = true;
};

class FuzzLink final : public SerialLink {
  public:
    FuzzLink(const std::uint8_t* data, std::size_t size, int openPorts)
        : data_(data), size_(size), openPorts_(openPorts) {}

    void setEngine(const CBootloaderExchange* engine, const Owner* owner) {
        engine_ = engine;
        owner_ = owner;
    }

    enum class Then { SignalAndTick, Signal, Tick, Nothing };

    bool more() const { return at_ < size_; }
    // Makes the next chunk available and says what follows it.
    Then arrive() {
        const std::uint8_t h = data_[at_++];
        const std::size_t n = std::min<std::size_t>(h & 0x3Fu, size_ - at_);
        if (open_ && n > 0) {
            waiting_.append(reinterpret_cast<const char*>(data_ + at_), n);
            ticksSinceArrival_ = 0;
        }
        at_ += n;
        return static_cast<Then>(h >> 6);
    }

    // Around each tick.
    void tickStarts() {
        ++ticksSinceArrival_;
        inTick_ = true;
        fetchedInTick_ = false;
    }
    void tickEnds() { inTick_ = false; }

    int open(int portNumber, int baud) override {
        check(baud == 115200, "wrong baud rate");
        waiting_.clear();
        open_ = portNumber >= 1 && portNumber <= openPorts_;
        return open_ ? 0 : 1;
    }
    void close() override {
        if (inTick_ && !fetchedInTick_ && !owner_->ended)
            check(ticksSinceArrival_ >= 50, "gave up on a tracker that answered within 50 ticks");
        open_ = false;
        waiting_.clear();
    }
    bool isOpen() const override { return open_; }
    int available() override { return open_ ? static_cast<int>(waiting_.size()) : 0; }
    int fetch(std::uint8_t* ring, int& writeIndex, int ringSize) override {
        check(ringSize == CBootloaderExchange::kRingSize, "wrong ring size");
        check(writeIndex >= 0 && writeIndex < ringSize, "ring index outside the ring");
        const int n = open_ ? static_cast<int>(waiting_.size()) : 0;
        for (int i = 0; i < n; ++i) {
            ring[writeIndex] = static_cast<std::uint8_t>(waiting_[static_cast<std::size_t>(i)]);
            writeIndex = (writeIndex + 1) % ringSize;
        }
        waiting_.clear();
        if (inTick_ && n > 0) fetchedInTick_ = true;
        return n;
    }
    void write(const std::uint8_t* bytes, std::uint8_t length) override {
        check(open_, "a frame written to a closed port");
        checkFrame(bytes, length);
    }

  private:
    void checkFrame(const std::uint8_t* b, std::uint8_t n) {
        static const std::uint8_t kFixed[][3] = {
            {0x7F}, {0x7F, 0x00, 0xFF}, {0x11, 0xEE}, {0x31, 0xCE}, {0x7F, 0x80}};
        static const std::uint8_t kFixedLength[] = {1, 3, 2, 2, 2};
        for (int k = 0; k < 5; ++k)
            if (n == kFixedLength[k] && std::memcmp(b, kFixed[k], n) == 0) return;
        if (n == 5) {
            const int address = (b[2] << 8) | b[3];
            check(b[0] == 0 && b[1] == 0 && b[4] == (b[2] ^ b[3]), "malformed Address frame");
            check(address >= 0x1000 && address < 0x1600 && address % 128 == 0,
                  "Address outside the configuration block");
            lastAddress_ = address;
            return;
        }
        check(n == 130, "unknown frame");
        check(lastAddress_ >= 0x1000, "data block without an address");
        std::uint8_t sum = b[0];
        for (int i = 1; i <= 128; ++i) sum ^= b[i];
        check(b[0] == 0x7F && b[129] == sum, "malformed data block");
        check(std::memcmp(b + 1, engine_->writeImage.bytes + (lastAddress_ - 0x1000), 128) == 0,
              "data block differs from the write image");
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    int openPorts_;
    bool open_ = false;
    std::string waiting_;
    int lastAddress_ = -1;
    long ticksSinceArrival_ = 0;
    bool inTick_ = false;
    bool fetchedInTick_ = false;
    const CBootloaderExchange* engine_ = nullptr;
    const Owner* owner_ = nullptr;
};

bool tailIsZero(const DeviceConfig& c) {
    for (std::size_t i = kDeviceBlockSize; i < kConfigSize; ++i)
        if (c.bytes[i] != 0) return false;
    return true;
}

constexpr int kModels[] = {kModelRQ30, kModelRQ10, kModelRQ20, 0x42};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t setup = data[0];
    const int openPorts = 1 + ((setup >> 2) & 3);
    FuzzLink link(data + 1, size - 1, openPorts);
    Owner owner;
    CBootloaderExchange engine(link, owner);
    link.setEngine(&engine, &owner);
    for (std::size_t i = 0; i < kDeviceBlockSize; ++i)
        engine.workingImage.bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    engine.editedModel = kModels[(setup >> 4) & 3];

    owner.backupWorks = (setup & 0x40) == 0;
    switch (setup & 3) {
        case 0:
            engine.readDevice();
            break;
        case 1:
            engine.writeDevice();
            break;
        case 2:
            engine.resetDevice();
            break;
        default: {
            DeviceConfig backup;
            for (std::size_t i = 0; i < kConfigSize; ++i)
                backup.bytes[i] = static_cast<std::uint8_t>(i * 29 + 3);
            engine.restoreDevice(backup, kModels[(setup >> 4) & 3]);
            break;
        }
    }

    // Each chunk makes at most one tick heard; each port is given up once;
    // between two of those at most 50 silent ticks pass.
    const long bound = 51L * (2L * static_cast<long>(size) + openPorts + 2);
    long ticks = 0;
    const auto tick = [&] {
        if (!owner.armed) return;
        owner.armed = false;
        link.tickStarts();
        engine.onTick();
        link.tickEnds();
        ++ticks;
    };
    const auto checkImages = [&] {
        check(tailIsZero(engine.readImage) && tailIsZero(engine.workingImage) &&
                  tailIsZero(engine.writeImage),
              "bytes past the device block changed");
    };
    using Then = FuzzLink::Then;
    while (link.more()) {
        const Then then = link.arrive();
        if (then == Then::SignalAndTick || then == Then::Signal) engine.onArrival();
        if (then == Then::SignalAndTick || then == Then::Tick) tick();
        checkImages();
    }
    while (owner.armed && ticks <= bound) {
        tick();
        checkImages();
    }
    check(!owner.armed, "the exchange did not end within its bound of ticks");
    return 0;
}

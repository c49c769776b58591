// Read, Write and Reset against a link that answers with arbitrary bytes in
// arbitrary chunks.
//  - every frame the engine sends is one the protocol knows, and a data block
//    carries the write image's bytes at the address just sent, with its
//    checksum;
//  - the ring index handed to the link stays inside the ring;
//  - the bytes past the device block stay zero in every image;
//  - the exchange ends (no tick armed) within a bound that follows from the
//    input: a tick either takes a byte, sees new bytes, gives up a port, or
//    is one of at most 50 silent ticks in a row.
//
// Input: one byte of set-up, then chunks. Set-up bits 0-1 pick the command
// (Read, Write, Reset, Read), bits 2-3 how many ports open (1 to 4), bits 4-5
// the model being edited (RQ30, RQ10, RQ20, 0x42); with bit 6 set the owner
// hands each arrival to the engine before the tick. A chunk is a byte h and
// h & 0x7F bytes that arrive; when h has bit 7 set the next chunk arrives
// before the same tick, otherwise a tick follows. After the last chunk the
// line is silent.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/device_config.h"
#include "config/models.h"
#include "link/bootloader_exchange.h"

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "engine fuzz: %s\n", what);
    std::abort();
}

class Owner final : public DeviceCommandOwner {
  public:
    void showResult(const std::string&, ResultColour) override {}
    void showVersion(const std::string&) override {}
    void setModelButtonText(const std::string&) override {}
    void showConfig() override {}
    void collectPages() override {}
    // The engine is what is fuzzed here, not the disk.
    bool backUpBlock(const DeviceConfig&, int) override { return true; }
    void armTick() override { armed = true; }
    void cancelTick() override { armed = false; }

    bool armed = false;
};

class FuzzLink final : public SerialLink {
  public:
    FuzzLink(const std::uint8_t* data, std::size_t size, int openPorts)
        : data_(data), size_(size), openPorts_(openPorts) {}

    void setEngine(const CBootloaderExchange* engine) { engine_ = engine; }

    // Makes the next chunks available: up to and including one without the
    // "more" bit.
    void arrive() {
        while (at_ < size_) {
            const std::uint8_t h = data_[at_++];
            const std::size_t n = std::min<std::size_t>(h & 0x7Fu, size_ - at_);
            if (open_) waiting_.append(reinterpret_cast<const char*>(data_ + at_), n);
            at_ += n;
            if ((h & 0x80u) == 0) return;
        }
    }

    int open(int portNumber, int baud) override {
        check(baud == 115200, "wrong baud rate");
        waiting_.clear();
        open_ = portNumber >= 1 && portNumber <= openPorts_;
        return open_ ? 0 : 1;
    }
    void close() override {
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
    const CBootloaderExchange* engine_ = nullptr;
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
    link.setEngine(&engine);
    for (std::size_t i = 0; i < kDeviceBlockSize; ++i)
        engine.workingImage.bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    engine.editedModel = kModels[(setup >> 4) & 3];

    switch (setup & 3) {
        case 1:
            engine.writeDevice();
            break;
        case 2:
            engine.resetDevice();
            break;
        default:
            engine.readDevice();
            break;
    }

    // Each input byte is taken or arrives once; each port is given up once;
    // between two of those at most 50 silent ticks pass.
    const long bound = 51L * (2L * static_cast<long>(size) + openPorts + 2);
    long ticks = 0;
    const bool arrivals = (setup & 0x40) != 0;
    while (owner.armed && ticks <= bound) {
        owner.armed = false;
        link.arrive();
        if (arrivals) engine.onArrival();
        engine.onTick();
        ++ticks;
        check(tailIsZero(engine.readImage) && tailIsZero(engine.workingImage) &&
                  tailIsZero(engine.writeImage),
              "bytes past the device block changed");
    }
    check(!owner.armed, "the exchange did not end within its bound of ticks");
    return 0;
}

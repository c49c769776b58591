#include "tools/tracker_sim/tracker_sim.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "config/defaults.h"
#include "config/device_config.h"

namespace {

struct NamedFrame {
    const char* name;
    SimFrame kind;
};
constexpr NamedFrame kFrameNames[] = {
    {"sync", SimFrame::Sync},
    {"get", SimFrame::Get},
    {"version", SimFrame::GetVersion},
    {"id", SimFrame::GetId},
    {"read", SimFrame::ReadCommand},
    {"write", SimFrame::WriteCommand},
    {"go", SimFrame::Go},
    {"address", SimFrame::Address},
    {"count", SimFrame::ReadCount},
    {"data", SimFrame::DataBlock},
};

// Command codes the Get answer lists: Get, Get Version, Get ID, Read Memory,
// Go, Write Memory.
constexpr std::uint8_t kCommandCodes[] = {0x00, 0x01, 0x02, 0x11, 0x21, 0x31};

// What a tracker in use holds: the factory settings with an owner's phone and
// names filled in, and the fields only the tracker itself writes set.
DeviceConfig initialConfig(int model) {
    DeviceConfig c;
    loadDefaults(c);
    SetText(c, Field::MainPhone, "+79161234567");
    SetText(c, Field::ExtPhone1, "+79037654321");
    SetU16(c, Field::PhoneEn, 1u << 1);
    SetText(c, Field::QuelterName, "Quelter-07");
    SetText(c, Field::ApnAddress, "internet.mts.ru");
    SetText(c, Field::ApnLogin, "mts");
    SetText(c, Field::ApnPassword, "mts");
    SetText(c, Field::DevicePassword, "1234");
    SetU8(c, Field::GMTFlags, 1);
    SetI8(c, Field::GMTOffset, 3);
    SetI32(c, Field::ZoneLatitude, 55751244);
    SetI32(c, Field::ZoneLongitude, 37618423);
    SetU32(c, Field::ZoneDistance, 500);
    SetText(c, Field::USSDReq, "*100#");
    std::uint8_t* kept256 = fieldBytes(c, Field::KeptBlock256);
    for (int i = 0; i < 32; ++i) kept256[i] = static_cast<std::uint8_t>(0xA0 + i);
    std::uint8_t* kept320 = fieldBytes(c, Field::KeptBlock320);
    for (int i = 0; i < 16; ++i) kept320[i] = static_cast<std::uint8_t>(0x30 + 7 * i);
    SetU32(c, Field::DeviceType, 0x00510000u | static_cast<std::uint32_t>(model & 0xFF));
    SetU8(c, Field::KeptByte359, 0x5A);
    SetU16(c, Field::KeptWord362, 0x1234);
    SetU16(c, Field::KeptWord366, 0xBEEF);
    SwapByteOrder(c);
    return c;
}

bool hits(const std::vector<FrameFault>& faults, SimFrame kind, int nth) {
    return std::any_of(faults.begin(), faults.end(), [&](const FrameFault& f) {
        return f.kind == kind && nth >= f.first && nth < f.first + f.count;
    });
}

}  // namespace

SimFrame simFrameFromName(const std::string& name) {
    for (const NamedFrame& f : kFrameNames)
        if (name == f.name) return f.kind;
    return SimFrame::Count;
}

TrackerSim::TrackerSim(int modelId) : model(modelId) {
    const DeviceConfig c = initialConfig(modelId);
    std::copy_n(c.bytes, kBlockSize, block.begin());
    setFirmwareVersion({3, 5, 0, 0x12});
    input_.reserve(512);
}

void TrackerSim::setFirmwareVersion(const std::array<std::uint8_t, 4>& version) {
    std::copy(version.begin(), version.end(),
              block.begin() + fieldInfo(Field::FirmwareVersion).offset);
}

bool TrackerSim::loadBlock(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be opened";
        return false;
    }
    std::array<std::uint8_t, kBlockSize> loaded{};
    file.read(reinterpret_cast<char*>(loaded.data()), kBlockSize);
    if (file.gcount() != static_cast<std::streamsize>(kBlockSize) || file.peek() != EOF) {
        error = path + ": a block file holds exactly 1536 bytes";
        return false;
    }
    block = loaded;
    return true;
}

bool TrackerSim::saveBlock(const std::string& path, std::string& error) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(block.data()), kBlockSize);
    file.close();
    if (!file) {
        error = path + ": cannot be written";
        return false;
    }
    return true;
}

int TrackerSim::framesSeen(SimFrame kind) const {
    return kind < SimFrame::Count ? seen_[static_cast<std::size_t>(kind)] : 0;
}

bool TrackerSim::silent() const {
    return faults.silentAfter >= 0 && total_ >= faults.silentAfter;
}

bool TrackerSim::chattering() const {
    return chatterLeft_ > 0 && !silent();
}

void TrackerSim::lineReset() {
    input_.clear();
    state_ = State::Command;
}

void TrackerSim::idle(TrackerOutput& out) {
    if (!chattering()) return;
    static constexpr std::uint8_t kChatter[8] = {kNoise, kNoise, kNoise, kNoise,
                                                 kNoise, kNoise, kNoise, kNoise};
    const int n = std::min(chatterLeft_, static_cast<int>(sizeof kChatter));
    chatterLeft_ -= n;
    out.send(kChatter, static_cast<std::size_t>(n));
}

void TrackerSim::reply(TrackerOutput& out, std::uint8_t byte) {
    answer(out, &byte, 1);
}

void TrackerSim::answer(TrackerOutput& out, const std::uint8_t* bytes, std::size_t length) {
    const AnswerSplit& split = faults.split;
    const auto at = static_cast<std::size_t>(std::max(split.at, 0));
    if (split.kind != kind_ || split.nth != nth_ || at >= length) {
        out.send(bytes, length);
        return;
    }
    out.send(bytes, at);
    out.pause();
    out.send(bytes + at, length - at);
}

void TrackerSim::receive(const std::uint8_t* bytes, std::size_t length, TrackerOutput& out) {
    // The host is talking again: a tracker that was about to chatter stays
    // in its bootloader (a Write goes on to read its block back).
    if (length > 0) chatterLeft_ = 0;
    input_.insert(input_.end(), bytes, bytes + length);
    std::size_t used = 0;
    while ((used = parse(out)) > 0) input_.erase(input_.begin(), input_.begin() + used);
}

// Takes one complete frame from the front of the input; 0 while it is incomplete.
std::size_t TrackerSim::parse(TrackerOutput& out) {
    const std::uint8_t* p = input_.data();
    const std::size_t n = input_.size();
    if (n == 0) return 0;
    switch (state_) {
        case State::Command:
            if (p[0] == 0x7F) {
                if (n >= 3 && p[1] == 0x00 && p[2] == 0xFF) {
                    onGet(true, out);
                    return 3;
                }
                if (n == 2 && p[1] == 0x00) return 0;  // perhaps the Get frame
                if (judge(SimFrame::Sync, out) == Verdict::Answer) reply(out, kAck);
                return 1;
            }
            if (n < 2) return 0;
            onCommand(p[0], p[1], out);
            return 2;
        case State::ReadAddress:
        case State::WriteAddress:
        case State::GoAddress:
            if (n < 5) return 0;
            onAddress(p, out);
            return 5;
        case State::ReadCount:
            if (n < 2) return 0;
            onReadCount(p[0], p[1], out);
            return 2;
        case State::WriteData: {
            const std::size_t length = p[0] + 3u;  // N, N + 1 data bytes, checksum
            if (n < length) return 0;
            onWriteData(p, length, out);
            return length;
        }
    }
    return 0;
}

TrackerSim::Verdict TrackerSim::judge(SimFrame kind, TrackerOutput& out) {
    const int nth = ++seen_[static_cast<std::size_t>(kind)];
    ++total_;
    kind_ = kind;
    nth_ = nth;
    if (faults.silentAfter >= 0 && total_ > faults.silentAfter) return Verdict::Silent;
    if (hits(faults.refuse, kind, nth)) {
        reply(out, kNack);
        return Verdict::Refused;
    }
    if (hits(faults.badAnswer, kind, nth)) {
        reply(out, kNoise);
        return Verdict::Bad;
    }
    return Verdict::Answer;
}

void TrackerSim::onCommand(std::uint8_t code, std::uint8_t complement, TrackerOutput& out) {
    state_ = State::Command;
    SimFrame kind = SimFrame::Count;
    switch (code) {
        case 0x00:
            kind = SimFrame::Get;
            break;
        case 0x01:
            kind = SimFrame::GetVersion;
            break;
        case 0x02:
            kind = SimFrame::GetId;
            break;
        case 0x11:
            kind = SimFrame::ReadCommand;
            break;
        case 0x21:
            kind = SimFrame::Go;
            break;
        case 0x31:
            kind = SimFrame::WriteCommand;
            break;
        default:
            break;
    }
    if (kind == SimFrame::Count || (code ^ complement) != 0xFF) {
        if (!silent()) reply(out, kNack);
        return;
    }
    if (kind == SimFrame::Get) {
        onGet(false, out);
        return;
    }
    if (judge(kind, out) != Verdict::Answer) return;
    const auto m = static_cast<std::uint8_t>(model);
    switch (kind) {
        case SimFrame::GetVersion: {
            // This tracker reports its model id where the bootloader version goes.
            const std::uint8_t version[] = {kAck, m, 0x00, 0x00, kAck};
            answer(out, version, sizeof version);
            return;
        }
        case SimFrame::GetId: {
            const std::uint8_t id[] = {kAck, 0x01, static_cast<std::uint8_t>(productId >> 8),
                                       static_cast<std::uint8_t>(productId), kAck};
            answer(out, id, sizeof id);
            return;
        }
        case SimFrame::ReadCommand:
            state_ = State::ReadAddress;
            break;
        case SimFrame::WriteCommand:
            state_ = State::WriteAddress;
            break;
        case SimFrame::Go:
            state_ = State::GoAddress;
            break;
        default:
            break;
    }
    reply(out, kAck);
}

void TrackerSim::onGet(bool withSync, TrackerOutput& out) {
    state_ = State::Command;
    if (judge(SimFrame::Get, out) != Verdict::Answer) return;
    std::size_t n = 0;
    if (withSync) answer_[n++] = kAck;
    answer_[n++] = kAck;
    answer_[n++] = static_cast<std::uint8_t>(std::size(kCommandCodes));
    answer_[n++] = static_cast<std::uint8_t>(model);
    for (std::uint8_t code : kCommandCodes) answer_[n++] = code;
    answer_[n++] = kAck;
    answer(out, answer_.data(), n);
}

bool TrackerSim::inBlock(std::uint32_t address, std::size_t length) const {
    return address >= kBlockAddress && address + length <= kBlockAddress + kBlockSize;
}

void TrackerSim::onAddress(const std::uint8_t* p, TrackerOutput& out) {
    const State next = state_ == State::ReadAddress    ? State::ReadCount
                       : state_ == State::WriteAddress ? State::WriteData
                                                       : State::Command;
    state_ = State::Command;
    if (judge(SimFrame::Address, out) != Verdict::Answer) return;
    const std::uint32_t address = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                  (std::uint32_t{p[2]} << 8) | p[3];
    const bool checked = (p[0] ^ p[1] ^ p[2] ^ p[3]) == p[4];
    if (!checked || (next != State::Command && !inBlock(address, 1))) {
        reply(out, kNack);
        return;
    }
    address_ = address;
    state_ = next;
    reply(out, kAck);
}

void TrackerSim::onReadCount(std::uint8_t n, std::uint8_t complement, TrackerOutput& out) {
    state_ = State::Command;
    if (judge(SimFrame::ReadCount, out) != Verdict::Answer) return;
    const std::size_t length = n + 1u;
    if ((n ^ complement) != 0xFF || !inBlock(address_, length)) {
        reply(out, kNack);
        return;
    }
    answer_[0] = kAck;
    std::copy_n(block.data() + (address_ - kBlockAddress), length, answer_.begin() + 1);
    answer(out, answer_.data(), 1 + length);
    noteEnd(address_, length);
}

void TrackerSim::onWriteData(const std::uint8_t* p, std::size_t length, TrackerOutput& out) {
    // A refused block may come again at once: stay ready for it.
    state_ = State::WriteData;
    const Verdict verdict = judge(SimFrame::DataBlock, out);
    if (verdict == Verdict::Refused) return;
    state_ = State::Command;
    if (verdict != Verdict::Answer) return;
    const std::size_t dataLength = length - 2;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; ++i) sum ^= p[i];
    if (sum != p[length - 1] || !inBlock(address_, dataLength)) {
        state_ = State::WriteData;
        reply(out, kNack);
        return;
    }
    std::uint8_t* stored = block.data() + (address_ - kBlockAddress);
    std::memcpy(stored, p + 1, dataLength);
    if (hits(faults.badFlash, SimFrame::DataBlock, nth_))
        for (std::size_t i = 0; i < dataLength; ++i)
            stored[i] = static_cast<std::uint8_t>(~stored[i]);
    out.writingFlash();
    reply(out, kAck);
    noteEnd(address_, dataLength);
}

void TrackerSim::noteEnd(std::uint32_t address, std::size_t length) {
    if (address + length == kBlockAddress + kBlockSize) chatterLeft_ = faults.chatter;
}

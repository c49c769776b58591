#include "link/bootloader_exchange.h"

#include <algorithm>
#include <utility>

#include "link/status_texts.h"

namespace {

constexpr std::uint8_t kAck = 0x79;
constexpr std::uint8_t kNack = 0x1F;
constexpr int kFirstBlockAddress = 0x1000;
constexpr int kBlockSize = 128;
constexpr int kEndAddress = 0x1600;
constexpr int kSilenceLimit = 50;
// The Get frame's answer: ACK of its leading 0x7F, ACK, N, model id, six
// command codes, ACK.
constexpr int kGetAnswerSize = 11;
constexpr int kModelIdPosition = 3;
// Refusals without progress (the Get answer, a block read or written) after
// which the tracker is taken to refuse for good. Counted across the ACKs in
// between: a refused Address is retried from its command, which is accepted.
constexpr int kRefusalLimit = 100;

struct FixedFrame {
    FrameKind kind;
    std::uint8_t length;
    std::uint8_t bytes[3];
};
// 0x7F in ReadCount is the byte count less one (128 bytes), 0x80 its complement.
constexpr FixedFrame kFixedFrames[] = {
    {FrameKind::Sync, 1, {0x7F}},
    {FrameKind::Get, 3, {0x7F, 0x00, 0xFF}},
    {FrameKind::ReadCommand, 2, {0x11, 0xEE}},
    {FrameKind::WriteCommand, 2, {0x31, 0xCE}},
    {FrameKind::ReadCount, 2, {0x7F, 0x80}},
};

}  // namespace

CBootloaderExchange::CBootloaderExchange(SerialLink& link, DeviceCommandOwner& owner)
    : link_(link), owner_(owner) {
    text_.reserve(128);
}

void CBootloaderExchange::setTraceHook(std::function<void(const TraceEvent&)> hook) {
    trace_ = std::move(hook);
}

void CBootloaderExchange::sendFrame(FrameKind kind) {
    int n = 0;
    auto put = [&](int b) { frame_[n++] = static_cast<std::uint8_t>(b); };
    if (kind == FrameKind::Address) {
        const int high = (blockAddress_ >> 8) & 0xFF;
        const int low = blockAddress_ & 0xFF;
        for (int b : {0x00, 0x00, high, low, high ^ low}) put(b);
    } else if (kind == FrameKind::DataBlock) {
        const std::uint8_t* data = writeImage.bytes + (blockAddress_ - kFirstBlockAddress);
        int sum = kBlockSize - 1;
        put(sum);
        for (int i = 0; i < kBlockSize; ++i) {
            put(data[i]);
            sum ^= data[i];
        }
        put(sum);
    } else {
        for (const FixedFrame& f : kFixedFrames)
            if (f.kind == kind)
                for (int i = 0; i < f.length; ++i) put(f.bytes[i]);
    }
    lastFrame_ = kind;
    link_.write(frame_.data(), static_cast<std::uint8_t>(n));
    if (trace_) trace_({TraceEvent::FrameSent, {frame_.data(), static_cast<std::size_t>(n)}});
    restartTick();
}

// A new 20 ms starts: what arrived before it does not make its tick heard.
void CBootloaderExchange::restartTick() {
    heard_ = false;
    owner_.armTick();
}

int CBootloaderExchange::drainLink() {
    if (link_.available() <= 0) return 0;
    const int n = link_.fetch(ring_.data(), ringWrite_, kRingSize);
    if (n <= 0) return 0;
    // Bytes end a silence, whenever they come: a tracker that answers each
    // frame just after a tick is slow, not silent.
    heard_ = true;
    silentTicks_ = 0;
    pending_ += n;
    if (pending_ > kRingSize) {
        // The newest bytes have overwritten the oldest.
        pending_ = kRingSize;
        ringRead_ = ringWrite_;
    }
    if (trace_) {
        const int kept = std::min(n, kRingSize);
        const int begin = (ringWrite_ - kept + kRingSize) % kRingSize;
        const int first = std::min(kept, kRingSize - begin);
        trace_(
            {TraceEvent::BytesReceived, {ring_.data() + begin, static_cast<std::size_t>(first)}});
        if (kept > first)
            trace_({TraceEvent::BytesReceived,
                    {ring_.data(), static_cast<std::size_t>(kept - first)}});
    }
    return n;
}

int CBootloaderExchange::bytesNeeded() const {
    if (blockExpected_) return kBlockSize;
    // The Get answer is read in one go: taken from a part, the model id would
    // be a stale ring byte and the rest would pass for later answers.
    if (lastFrame_ == FrameKind::Get && pending_ > 0 && ring_[ringRead_] == kAck)
        return kGetAnswerSize;
    return 1;
}

void CBootloaderExchange::onArrival() {
    if (!running_) return;
    drainLink();
    // After the end the port waits for its closing tick; nothing is read.
    if (!finished_) serve();
}

void CBootloaderExchange::onTick() {
    if (!running_) return;
    drainLink();
    if (finished_) {
        // One tick after the end; whatever the tracker still says is of no use.
        endExchange(nullptr);
        return;
    }
    const bool heard = std::exchange(heard_, false);
    serve();
    if (!running_ || finished_) return;
    if (heard) {
        // Part of a block or of the Get answer, or an answer just handled.
        silentTicks_ = 0;
        restartTick();
    } else {
        onSilentTick();
    }
}

// Handles, in order, every block and answer the ring holds in whole. Each
// step consumes bytes or ends the exchange, so the loop ends.
void CBootloaderExchange::serve() {
    while (running_ && !finished_ && pending_ > 0 && pending_ >= bytesNeeded()) {
        if (blockExpected_) {
            blockExpected_ = false;
            // Between blocks the tracker gets the usual second to answer: a
            // cable with a slow USB bridge may well miss one 20 ms tick. The
            // end of a Read is marked by finished_, not by silence.
            takeBlock();
        } else if (!handleAnswer()) {
            return;
        }
        if (lastFrame_ != FrameKind::Get) answerSeen_ = true;
    }
}

bool CBootloaderExchange::handleAnswer() {
    const std::uint8_t answer = ring_[ringRead_];
    if (answer == kAck) {
        onAck();
        return true;
    }
    if (answer == kNack && ++refusals_ <= kRefusalLimit) {
        sendFrame(retryFrame());
        consumeByte();
        return true;
    }
    // A device that acknowledged the sync and then refuses for good is a
    // tracker that answered: the exchange is broken off, not the port passed by.
    if (answer == kNack && lastFrame_ != FrameKind::Sync) answerSeen_ = true;
    giveUp();
    return false;
}

void CBootloaderExchange::onAck() {
    switch (lastFrame_) {
        case FrameKind::Sync:
            consumeByte();
            if (writePhase_) {
                blockAddress_ = kFirstBlockAddress;
                sendFrame(FrameKind::WriteCommand);
            } else {
                sendFrame(FrameKind::Get);
            }
            break;
        case FrameKind::Get:
            sendFrame(FrameKind::ReadCommand);
            blockAddress_ = kFirstBlockAddress;
            takeGetAnswer();
            break;
        case FrameKind::ReadCommand:
        case FrameKind::WriteCommand:
            consumeByte();
            sendFrame(FrameKind::Address);
            break;
        case FrameKind::Address:
            consumeByte();
            sendFrame(writePhase_ ? FrameKind::DataBlock : FrameKind::ReadCount);
            break;
        case FrameKind::ReadCount:
            consumeByte();
            blockExpected_ = true;
            blockAddress_ += kBlockSize;
            // The next block's command goes out while this block's data arrives.
            if (blockAddress_ < kEndAddress) sendFrame(FrameKind::ReadCommand);
            break;
        case FrameKind::DataBlock:
            consumeByte();
            refusals_ = 0;
            blockAddress_ += kBlockSize;
            if (blockAddress_ < kEndAddress)
                sendFrame(FrameKind::WriteCommand);
            else
                startCheck();
            break;
    }
}

FrameKind CBootloaderExchange::retryFrame() const {
    switch (lastFrame_) {
        case FrameKind::Address:
            return writePhase_ ? FrameKind::WriteCommand : FrameKind::ReadCommand;
        case FrameKind::ReadCount:
            return FrameKind::ReadCommand;
        default:
            return lastFrame_;
    }
}

void CBootloaderExchange::takeGetAnswer() {
    refusals_ = 0;
    for (int i = 0; i < kModelIdPosition; ++i) consumeByte();
    deviceModel = ring_[ringRead_];
    for (int i = kModelIdPosition; i < kGetAnswerSize; ++i) consumeByte();
}

void CBootloaderExchange::takeBlock() {
    // blockAddress_ was advanced past the block when its count was acknowledged.
    refusals_ = 0;
    const int offset = blockAddress_ - kFirstBlockAddress - kBlockSize;
    const bool inImage = offset >= 0 && offset + kBlockSize <= static_cast<int>(kDeviceBlockSize);
    std::uint8_t* target = checkPhase_ ? checkBlock_.data() : readImage.bytes;
    for (int i = 0; i < kBlockSize; ++i) {
        if (inImage) target[offset + i] = ring_[ringRead_];
        consumeByte();
    }
    if (blockAddress_ < kEndAddress) return;
    if (checkPhase_) {
        // Done; the port stays open until the next command's scan.
        halt();
        int differences = 0;
        for (std::size_t i = 0; i < kDeviceBlockSize; ++i)
            differences += checkBlock_[i] != writeImage.bytes[i];
        writeFinished(differences);
        return;
    }
    if (readRequested_) {
        readFinished();
        finishAfterOneTick();
        return;
    }
    writePhase_ = true;
    readRequested_ = false;
    if (prepareWrite())
        sendFrame(FrameKind::Sync);
    else
        finishAfterOneTick();
}

// The exchange has reached its end; the port closes one tick (20 ms) later.
void CBootloaderExchange::finishAfterOneTick() {
    finished_ = true;
    restartTick();
}

// A tracker may acknowledge a block it did not store as sent: the Write is
// done only when the block reads back as written, with the Read's frames.
void CBootloaderExchange::startCheck() {
    writePhase_ = false;
    checkPhase_ = true;
    blockAddress_ = kFirstBlockAddress;
    sendFrame(FrameKind::ReadCommand);
}

void CBootloaderExchange::onSilentTick() {
    if (++silentTicks_ < kSilenceLimit) {
        restartTick();
        return;
    }
    silentTicks_ = 0;
    giveUp();
}

void CBootloaderExchange::giveUp() {
    if (answerSeen_) {
        endExchange(kTextInterrupted);
        return;
    }
    // Nothing on this port answered past the sync: not our tracker, try the next.
    closeLink();
    ++portNumber_;
    scanPorts();
}

void CBootloaderExchange::endExchange(const char* failureText) {
    closeLink();
    portNumber_ = 1;
    answerSeen_ = false;
    halt();
    silentTicks_ = 0;
    if (failureText) show(failureText, ResultColour::Red);
}

// Nothing more to wait for: an armed tick would only find the engine idle.
void CBootloaderExchange::halt() {
    running_ = false;
    owner_.cancelTick();
}

void CBootloaderExchange::consumeByte() {
    if (pending_ <= 0) return;
    --pending_;
    ringRead_ = (ringRead_ + 1) % kRingSize;
}

void CBootloaderExchange::discardPending() {
    ringRead_ = 0;
    ringWrite_ = 0;
    pending_ = 0;
}

void CBootloaderExchange::closeLink() {
    if (link_.isOpen()) link_.close();
}

void CBootloaderExchange::show(const char* text, ResultColour colour) {
    text_.assign(text);
    owner_.showResult(text_, colour);
}

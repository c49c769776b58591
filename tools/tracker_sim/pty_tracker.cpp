#include "tools/tracker_sim/pty_tracker.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// 115200 baud, start bit, 8 data bits, parity, stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 11 / 115200);
// Bytes handed to the pty at once while pacing: about 0.8 ms of line time.
constexpr std::size_t kPacingChunk = 8;
// Input resuming after this gap starts afresh: a host that stopped in the
// middle of a command (an exchange given up) must find the tracker waiting
// for a command again, as its next Sync expects.
constexpr auto kLineResetGap = std::chrono::milliseconds(1000);
// A chattering tracker starts once the host has been quiet this long, so the
// sync that opens a Write's write phase still finds a quiet line.
constexpr auto kQuietBeforeChatter = std::chrono::milliseconds(100);

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

PtyTracker::PtyTracker(TrackerSim& sim, PtyOptions options) : sim_(sim), options_(options) {}

PtyTracker::~PtyTracker() {
    stop();
    closeFd(master_);
    closeFd(slave_);
    closeFd(stopRead_);
    closeFd(stopWrite_);
}

bool PtyTracker::open(std::string& error) {
    auto fail = [&](const char* what) {
        error = std::string(what) + ": " + std::strerror(errno);
        closeFd(master_);
        closeFd(slave_);
        closeFd(stopRead_);
        closeFd(stopWrite_);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    // Answers nobody takes are lost, as on a real line, rather than blocking.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    termios raw{};
    if (::tcgetattr(slave_, &raw) != 0) return fail("tcgetattr");
    // No echo of noise back to us before the tool has set the line up.
    ::cfmakeraw(&raw);
    if (::tcsetattr(slave_, TCSANOW, &raw) != 0) return fail("tcsetattr");

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    stopRead_ = fds[0];
    stopWrite_ = fds[1];

    if (options_.noiseBeforeOpen > 0) {
        const std::vector<std::uint8_t> noise(static_cast<std::size_t>(options_.noiseBeforeOpen),
                                              TrackerSim::kNoise);
        writeLine(noise.data(), noise.size());
    }
    return true;
}

void PtyTracker::requestStop() {
    const char byte = 1;
    if (stopWrite_ >= 0 && ::write(stopWrite_, &byte, 1) < 0) {
        // Already requested: the pipe is readable.
    }
}

bool PtyTracker::start(std::string& error) {
    if (!open(error)) return false;
    thread_ = std::thread(&PtyTracker::serve, this);
    return true;
}

void PtyTracker::stop() {
    if (!thread_.joinable()) return;
    requestStop();
    thread_.join();
}

void PtyTracker::serve() {
    std::uint8_t input[512];
    pollfd fds[2] = {{master_, POLLIN, 0}, {stopRead_, POLLIN, 0}};
    for (;;) {
        const int timeout = sim_.chattering() ? options_.chatterPeriodMs : -1;
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        const auto now = Clock::now();
        if (ready == 0) {
            if (now - lastInput_ >= kQuietBeforeChatter) {
                answerStart_ = now;
                sim_.idle(*this);
            }
            continue;
        }
        if (!(fds[0].revents & POLLIN)) {
            // No reader on the slave side; wait for the tool rather than spin.
            ::poll(&fds[1], 1, 50);
            if (fds[1].revents != 0) return;
            continue;
        }
        const ssize_t n = ::read(master_, input, sizeof input);
        if (n <= 0) continue;
        if (now - lastInput_ > kLineResetGap) sim_.lineReset();
        lastInput_ = now;
        // The pty hands over a frame at once; a cable takes its line time.
        inputDone_ = options_.pacing ? std::max(inputDone_, now) + kByteTime * n : now;
        answerStart_ = inputDone_ + std::chrono::milliseconds(options_.delayMs);
        sim_.receive(input, static_cast<std::size_t>(n), *this);
    }
}

void PtyTracker::send(const std::uint8_t* bytes, std::size_t length) {
    lineFree_ = std::max(lineFree_, answerStart_);
    if (!options_.pacing) {
        std::this_thread::sleep_until(lineFree_);
        writeLine(bytes, length);
        return;
    }
    // Each piece reaches the host when its last bit would have.
    for (std::size_t done = 0; done < length;) {
        const std::size_t piece = std::min(kPacingChunk, length - done);
        lineFree_ += kByteTime * static_cast<long>(piece);
        std::this_thread::sleep_until(lineFree_);
        writeLine(bytes + done, piece);
        done += piece;
    }
}

void PtyTracker::pause() {
    lineFree_ = std::max(lineFree_, Clock::now()) + std::chrono::milliseconds(options_.pauseMs);
}

void PtyTracker::writingFlash() {
    answerStart_ += std::chrono::milliseconds(options_.flashMs);
}

void PtyTracker::writeLine(const std::uint8_t* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(master_, bytes, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
}

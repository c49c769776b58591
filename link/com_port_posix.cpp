// CCOMPort on POSIX: termios, a reader thread asleep in poll() that calls the
// arrival notify after each append, a writer thread asleep on a condition
// variable, and a self-pipe that wakes both to stop.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "link/com_port.h"
#include "link/line_settings.h"
#include "link/port_list.h"

namespace {

constexpr int kTransmitBufferSize = 4096;
constexpr int kReadChunk = 1024;

}  // namespace

struct CCOMPort::Backend {
    int fd = -1;
    // Readable once close() wants both threads gone.
    int wakeRead = -1;
    int wakeWrite = -1;
    std::vector<std::string> ports;
    bool listed = false;
    termios saved{};
    bool settingsChanged = false;
    bool exclusive = false;

    std::mutex rxMutex;
    std::uint8_t rx[kReceiveBufferSize];
    int rxCount = 0;

    std::mutex txMutex;
    std::condition_variable txReady;
    std::uint8_t tx[kTransmitBufferSize];
    int txLength = 0;
    bool stopping = false;
    // The writer's own copy, so a frame handed over meanwhile never changes
    // the bytes on their way out.
    std::uint8_t inFlight[kTransmitBufferSize];

    // Set only while closed, so before the reader starts; read only by it.
    SerialLink::ArrivalNotify notify = nullptr;
    void* notifyContext = nullptr;

    std::atomic<bool> lost{false};
    std::thread reader;
    std::thread writer;

    void readLoop();
    void writeLoop();
    void send(const std::uint8_t* bytes, int length);
    int append(const std::uint8_t* bytes, int length);
    bool startThreads();
    void stopThreads();
    void release();
};

void CCOMPort::Backend::readLoop() {
    std::uint8_t chunk[kReadChunk];
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents != 0) return;
        const short events = fds[0].revents;
        if (events == 0) continue;
        if (events & POLLNVAL) break;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            // Outside the lock: the owner may drain the moment it wakes.
            if (append(chunk, static_cast<int>(n)) > 0 && notify) notify(notifyContext);
            continue;
        }
        if (n < 0 && (errno == EINTR || (errno == EAGAIN && !(events & (POLLHUP | POLLERR)))))
            continue;
        // 0 bytes (hung up), EIO, ENXIO: the tracker is gone. Polling on would
        // only spin, so the reader ends here.
        break;
    }
    lost = true;
}

// Returns how many bytes were kept.
int CCOMPort::Backend::append(const std::uint8_t* bytes, int length) {
    std::lock_guard lock(rxMutex);
    const int kept = std::min(length, kReceiveBufferSize - rxCount);
    std::memcpy(rx + rxCount, bytes, static_cast<std::size_t>(kept));
    rxCount += kept;
    return kept;
}

void CCOMPort::Backend::writeLoop() {
    for (;;) {
        int length = 0;
        {
            std::unique_lock lock(txMutex);
            txReady.wait(lock, [this] { return stopping || txLength > 0; });
            if (stopping) return;
            length = txLength;
            std::memcpy(inFlight, tx, static_cast<std::size_t>(length));
            txLength = 0;
        }
        send(inFlight, length);
    }
}

void CCOMPort::Backend::send(const std::uint8_t* bytes, int length) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    int done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, bytes + done, static_cast<std::size_t>(length - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return;  // the line did not take it in time
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeRead, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) return;
        if (fds[1].revents != 0 || (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) return;
    }
}

bool CCOMPort::Backend::startThreads() {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    wakeRead = pipeFds[0];
    wakeWrite = pipeFds[1];
    rxCount = 0;
    txLength = 0;
    stopping = false;
    lost = false;
    try {
        reader = std::thread(&Backend::readLoop, this);
        writer = std::thread(&Backend::writeLoop, this);
    } catch (const std::system_error&) {
        stopThreads();
        return false;
    }
    return true;
}

void CCOMPort::Backend::stopThreads() {
    {
        std::lock_guard lock(txMutex);
        stopping = true;
    }
    txReady.notify_all();
    const char wake = 1;
    if (wakeWrite >= 0 && ::write(wakeWrite, &wake, 1) < 0) {
        // A full pipe is already readable; nothing else can fail here.
    }
    if (reader.joinable()) reader.join();
    if (writer.joinable()) writer.join();
    if (wakeRead >= 0) ::close(wakeRead);
    if (wakeWrite >= 0) ::close(wakeWrite);
    wakeRead = wakeWrite = -1;
}

// Gives back what open() changed, in reverse, and the descriptor.
void CCOMPort::Backend::release() {
    if (settingsChanged) ::tcsetattr(fd, TCSANOW, &saved);
    if (exclusive) ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    fd = -1;
    settingsChanged = false;
    exclusive = false;
}

CCOMPort::CCOMPort() : backend_(std::make_unique<Backend>()) {}

CCOMPort::~CCOMPort() {
    close();
}

int CCOMPort::open(int portNumber, int baud) {
    if (!closed_) close();
    Backend& b = *backend_;

    // A scan opens COM1, COM2, ... up to COM254: the list is read afresh when
    // it starts at COM1 (a cable plugged in since is found), not for every port.
    if (portNumber == 1 || !b.listed) {
        b.ports = serialPortList();
        b.listed = true;
    }
    if (portNumber < 1 || portNumber > static_cast<int>(b.ports.size())) return 1;
    const std::string& path = b.ports[static_cast<std::size_t>(portNumber - 1)];
    if (path.empty()) return 1;

    // O_NONBLOCK: the open must not wait for a carrier; reads and writes never
    // block either, the threads wait in poll().
    b.fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (b.fd < 0) return 1;
    // The lock keeps out a second instance of this tool and cooperating
    // programs; TIOCEXCL (below) keeps out every other unprivileged open.
    if (::flock(b.fd, LOCK_EX | LOCK_NB) != 0) {
        b.release();
        return 1;
    }
    if (::tcgetattr(b.fd, &b.saved) != 0) {
        b.release();
        return 2;
    }
    b.exclusive = ::ioctl(b.fd, TIOCEXCL) == 0;

    // A driver may drop what it cannot hold (a pty clears PARENB); the port is
    // still usable, so only a refusal of the whole call counts as failure.
    speed_t speed{};
    if (!baudToSpeed(baud, speed)) {
        b.release();
        return 3;
    }
    const termios wanted = lineSettings8E1(b.saved, speed);
    if (::tcsetattr(b.fd, TCSANOW, &wanted) != 0) {
        b.release();
        return 3;
    }
    b.settingsChanged = true;

    const int flags = ::fcntl(b.fd, F_GETFL);
    if (flags < 0 || ::fcntl(b.fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        b.release();
        return 4;
    }
    // Whatever arrived before this open belongs to nobody.
    ::tcflush(b.fd, TCIFLUSH);

    if (!b.startThreads()) {
        b.release();
        return 1;
    }
    closed_ = false;
    return 0;
}

void CCOMPort::close() {
    if (closed_) return;
    backend_->stopThreads();
    backend_->release();
    backend_->rxCount = 0;
    closed_ = true;
}

bool CCOMPort::isOpen() const {
    return !closed_;
}

int CCOMPort::available() {
    if (closed_) return 0;
    std::lock_guard lock(backend_->rxMutex);
    return backend_->rxCount;
}

int CCOMPort::fetch(std::uint8_t* ring, int& writeIndex, int ringSize) {
    if (closed_ || !ring || ringSize <= 0) return 0;
    if (writeIndex < 0 || writeIndex >= ringSize) writeIndex = 0;
    Backend& b = *backend_;
    std::lock_guard lock(b.rxMutex);
    const int count = b.rxCount;
    for (int done = 0; done < count;) {
        const int piece = std::min(count - done, ringSize - writeIndex);
        std::memcpy(ring + writeIndex, b.rx + done, static_cast<std::size_t>(piece));
        done += piece;
        writeIndex = (writeIndex + piece) % ringSize;
    }
    b.rxCount = 0;
    return count;
}

void CCOMPort::write(const std::uint8_t* bytes, std::uint8_t length) {
    if (closed_ || !bytes || length == 0) return;
    Backend& b = *backend_;
    {
        std::lock_guard lock(b.txMutex);
        // A frame handed over before the writer took the previous one goes
        // out after it.
        if (b.txLength + length > kTransmitBufferSize) return;
        std::memcpy(b.tx + b.txLength, bytes, length);
        b.txLength += length;
    }
    b.txReady.notify_one();
}

void CCOMPort::setArrivalNotify(ArrivalNotify notify, void* context) {
    if (!closed_) return;
    backend_->notify = notify;
    backend_->notifyContext = context;
}

bool CCOMPort::lineLost() const {
    return backend_->lost;
}

// CCOMPort on Windows: an overlapped COM handle, a reader thread asleep in
// WaitCommEvent, a writer thread asleep until a frame is handed over, and one
// stop event that wakes both.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "link/com_port.h"
#include "link/port_list.h"

namespace {

constexpr int kTransmitBufferSize = 4096;
constexpr int kReadChunk = 1024;
constexpr DWORD kDriverQueueSize = 2000;

HANDLE newEvent(bool manualReset, bool signalled) {
    return ::CreateEventW(nullptr, manualReset, signalled, nullptr);
}

void closeHandle(HANDLE& h) {
    if (h) ::CloseHandle(h);
    h = nullptr;
}

// Windows gives a COM port to one handle at a time, Wine does not: a named
// object per port keeps out a second link of this tool there too.
std::string lockName(const std::string& device) {
    std::string name = "Local\\QuelterConfiguratorPort.";
    for (char c : device) {
        name += c == '\\' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

// Ports are exclusive on Windows: a port another program holds answers
// "access denied".
PortOpenError openErrorFrom(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PortOpenError::Busy;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return PortOpenError::Absent;
        default:
            return PortOpenError::Other;
    }
}

}  // namespace

struct CCOMPort::Backend {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE portLock = nullptr;
    // Set once close() wants both threads gone.
    HANDLE stop = nullptr;
    // Set by write() when a frame waits for the writer.
    HANDLE frameReady = nullptr;
    std::vector<std::string> ports;
    bool listed = false;
    PortOpenError openError = PortOpenError::None;
    DCB saved{};
    bool settingsChanged = false;

    std::mutex rxMutex;
    std::uint8_t rx[kReceiveBufferSize];
    int rxCount = 0;

    std::mutex txMutex;
    std::uint8_t tx[kTransmitBufferSize];
    int txLength = 0;
    // The writer's own copy, so a frame handed over meanwhile never changes
    // the bytes on their way out.
    std::uint8_t inFlight[kTransmitBufferSize];

    ArrivalNotify notify = nullptr;
    void* notifyContext = nullptr;

    std::atomic<bool> lost{false};
    std::thread reader;
    std::thread writer;

    void readLoop();
    void writeLoop();
    bool finish(OVERLAPPED& ov, DWORD& transferred);
    bool stopping() const;
    void append(const std::uint8_t* bytes, int length);
    bool startThreads();
    void stopThreads();
    void release();
};

// Waits for an overlapped call that went pending; false when close() came
// first (the call is cancelled and has ended) or the call failed.
bool CCOMPort::Backend::finish(OVERLAPPED& ov, DWORD& transferred) {
    const HANDLE waits[2] = {stop, ov.hEvent};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0 + 1) {
        // The kernel still owns ov until the cancelled call completes.
        ::CancelIo(port);
        ::GetOverlappedResult(port, &ov, &transferred, TRUE);
        return false;
    }
    return ::GetOverlappedResult(port, &ov, &transferred, FALSE) != 0;
}

bool CCOMPort::Backend::stopping() const {
    return ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0;
}

// With nothing queued the reader sleeps in a read of one byte, which the
// driver completes when a byte arrives; then it reads what the driver has
// queued, which completes at once.
void CCOMPort::Backend::readLoop() {
    OVERLAPPED ov{};
    ov.hEvent = newEvent(true, true);
    std::uint8_t chunk[kReadChunk];
    while (ov.hEvent) {
        // Line errors (parity, framing, overrun) are cleared and ignored: the
        // bytes the driver still delivers are passed on.
        DWORD errors = 0;
        COMSTAT status{};
        ::ClearCommError(port, &errors, &status);
        const DWORD want = std::clamp<DWORD>(status.cbInQue, 1, sizeof chunk);
        DWORD got = 0;
        ::ResetEvent(ov.hEvent);
        bool done = ::ReadFile(port, chunk, want, &got, &ov) != 0;
        DWORD error = done ? 0 : ::GetLastError();
        if (error == ERROR_IO_PENDING) {
            done = finish(ov, got);
            error = done ? 0 : ::GetLastError();
        }
        if (stopping()) break;
        if (got > 0) append(chunk, static_cast<int>(got));
        // A driver that aborts reads on a line error wants it cleared; any
        // other failure means the device went away.
        if (!done && error != ERROR_OPERATION_ABORTED) {
            lost = true;
            break;
        }
    }
    closeHandle(ov.hEvent);
}

void CCOMPort::Backend::append(const std::uint8_t* bytes, int length) {
    {
        std::lock_guard lock(rxMutex);
        // Nobody drains a full buffer: the surplus is dropped.
        const int kept = std::min(length, kReceiveBufferSize - rxCount);
        std::memcpy(rx + rxCount, bytes, static_cast<std::size_t>(kept));
        rxCount += kept;
    }
    if (notify) notify(notifyContext);
}

void CCOMPort::Backend::writeLoop() {
    OVERLAPPED ov{};
    ov.hEvent = newEvent(true, true);
    if (!ov.hEvent) return;
    const HANDLE waits[2] = {stop, frameReady};
    for (;;) {
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
        int length = 0;
        {
            std::lock_guard lock(txMutex);
            length = txLength;
            std::memcpy(inFlight, tx, static_cast<std::size_t>(length));
            txLength = 0;
        }
        if (length == 0) continue;
        DWORD sent = 0;
        ::ResetEvent(ov.hEvent);
        // A write the line does not take within the write time-out ends
        // there; nothing is reported.
        if (!::WriteFile(port, inFlight, static_cast<DWORD>(length), &sent, &ov) &&
            ::GetLastError() == ERROR_IO_PENDING && !finish(ov, sent) && stopping())
            break;
    }
    closeHandle(ov.hEvent);
}

bool CCOMPort::Backend::startThreads() {
    stop = newEvent(true, false);
    frameReady = newEvent(false, false);
    rxCount = 0;
    txLength = 0;
    lost = false;
    if (!stop || !frameReady) {
        stopThreads();
        return false;
    }
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
    if (stop) ::SetEvent(stop);
    if (reader.joinable()) reader.join();
    if (writer.joinable()) writer.join();
    closeHandle(stop);
    closeHandle(frameReady);
}

// Gives back the line settings open() changed, the handle and the lock.
void CCOMPort::Backend::release() {
    if (port != INVALID_HANDLE_VALUE) {
        if (settingsChanged) ::SetCommState(port, &saved);
        ::CloseHandle(port);
    }
    port = INVALID_HANDLE_VALUE;
    settingsChanged = false;
    closeHandle(portLock);
}

CCOMPort::CCOMPort() : backend_(std::make_unique<Backend>()) {}

CCOMPort::~CCOMPort() {
    close();
}

int CCOMPort::open(int portNumber, int baud) {
    if (!closed_) close();
    Backend& b = *backend_;

    // A scan opens COM1, COM2, ... up to COM254: the list is read afresh when
    // it starts at COM1, not for every port.
    if (portNumber == 1 || !b.listed) {
        b.ports = serialPortList();
        b.listed = true;
    }
    b.openError = PortOpenError::Absent;
    if (portNumber < 1 || portNumber > static_cast<int>(b.ports.size())) return 1;
    const std::string& name = b.ports[static_cast<std::size_t>(portNumber - 1)];
    if (name.empty()) return 1;

    // No sharing: a port that another program (or another link) holds fails
    // here, as does one that does not exist.
    const std::string device = comDevicePath(name);
    b.portLock = ::CreateEventA(nullptr, TRUE, FALSE, lockName(device).c_str());
    if (!b.portLock || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        b.openError = PortOpenError::Busy;
        b.release();
        return 1;
    }
    b.port = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (b.port == INVALID_HANDLE_VALUE) {
        b.openError = openErrorFrom(::GetLastError());
        b.release();
        return 1;
    }
    b.openError = PortOpenError::Other;

    b.saved.DCBlength = sizeof(DCB);
    if (!::GetCommState(b.port, &b.saved)) {
        b.release();
        return 2;
    }
    // A speed of 0 would hang the line up.
    if (baud <= 0) {
        b.release();
        return 3;
    }
    // Only speed and framing change; flow control, DTR/RTS handling and the
    // special characters stay as the port had them. Windows knows only binary
    // transfers, so fBinary stays set.
    DCB wanted = b.saved;
    wanted.BaudRate = static_cast<DWORD>(baud);
    wanted.fBinary = TRUE;
    wanted.fNull = FALSE;
    wanted.ByteSize = 8;
    wanted.Parity = EVENPARITY;
    wanted.StopBits = ONESTOPBIT;
    if (!::SetCommState(b.port, &wanted)) {
        b.release();
        return 3;
    }
    b.settingsChanged = true;

    // No read time-outs: a read ends when it has the bytes it asked for, and
    // the reader asks only for bytes already queued, or for the next one
    // while it sleeps. A write gets a second.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!::SetCommTimeouts(b.port, &timeouts)) {
        b.release();
        return 4;
    }
    ::SetupComm(b.port, kDriverQueueSize, kDriverQueueSize);
    // Whatever arrived before this open belongs to nobody.
    ::PurgeComm(b.port, PURGE_RXCLEAR);

    if (!b.startThreads()) {
        b.release();
        return 1;
    }
    b.openError = PortOpenError::None;
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
    ::SetEvent(b.frameReady);
}

void CCOMPort::setArrivalNotify(ArrivalNotify notify, void* context) {
    if (!closed_) return;
    backend_->notify = notify;
    backend_->notifyContext = context;
}

bool CCOMPort::lineLost() const {
    return backend_->lost;
}

PortOpenError CCOMPort::lastOpenError() const {
    return backend_->openError;
}

std::string CCOMPort::portName(int portNumber) const {
    const std::vector<std::string>& ports = backend_->ports;
    if (portNumber >= 1 && portNumber <= static_cast<int>(ports.size()))
        return ports[static_cast<std::size_t>(portNumber - 1)];
    return {};
}

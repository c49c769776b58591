// The Win32 serial port with its two threads running, under Wine. The script
// that starts this program (com_port_test.sh) joins COM5 and COM6 like two
// ports on a null-modem cable and maps COM7 onto a device that is no serial
// port; nothing else is mapped. The port under test is COM5; the test plays
// the tracker on COM6 with plain blocking Win32 calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "link/com_port.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int kTested = 5;
constexpr int kNotSerial = 7;

Bytes sequence(std::size_t count, int first = 0) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>((first + i) % 251);
    return bytes;
}

template <typename Condition>
bool eventually(Condition cond, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = Clock::now() + limit;
    while (!cond()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A COM port opened the plain way, as another program would.
class RawPort {
  public:
    explicit RawPort(const char* name) {
        handle = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (handle == INVALID_HANDLE_VALUE) return;
        // Reads wait at most 100 ms for their bytes.
        COMMTIMEOUTS t{};
        t.ReadTotalTimeoutConstant = 100;
        t.WriteTotalTimeoutConstant = 5000;
        ::SetCommTimeouts(handle, &t);
    }
    ~RawPort() { close(); }
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool ok() const { return handle != INVALID_HANDLE_VALUE; }
    void close() {
        if (ok()) ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }

    void send(const Bytes& bytes) const {
        DWORD written = 0;
        ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    // count bytes, or fewer if they do not come in time.
    Bytes receive(std::size_t count) const {
        Bytes bytes;
        eventually([&] {
            std::uint8_t buffer[512];
            DWORD got = 0;
            if (::ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0)
                bytes.insert(bytes.end(), buffer, buffer + got);
            return bytes.size() >= count;
        });
        return bytes;
    }

    DWORD queued() const {
        DWORD errors = 0;
        COMSTAT status{};
        return ::ClearCommError(handle, &errors, &status) ? status.cbInQue : 0;
    }

    HANDLE handle = INVALID_HANDLE_VALUE;
};

class Win32Port : public testing::Test {
  protected:
    void SetUp() override {
        _putenv_s("QUELTER_PORTS", "");  // an empty value unsets it: COM n is COMn
        ASSERT_TRUE(peer.ok()) << "COM6 is not mapped; run this under com_port_test.sh";
    }

    RawPort peer{"\\\\.\\COM6"};
    CCOMPort port;
};

TEST_F(Win32Port, OpenReportsTheStepThatFailed) {
    struct Case {
        const char* what;
        int portNumber;
        int baud;
        int code;
        PortOpenError why;
    };
    const Case cases[] = {
        {"a port nobody mapped", 200, 115200, 1, PortOpenError::Absent},
        {"past COM254", 255, 115200, 1, PortOpenError::Absent},
        {"port 0", 0, 115200, 1, PortOpenError::Absent},
        {"a device without line settings", kNotSerial, 115200, 2, PortOpenError::Other},
        {"speed 0, which would hang up", kTested, 0, 3, PortOpenError::Other},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(port.open(c.portNumber, c.baud), c.code) << c.what;
        EXPECT_EQ(port.lastOpenError(), c.why) << c.what;
        EXPECT_FALSE(port.isOpen()) << c.what;
        EXPECT_EQ(port.available(), 0) << c.what;
    }
    // Nothing of the failed opens stays behind.
    EXPECT_EQ(port.open(kTested, 115200), 0);
    EXPECT_EQ(port.lastOpenError(), PortOpenError::None);
    EXPECT_EQ(port.portName(kTested), "COM5");
}

// Windows itself refuses a second handle to a COM port; Wine does not, so
// what is checked here is that the link keeps out another link (another copy
// of the tool) on its own.
TEST_F(Win32Port, APortHeldOpenDoesNotOpenAgain) {
    ASSERT_EQ(port.open(kTested, 115200), 0);
    CCOMPort second;
    EXPECT_EQ(second.open(kTested, 115200), 1);
    // What a scan tells the user: "Порт COM5 занят другой программой".
    EXPECT_EQ(second.lastOpenError(), PortOpenError::Busy);
    EXPECT_FALSE(second.isOpen());
    _putenv_s("QUELTER_PORTS", "\\\\.\\com5");  // the same port by another spelling
    EXPECT_EQ(second.open(1, 115200), 1);

    port.close();
    EXPECT_EQ(second.open(1, 115200), 0);
    _putenv_s("QUELTER_PORTS", "");
    EXPECT_EQ(port.open(kTested, 115200), 1);
}

TEST_F(Win32Port, PortListNamesThePorts) {
    _putenv_s("QUELTER_PORTS", "COM200:COM5");
    EXPECT_EQ(port.open(1, 115200), 1);
    EXPECT_EQ(port.open(2, 115200), 0);
    EXPECT_EQ(port.open(3, 115200), 1);
}

TEST_F(Win32Port, BurstsArriveInOrderAndWrapTheCallersRing) {
    ASSERT_EQ(port.open(kTested, 115200), 0);
    const Bytes all = sequence(21, 1);
    peer.send(Bytes(all.begin(), all.begin() + 5));
    peer.send(Bytes(all.begin() + 5, all.begin() + 12));
    peer.send(Bytes(all.begin() + 12, all.end()));
    ASSERT_TRUE(eventually([&] { return port.available() == 21; }));

    Bytes ring(1024, 0xEE);
    int writeIndex = 1020;
    EXPECT_EQ(port.fetch(ring.data(), writeIndex, 1024), 21);
    EXPECT_EQ(writeIndex, 17);
    EXPECT_EQ(Bytes(ring.begin() + 1020, ring.end()), Bytes(all.begin(), all.begin() + 4));
    EXPECT_EQ(Bytes(ring.begin(), ring.begin() + 17), Bytes(all.begin() + 4, all.end()));
    EXPECT_EQ(port.available(), 0);
    EXPECT_EQ(port.fetch(ring.data(), writeIndex, 1024), 0);
}

TEST_F(Win32Port, InputFromBeforeTheOpenIsDiscarded) {
    {
        RawPort before("\\\\.\\COM5");
        ASSERT_TRUE(before.ok());
        peer.send(Bytes(40, 0x55));
        ASSERT_TRUE(eventually([&] { return before.queued() == 40; }));
    }
    ASSERT_EQ(port.open(kTested, 115200), 0);
    const Bytes fresh = {0x79, 0x1F, 0x79};
    peer.send(fresh);
    ASSERT_TRUE(eventually([&] { return port.available() >= 3; }));

    Bytes ring(1024);
    int writeIndex = 0;
    ASSERT_EQ(port.fetch(ring.data(), writeIndex, 1024), 3);
    EXPECT_EQ(Bytes(ring.begin(), ring.begin() + 3), fresh);
}

TEST_F(Win32Port, FramesGoOutWholeAndNothingLeavesAClosedPort) {
    ASSERT_EQ(port.open(kTested, 115200), 0);
    const Bytes frame = sequence(130);
    port.write(frame.data(), 130);
    EXPECT_EQ(peer.receive(130), frame);

    port.close();
    EXPECT_FALSE(port.isOpen());
    port.write(frame.data(), 130);
    Bytes ring(16);
    int writeIndex = 5;
    EXPECT_EQ(port.fetch(ring.data(), writeIndex, 16), 0);
    EXPECT_EQ(writeIndex, 5);
    EXPECT_EQ(port.available(), 0);

    // Had the write on the closed port gone anywhere, it would come first.
    ASSERT_EQ(port.open(kTested, 115200), 0);
    const Bytes marker = {0x7F};
    port.write(marker.data(), 1);
    EXPECT_EQ(peer.receive(1), marker);
}

TEST_F(Win32Port, FullReceiveBufferKeepsTheOldestBytes) {
    ASSERT_EQ(port.open(kTested, 115200), 0);
    const Bytes flood = sequence(5000);
    peer.send(flood);
    ASSERT_TRUE(eventually([&] { return port.available() == CCOMPort::kReceiveBufferSize; }));

    Bytes ring(8192);
    int writeIndex = 0;
    ASSERT_EQ(port.fetch(ring.data(), writeIndex, 8192), 4096);
    EXPECT_EQ(Bytes(ring.begin(), ring.begin() + 4096), Bytes(flood.begin(), flood.begin() + 4096));
}

TEST_F(Win32Port, ArrivalNotifyComesOnceTheBytesAreIn) {
    const HANDLE arrived = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(arrived, nullptr);
    port.setArrivalNotify([](void* event) { ::SetEvent(static_cast<HANDLE>(event)); }, arrived);
    ASSERT_EQ(port.open(kTested, 115200), 0);
    EXPECT_EQ(::WaitForSingleObject(arrived, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    peer.send({1, 2, 3});
    ASSERT_EQ(::WaitForSingleObject(arrived, 20000), WAIT_OBJECT_0);
    EXPECT_GT(port.available(), 0);
    port.close();
    ::CloseHandle(arrived);
}

// The reader is asleep in its wait, or busy with a stream, when close comes.
TEST_F(Win32Port, CloseDuringAReadReturnsPromptly) {
    const auto closeTime = [&] {
        const auto start = Clock::now();
        port.close();
        return Clock::now() - start;
    };

    ASSERT_EQ(port.open(kTested, 115200), 0);
    EXPECT_LT(closeTime(), std::chrono::seconds(2));

    ASSERT_EQ(port.open(kTested, 115200), 0);
    std::thread stream([&] {
        for (int i = 0; i < 20; ++i) peer.send(sequence(200, i));
    });
    EXPECT_TRUE(eventually([&] { return port.available() > 0; }));
    EXPECT_LT(closeTime(), std::chrono::seconds(2));
    stream.join();

    // The handle went with it: the port opens again.
    EXPECT_EQ(port.open(kTested, 115200), 0);
}

TEST_F(Win32Port, CloseGivesBackTheLineSettings) {
    DCB before{};
    before.DCBlength = sizeof before;
    {
        RawPort raw("\\\\.\\COM5");
        ASSERT_TRUE(raw.ok());
        ASSERT_TRUE(::GetCommState(raw.handle, &before));
        before.BaudRate = 9600;
        before.Parity = NOPARITY;
        ASSERT_TRUE(::SetCommState(raw.handle, &before));
    }
    ASSERT_EQ(port.open(kTested, 115200), 0);
    port.close();

    RawPort raw("\\\\.\\COM5");
    ASSERT_TRUE(raw.ok());
    DCB after{};
    after.DCBlength = sizeof after;
    ASSERT_TRUE(::GetCommState(raw.handle, &after));
    EXPECT_EQ(after.BaudRate, 9600u);
    EXPECT_EQ(after.Parity, NOPARITY);
}

}  // namespace

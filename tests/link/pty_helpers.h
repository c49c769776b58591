// A pseudo-terminal for port tests: the test holds the master as the tracker's
// end of the cable, and a slave descriptor of its own that keeps the line raw
// and lets it look at the slave's input queue.
#pragma once

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// Polls cond until it holds or a generous limit passes; a loaded machine
// makes the wait longer, never the test fail.
template <typename Condition>
bool eventually(Condition cond, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class PtyPair {
  public:
    PtyPair() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        char name[128];
        if (::ptsname_r(master, name, sizeof name) != 0) return;
        path = name;
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    ~PtyPair() { hangUp(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master >= 0 && slave >= 0; }

    // Bytes from the tracker's end.
    void send(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }

    // What reached the tracker's end: count bytes, or fewer if they do not come.
    std::vector<std::uint8_t> receive(std::size_t count) const {
        std::vector<std::uint8_t> bytes;
        std::uint8_t buffer[512];
        eventually([&] {
            int waiting = 0;
            if (::ioctl(master, FIONREAD, &waiting) == 0 && waiting > 0) {
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
            }
            return bytes.size() >= count;
        });
        return bytes;
    }

    // Bytes waiting in the slave's input queue, not yet read by anyone.
    int slaveInputQueued() const {
        int waiting = -1;
        ::ioctl(slave, FIONREAD, &waiting);
        return waiting;
    }

    // The cable is pulled: the slave side hangs up.
    void hangUp() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
        master = slave = -1;
    }

    int master = -1;
    int slave = -1;
    std::string path;
};

// quelter-null-modem: two pseudo-terminals joined like two serial ports by a
// null-modem cable. What a program writes to one slave arrives at the other.
// Prints the two slave paths on one line, then relays until its standard
// input closes (or it is stopped), so it never outlives the script that
// started it.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct End {
    int master = -1;
    int slave = -1;  // our own, so the line never hangs up between opens
    std::string path;
};

bool openEnd(End& end) {
    end.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (end.master < 0 || ::grantpt(end.master) != 0 || ::unlockpt(end.master) != 0) return false;
    const char* name = ::ptsname(end.master);
    if (!name) return false;
    end.path = name;
    end.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (end.slave < 0 || ::tcgetattr(end.slave, &raw) != 0) return false;
    ::cfmakeraw(&raw);
    return ::tcsetattr(end.slave, TCSANOW, &raw) == 0;
}

// Moves what one master has to the other; false when a side is gone.
bool relay(int from, int to) {
    char buffer[4096];
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    for (ssize_t done = 0; done < n;) {
        const ssize_t w = ::write(to, buffer + done, static_cast<std::size_t>(n - done));
        if (w < 0 && errno != EINTR && errno != EAGAIN) return false;
        if (w > 0) done += w;
    }
    return true;
}

}  // namespace

int main() {
    End a, b;
    if (!openEnd(a) || !openEnd(b)) {
        std::perror("quelter-null-modem");
        return 1;
    }
    std::printf("%s %s\n", a.path.c_str(), b.path.c_str());
    std::fflush(stdout);

    pollfd fds[3] = {{a.master, POLLIN, 0}, {b.master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        if (fds[2].revents != 0) {
            char ignored[64];
            if (::read(STDIN_FILENO, ignored, sizeof ignored) <= 0) return 0;
        }
        if ((fds[0].revents & POLLIN) && !relay(a.master, b.master)) return 1;
        if ((fds[1].revents & POLLIN) && !relay(b.master, a.master)) return 1;
    }
}

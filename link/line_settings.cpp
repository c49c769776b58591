#include "link/line_settings.h"

namespace {

struct BaudSpeed {
    int baud;
    speed_t speed;
};

constexpr BaudSpeed kSpeeds[] = {
    {1200, B1200},     {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400},   {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

}  // namespace

bool baudToSpeed(int baud, speed_t& speed) {
    for (const BaudSpeed& s : kSpeeds) {
        if (s.baud == baud) {
            speed = s.speed;
            return true;
        }
    }
    return false;
}

termios lineSettings8E1(const termios& old, speed_t speed) {
    termios t = old;
    // Every byte passes as it came: no parity check or marking (line errors are
    // ignored and the bytes the driver delivers are passed on), no stripping,
    // no CR/LF translation, no XON/XOFF.
    t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL |
                   IXON | IXOFF | IXANY | IMAXBEL);
#ifdef IUCLC
    t.c_iflag &= ~IUCLC;
#endif
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARODD | CSTOPB);
#ifdef CMSPAR
    t.c_cflag &= ~CMSPAR;
#endif
    // CLOCAL: a cable without carrier detect must neither block the open nor
    // hang the line up.
    t.c_cflag |= CS8 | PARENB | CREAD | CLOCAL;
    // One byte satisfies a read; with the descriptor non-blocking a read never
    // waits, and 0 bytes then means the line hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return t;
}

// The 8E1 raw line settings, checked where they are computed: a pty would not
// keep the parity bit to be read back.
#include <gtest/gtest.h>

#include "link/line_settings.h"

namespace {

termios cookedTerminal(bool hardwareFlowControl) {
    termios t{};
    t.c_iflag = ICRNL | IXON | IXOFF | INPCK | ISTRIP | IGNCR | INLCR | BRKINT | PARMRK;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN;
    t.c_cflag = CS7 | PARODD | CSTOPB | CREAD | HUPCL | (hardwareFlowControl ? CRTSCTS : 0);
    t.c_cc[VINTR] = 3;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 5;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    return t;
}

TEST(LineSettings, RawEightDataBitsEvenParityOneStopBit) {
    for (const termios& old : {cookedTerminal(true), cookedTerminal(false), termios{}}) {
        speed_t speed{};
        ASSERT_TRUE(baudToSpeed(115200, speed));
        const termios t = lineSettings8E1(old, speed);

        EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t{CS8});
        EXPECT_TRUE(t.c_cflag & PARENB);
        EXPECT_FALSE(t.c_cflag & PARODD);
        EXPECT_FALSE(t.c_cflag & CSTOPB);
        EXPECT_TRUE(t.c_cflag & CREAD);
        EXPECT_EQ(cfgetispeed(&t), speed_t{B115200});
        EXPECT_EQ(cfgetospeed(&t), speed_t{B115200});

        // Every byte passes untouched, both ways.
        EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK | IXON | IXOFF |
                               IXANY | BRKINT),
                  0u);
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);

        // What the port had for flow control and the modem lines stays.
        EXPECT_EQ(t.c_cflag & (CRTSCTS | HUPCL), old.c_cflag & (CRTSCTS | HUPCL));
        EXPECT_EQ(t.c_cc[VINTR], old.c_cc[VINTR]);
    }
}

TEST(LineSettings, OnlyRatesTheSystemNamesAreAccepted) {
    speed_t speed{};
    EXPECT_TRUE(baudToSpeed(9600, speed));
    EXPECT_EQ(speed, speed_t{B9600});
    EXPECT_FALSE(baudToSpeed(12345, speed));
    EXPECT_FALSE(baudToSpeed(0, speed));
}

}  // namespace

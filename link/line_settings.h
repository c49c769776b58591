// The line settings the port runs the bootloader protocol with, computed from
// the settings the port had. Pure, so they are checked here rather than by
// reading a pseudo-terminal back (a pty does not keep the parity bit).
#pragma once

#include <termios.h>

// The termios speed of a baud rate; false for a rate the system does not name.
bool baudToSpeed(int baud, speed_t& speed);

// Binary-transparent raw mode (no echo, no canonical input, no character
// translation, no software flow control, receiver on, a read is satisfied by
// one byte), the given speed, 8 data bits, even parity, one stop bit. Hardware
// flow control, HUPCL and the control characters other than VMIN and VTIME
// stay as the port had them.
termios lineSettings8E1(const termios& old, speed_t speed);

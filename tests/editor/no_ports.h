// A link on which no port opens: for tests of everything that does not talk
// to a tracker. Other fakes start from it and override what they need.
#pragma once

#include <cstdint>

#include "link/serial_link.h"

class NoPorts : public SerialLink {
  public:
    int open(int, int) override { return 1; }
    void close() override {}
    bool isOpen() const override { return false; }
    int available() override { return 0; }
    int fetch(std::uint8_t*, int&, int) override { return 0; }
    void write(const std::uint8_t*, std::uint8_t) override {}
};

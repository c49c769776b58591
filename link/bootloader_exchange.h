// One conversation with the tracker's serial bootloader, driven by a one-shot
// 20 ms tick on the owner's thread, plus the Read, Write and Reset commands
// that start it. No thread of its own and no locks; nothing allocates per tick.
//
// PUBLIC CONTRACT (the editor and the command-line tool build on it); the
// private part is the link subsystem's to shape.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "config/device_config.h"
#include "config/models.h"
#include "link/device_owner.h"
#include "link/serial_link.h"

enum class FrameKind : std::uint8_t {
    Sync = 0x7F,
    Get = 0x00,
    ReadCommand = 0x11,
    WriteCommand = 0x31,
    Address = 0x12,
    ReadCount = 0x13,
    DataBlock = 0x14,
};

// Diagnostics: every frame handed to the link, and every byte taken from it.
struct TraceEvent {
    enum Kind : std::uint8_t { FrameSent, BytesReceived } kind;
    std::span<const std::uint8_t> bytes;
};

class CBootloaderExchange {
public:
    CBootloaderExchange(SerialLink& link, DeviceCommandOwner& owner);

    // Device commands (toolbar and menu).
    void readDevice();
    void writeDevice();
    void resetDevice();

    // The owner's 20 ms tick.
    void onTick();

    void setTraceHook(std::function<void(const TraceEvent&)> hook);

    // The three images and the models.
    DeviceConfig readImage{};
    DeviceConfig workingImage{};
    DeviceConfig writeImage{};
    int editedModel = kModelRQ30;
    int deviceModel = -1;
};

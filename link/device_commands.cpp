// Read, Write, Reset and Restore, the port scan, and what the engine reports back.
#include <algorithm>
#include <cstdio>

#include "config/defaults.h"
#include "link/bootloader_exchange.h"
#include "link/status_texts.h"

namespace {

// Ports 1 to 254 are tried.
constexpr int kPortLimit = 255;

}  // namespace

void CBootloaderExchange::readDevice() {
    startCommand(true);
}

void CBootloaderExchange::writeDevice() {
    restoring_ = false;
    startCommand(false);
}

void CBootloaderExchange::restoreDevice(const DeviceConfig& block, int model) {
    writeImage = block;
    std::fill(writeImage.bytes + kDeviceBlockSize, writeImage.bytes + kConfigSize, 0);
    restoreModel_ = model;
    restoring_ = true;
    startCommand(false);
}

void CBootloaderExchange::resetDevice() {
    loadDefaults(workingImage);
    owner_.showConfig();
    // The defaults reach the tracker through the pages: the write collects them.
    writeDevice();
}

void CBootloaderExchange::startCommand(bool read) {
    // The user may start a command while another runs; its tick must not reach
    // the new exchange.
    owner_.cancelTick();
    running_ = false;
    show("", ResultColour::Green);
    readRequested_ = read;
    readCommand_ = read;
    writePhase_ = false;
    trackerNotFound_ = false;
    refusedPort_ = 0;
    refusal_ = PortOpenError::None;
    checkPhase_ = false;
    portNumber_ = 1;
    scanPorts();
}

void CBootloaderExchange::scanPorts() {
    // Whatever an earlier port or exchange left behind must not pass for an
    // answer on this one.
    discardPending();
    blockExpected_ = false;
    silentTicks_ = 0;
    heard_ = false;
    refusals_ = 0;
    finished_ = false;
    blocksDone_ = 0;

    while (portNumber_ < kPortLimit && link_.open(portNumber_, kBaudRate) != 0) {
        noteRefusal(portNumber_);
        ++portNumber_;
    }
    if (portNumber_ >= kPortLimit) {
        portNumber_ = 1;
        halt();
        trackerNotFound_ = true;
        showNotFound();
        return;
    }
    running_ = true;
    sendFrame(FrameKind::Sync);
    answerSeen_ = false;
}

void CBootloaderExchange::noteRefusal(int portNumber) {
    if (refusedPort_ != 0) return;
    const PortOpenError why = link_.lastOpenError();
    if (why == PortOpenError::Busy || why == PortOpenError::Denied) {
        refusedPort_ = portNumber;
        refusal_ = why;
    }
}

// A port that is there but cannot be had is the likelier cause, and the user
// can do something about it.
void CBootloaderExchange::showNotFound() {
    if (refusedPort_ == 0) {
        show(kTextNoConnection, ResultColour::Red);
        return;
    }
    const std::string name = link_.portName(refusedPort_);
    char text[256];
    std::snprintf(text, sizeof text,
                  refusal_ == PortOpenError::Busy ? kTextPortBusyFormat : kTextPortDeniedFormat,
                  name.c_str());
    show(text, ResultColour::Red);
}

void CBootloaderExchange::readFinished() {
    readRequested_ = false;

    const std::uint8_t* v = fieldBytes(readImage, Field::FirmwareVersion);
    char version[64];
    std::snprintf(version, sizeof version, kTextVersionFormat, unsigned{v[0]}, unsigned{v[1]},
                  unsigned{v[2]}, unsigned{v[3]});
    text_.assign(version);
    owner_.showVersion(text_);
    show(kTextReadOk, ResultColour::Green);

    SwapByteOrder(readImage);
    workingImage = readImage;

    const char* name = modelName(deviceModel);
    if (!name) show(kTextBadModel, ResultColour::Red);
    editedModel = deviceModel;
    if (name) {
        text_.assign(name);
        owner_.setModelButtonText(text_);
    }
    owner_.showConfig();
}

bool CBootloaderExchange::prepareWrite() {
    if (!restoring_) {
        owner_.collectPages();
        writeImage = workingImage;
        SwapByteOrder(writeImage);
    }
    if ((restoring_ ? restoreModel_ : editedModel) != deviceModel) {
        show(kTextIncompatible, ResultColour::Red);
        return false;
    }
    KeepDeviceFields(writeImage, readImage);
    // Last, so that only a Write that goes ahead leaves a backup.
    return owner_.backUpBlock(readImage, deviceModel);
}

void CBootloaderExchange::writeFinished(int differences) {
    if (differences == 0) {
        show(kTextWriteOk, ResultColour::Green);
        return;
    }
    char text[96];
    std::snprintf(text, sizeof text, kTextCheckFailedFormat, differences);
    show(text, ResultColour::Red);
}

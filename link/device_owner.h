// What the exchange engine and the device commands need from the window that
// owns them. The Qt window, the command-line tool and tests implement it.
#pragma once

#include <string>

#include "config/device_config.h"
#include "config/result_colour.h"

class DeviceCommandOwner {
public:
    virtual ~DeviceCommandOwner() = default;

    // Status line: result pane (text and background) and version pane.
    virtual void showResult(const std::string& text, ResultColour colour) = 0;
    virtual void showVersion(const std::string& text) = 0;
    // The toolbar's model button.
    virtual void setModelButtonText(const std::string& text) = 0;
    // Puts the working image on the pages / rebuilds it from the pages.
    virtual void showConfig() = 0;
    virtual void collectPages() = 0;
    // A Write is about to replace the tracker's block: `block` is what the
    // tracker sent (device order), `model` its model id. The owner keeps a
    // copy and names it; false stops the Write before any block is sent, and
    // the owner has shown why.
    virtual bool backUpBlock(const DeviceConfig& block, int model) = 0;
    // One-shot 20 ms tick that ends in CBootloaderExchange::onTick on the
    // owner's thread; arming while armed restarts the 20 ms. The owner also
    // calls onArrival, on that thread, whenever the link signals bytes.
    virtual void armTick() = 0;
    virtual void cancelTick() = 0;
};

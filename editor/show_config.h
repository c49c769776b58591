// Putting the working image on the main window's preset buttons and the six
// pages. Every value reaches the controls this way; what the user typed and
// nobody collected yet is overwritten. Program writes run no page handler.
#pragma once

#include "config/device_config.h"
#include "editor/controls.h"
#include "editor/page_bindings.h"

// The preset buttons and the model rule: models without a Tracker mode get
// button 1995 disabled and a LastCmd of 4 turned into 0 (the one change
// showing makes to the image). Opening a settings file runs it on its own.
void showPresetChoice(Controls& c, DeviceConfig& image, int editedModel);

void showMainPage(Controls& c, const DeviceConfig& image, PageMemory& memory);
void showWakePage(Controls& c, const DeviceConfig& image);
void showGpsPage(Controls& c, const DeviceConfig& image);
void showInternetPage(Controls& c, const DeviceConfig& image);
void showSensorsPage(Controls& c, const DeviceConfig& image);
void showExpertPage(Controls& c, const DeviceConfig& image);

// showPresetChoice, then the six pages in tab order; `memory` is what the
// collection needs to give back what no control can show.
void showConfig(Controls& c, DeviceConfig& image, int editedModel, PageMemory& memory);

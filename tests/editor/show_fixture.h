// Pages set up as the window sets them up, with the working image beside them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/cp1251.h"
#include "config/defaults.h"
#include "config/device_config.h"
#include "config/models.h"
#include "editor/collect_pages.h"
#include "editor/memory_controls.h"
#include "editor/page_rules.h"
#include "editor/show_config.h"

class PagesTest : public ::testing::Test {
  protected:
    PagesTest() {
        rules.applyInitialSettings();
        rules.fillTimeZoneList();
        loadDefaults(image);
    }
    // Every id the binding uses must be a control of its page.
    void TearDown() override { EXPECT_EQ(c.unknownAccesses(), 0); }

    void show(int model = kModelRQ30) { showConfig(c, image, model, memory); }
    DeviceConfig collect() const {
        DeviceConfig out;
        collectPages(c, memory, out);
        return out;
    }
    std::string text(PageId page, int id) const { return c.text(page, id); }

    MemoryControls c;
    CPageRules rules{c};
    PageMemory memory;
    DeviceConfig image{};
};

// Field text written as CP1251 from UTF-8 source text.
inline void setUtf8Text(DeviceConfig& image, Field f, const std::string& utf8) {
    SetText(image, f, Utf8ToCp1251(utf8));
}

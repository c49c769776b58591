// The pages as the window has them after start-up, driven by a simulated
// user: MemoryControls sends every user action to the page rules.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "editor/memory_controls.h"
#include "editor/page_rules.h"

// Forwards events to the rules and notices a handler that runs inside another
// one (a program write must never start a handler).
class RulesSink : public ControlEventSink {
  public:
    explicit RulesSink(CPageRules& rules) : rules_(rules) {}
    void onControlEvent(PageId page, int id, ControlEvent event) override {
        if (depth_ > 0) ++reentries;
        ++events;
        ++depth_;
        rules_.onControlEvent(page, id, event);
        --depth_;
    }
    int events = 0;
    int reentries = 0;

  private:
    CPageRules& rules_;
    int depth_ = 0;
};

class RulesTest : public ::testing::Test {
  protected:
    RulesTest() {
        c.setSink(&sink);
        rules.applyInitialSettings();
        rules.fillTimeZoneList();
    }
    void TearDown() override {
        EXPECT_EQ(sink.reentries, 0);
        EXPECT_EQ(c.unknownAccesses(), 0);
    }

    // Clicks into the edit at its end and types, as a user would.
    void type(PageId page, int id, const std::string& keys) {
        c.setCaret(page, id, 1000);
        c.userType(page, id, keys);
    }
    // Selects all of the edit and types over it.
    void retype(PageId page, int id, const std::string& keys) { c.userReplaceText(page, id, keys); }
    void expectTexts(PageId page, std::initializer_list<std::pair<int, const char*>> texts) {
        for (const auto& [id, text] : texts) EXPECT_EQ(c.text(page, id), text) << "control " << id;
    }

    MemoryControls c;
    CPageRules rules{c};
    RulesSink sink{rules};
};

// The in-memory controls must behave as the dialog's controls do, since the
// page rules are tested through them.
#include <gtest/gtest.h>

#include <vector>

#include "editor/memory_controls.h"
#include "editor/utf8_text.h"

namespace {

struct Seen {
    PageId page;
    int id;
    ControlEvent event;
    std::string text;  // the control's text when the event arrived
    bool modified;
};

class Recorder : public ControlEventSink {
  public:
    explicit Recorder(MemoryControls& c) : c_(c) {}
    void onControlEvent(PageId page, int id, ControlEvent event) override {
        seen.push_back({page, id, event, c_.text(page, id), c_.modified(page, id)});
    }
    std::vector<Seen> seen;

  private:
    MemoryControls& c_;
};

class MemoryControlsTest : public ::testing::Test {
  protected:
    MemoryControlsTest() { c.setSink(&rec); }
    MemoryControls c;
    Recorder rec{c};
};

constexpr PageId kPages[] = {PageId::Window,   PageId::Main,    PageId::Wake,  PageId::GPS,
                             PageId::Internet, PageId::Sensors, PageId::Expert};

TEST_F(MemoryControlsTest, HoldsEveryControlOfTheTableAndNothingElse) {
    for (PageId page : kPages) {
        for (const ControlSpec& entry : pageControls(page)) {
            EXPECT_TRUE(c.exists(page, entry.id)) << entry.id;
            EXPECT_EQ(c.kind(page, entry.id), entry.kind) << entry.id;
            EXPECT_TRUE(c.enabled(page, entry.id));
            if (entry.kind == ControlKind::CheckBox || entry.kind == ControlKind::RadioButton) {
                EXPECT_EQ(c.text(page, entry.id), entry.caption);
            }
        }
    }
    EXPECT_EQ(c.unknownAccesses(), 0);
    EXPECT_FALSE(c.exists(PageId::Expert, 1285));
    c.setText(PageId::Expert, 1285, "x");
    EXPECT_EQ(c.text(PageId::Expert, 1285), "");
    EXPECT_EQ(c.unknownAccesses(), 2);
}

TEST_F(MemoryControlsTest, ProgramWritesSendNothingAndLeaveTheFlagClear) {
    c.setModified(PageId::Main, 1034, true);
    c.setText(PageId::Main, 1034, "Трекер");
    EXPECT_FALSE(c.modified(PageId::Main, 1034));
    EXPECT_EQ(c.caret(PageId::Main, 1034), 6);  // characters, not bytes
    c.setTextLimit(PageId::Main, 1031, 3);
    c.setText(PageId::Main, 1031, "123456");  // a program write is not cut
    EXPECT_EQ(c.text(PageId::Main, 1031), "123456");
    c.setChecked(PageId::Main, 1197, true);
    c.checkRadio(PageId::Main, 1998, 2000, 1999);
    c.setEnabled(PageId::Main, 1034, false);
    c.addComboItem(PageId::Main, 1053, "a");
    c.setComboSelection(PageId::Main, 1053, 0);
    c.setTime(PageId::Wake, 1201, {7, 30});
    c.setSliderPosition(PageId::Sensors, 1276, 4);
    EXPECT_TRUE(rec.seen.empty());
}

TEST_F(MemoryControlsTest, TypingInsertsAtTheCaretAndSendsOneChangePerCharacter) {
    c.setText(PageId::Main, 1034, "ac");
    c.setCaret(PageId::Main, 1034, 1);
    c.userType(PageId::Main, 1034, "bЖ");
    EXPECT_EQ(c.text(PageId::Main, 1034), "abЖc");
    EXPECT_EQ(c.caret(PageId::Main, 1034), 3);
    EXPECT_TRUE(c.modified(PageId::Main, 1034));
    ASSERT_EQ(rec.seen.size(), 2u);
    EXPECT_EQ(rec.seen[0].text, "abc");
    EXPECT_EQ(rec.seen[1].text, "abЖc");
    for (const Seen& s : rec.seen) {
        EXPECT_EQ(s.event, ControlEvent::Changed);
        EXPECT_TRUE(s.modified);
    }
}

TEST_F(MemoryControlsTest, RefusedCharactersChangeNothingAndSendNothing) {
    c.setTextLimit(PageId::Main, 1031, 4);
    c.userType(PageId::Main, 1031, "1a2-3+45");  // digits only, at most 4
    EXPECT_EQ(c.text(PageId::Main, 1031), "1234");
    EXPECT_EQ(rec.seen.size(), 4u);

    rec.seen.clear();
    c.setText(PageId::Main, 1034, "");
    c.setTextLimit(PageId::Main, 1034, 2);
    c.userType(PageId::Main, 1034, "Ж-x");  // any character, up to the limit
    EXPECT_EQ(c.text(PageId::Main, 1034), "Ж-");
    EXPECT_EQ(rec.seen.size(), 2u);

    rec.seen.clear();
    c.setEnabled(PageId::Main, 1034, false);
    c.userBackspace(PageId::Main, 1034);
    c.userType(PageId::Main, 1034, "1");
    c.setEnabled(PageId::Main, 1197, false);
    c.userClick(PageId::Main, 1197);
    c.userClick(PageId::Main, 1131);  // a label
    EXPECT_FALSE(c.checked(PageId::Main, 1197));
    EXPECT_EQ(c.text(PageId::Main, 1034), "Ж-");
    EXPECT_TRUE(rec.seen.empty());
}

// Every byte that starts no well-formed character becomes one U+FFFD, so that
// an overlong digit is no digit and an overlong NUL no NUL.
TEST_F(MemoryControlsTest, MalformedTextBecomesReplacementCharacters) {
    struct Decoded {
        const char* utf8;
        std::u32string text;
    };
    const Decoded cases[] = {
        {"a\xE2\x82\xAC\xF0\x9F\x98\x80", U"a\u20AC\U0001F600"},
        {"\xC0\xB5", U"\uFFFD\uFFFD"},                      // "5" in two bytes
        {"\xC0\x80", U"\uFFFD\uFFFD"},                      // NUL in two bytes
        {"\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD"},            // "/" in three bytes
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},            // a surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xE2\x82!", U"\uFFFD\uFFFD!"},                    // cut short
    };
    for (const Decoded& k : cases) EXPECT_EQ(utf8ToUtf32(k.utf8), k.text) << k.utf8;

    c.userType(PageId::Main, 1031, "\xC0\xB5");  // digits only
    EXPECT_EQ(c.text(PageId::Main, 1031), "");
    EXPECT_TRUE(rec.seen.empty());
}

TEST_F(MemoryControlsTest, BackspaceDeletesBeforeTheCaret) {
    c.setText(PageId::Main, 1034, "abc");
    c.setCaret(PageId::Main, 1034, 2);
    c.userBackspace(PageId::Main, 1034, 3);  // the third finds the caret at 0
    EXPECT_EQ(c.text(PageId::Main, 1034), "c");
    EXPECT_EQ(c.caret(PageId::Main, 1034), 0);
    EXPECT_EQ(rec.seen.size(), 2u);
}

TEST_F(MemoryControlsTest, ReplaceSelectsAllThenTypes) {
    c.setTextLimit(PageId::Main, 1031, 2);
    c.setText(PageId::Main, 1031, "98");
    c.userReplaceText(PageId::Main, 1031, "x12");  // x refused, 1 replaces, 2 appended
    EXPECT_EQ(c.text(PageId::Main, 1031), "12");
    ASSERT_EQ(rec.seen.size(), 2u);
    EXPECT_EQ(rec.seen[0].text, "1");

    rec.seen.clear();
    c.userReplaceText(PageId::Main, 1031, "");
    EXPECT_EQ(c.text(PageId::Main, 1031), "");
    EXPECT_EQ(rec.seen.size(), 1u);

    rec.seen.clear();
    c.userReplaceText(PageId::Main, 1031, "");  // nothing to delete
    EXPECT_TRUE(rec.seen.empty());
}

TEST_F(MemoryControlsTest, RadioClickChecksOnlyWithinItsGroup) {
    c.checkRadio(PageId::GPS, 1279, 1280, 1279);
    c.checkRadio(PageId::GPS, 1281, 1282, 1281);
    c.userClick(PageId::GPS, 1280);
    EXPECT_EQ(c.checkedRadio(PageId::GPS, 1279, 1280), 1280);
    EXPECT_TRUE(c.checked(PageId::GPS, 1281));  // same box, other group

    c.userClick(PageId::Window, 1993);
    EXPECT_EQ(c.checkedRadio(PageId::Window, 1991, 1995), 1993);
    c.userClick(PageId::Window, 1993);  // clicking the checked one keeps it
    EXPECT_TRUE(c.checked(PageId::Window, 1993));

    c.userClick(PageId::Main, 1197);
    EXPECT_TRUE(c.checked(PageId::Main, 1197));
    c.userClick(PageId::Main, 1197);
    EXPECT_FALSE(c.checked(PageId::Main, 1197));
    ASSERT_EQ(rec.seen.size(), 5u);
    EXPECT_EQ(rec.seen[0].event, ControlEvent::Clicked);
}

// The time-zone list is a drop-down list: picked from, never typed into.
TEST_F(MemoryControlsTest, DropDownListIsPickedFromAndTakesNoTyping) {
    c.addComboItem(PageId::Main, 1053, "(GMT) x");
    c.addComboItem(PageId::Main, 1053, "y");
    c.userSelectCombo(PageId::Main, 1053, 1);
    EXPECT_EQ(c.comboSelection(PageId::Main, 1053), 1);
    EXPECT_EQ(c.text(PageId::Main, 1053), "y");
    c.userType(PageId::Main, 1053, "(GMT) x");
    c.userBackspace(PageId::Main, 1053);
    EXPECT_EQ(c.comboSelection(PageId::Main, 1053), 1);
    EXPECT_EQ(c.text(PageId::Main, 1053), "y");
    c.userSelectCombo(PageId::Main, 1053, 2);
    EXPECT_EQ(c.comboSelection(PageId::Main, 1053), -1);
    c.setComboSelection(PageId::Main, 1053, -5);
    EXPECT_EQ(c.comboSelection(PageId::Main, 1053), -1);
    ASSERT_EQ(rec.seen.size(), 2u);  // the two picks, no typing
    EXPECT_EQ(rec.seen[0].event, ControlEvent::Selected);
    EXPECT_EQ(rec.seen[1].event, ControlEvent::Selected);
}

TEST_F(MemoryControlsTest, PickersAndSlidersStayInTheirRanges) {
    c.setTime(PageId::Wake, 1201, {23, 59});
    c.setTime(PageId::Wake, 1201, {24, 0});
    c.userSetTime(PageId::Wake, 1201, {12, 60});
    EXPECT_EQ(c.time(PageId::Wake, 1201), (TimeOfDay{23, 59}));
    c.userSetTime(PageId::Wake, 1201, {0, 5});
    EXPECT_EQ(c.time(PageId::Wake, 1201), (TimeOfDay{0, 5}));

    EXPECT_EQ(c.sliderMaximum(PageId::Sensors, 1276), 100);
    c.setSliderPosition(PageId::Sensors, 1276, 50);
    c.setSliderRange(PageId::Sensors, 1276, 1, 7);
    EXPECT_EQ(c.sliderPosition(PageId::Sensors, 1276), 7);
    c.userMoveSlider(PageId::Sensors, 1276, -3);
    EXPECT_EQ(c.sliderPosition(PageId::Sensors, 1276), 1);
    ASSERT_EQ(rec.seen.size(), 2u);
    EXPECT_EQ(rec.seen[0].event, ControlEvent::TimeChanged);
    EXPECT_EQ(rec.seen[1].event, ControlEvent::SliderMoved);
}

}  // namespace

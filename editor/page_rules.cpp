#include "editor/page_rules.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "editor/arithmetic.h"
#include "editor/utf8_text.h"

namespace {

constexpr int kAlarmBoxes[9] = {1202, 1220, 1221, 1222, 1223, 1224, 1225, 1226, 1227};
constexpr int kPhoneEdits[10] = {1031, 1032, 1033, 1035, 1036, 1037, 1038, 1039, 1041, 1040};
constexpr int kPeriodBox = 1228;
constexpr int kAutoApnBox = 1264;
constexpr int kApnEdits[3] = {1251, 1252, 1253};
constexpr int kApnLimits[3] = {32, 16, 16};
constexpr int kPeriodEdits[3] = {1229, 1230, 1231};
constexpr int kSlider = 1276;
constexpr int kSensitivity = 1278;
constexpr int kRadius = 1248;
constexpr std::uint32_t kRadiusMin = 300, kRadiusMax = 30000;
constexpr int kServerHost = 1250, kServerPort = 1254;
constexpr std::uint32_t kPortMax = 65535;
constexpr int kTminEdit = 1273, kTmaxEdit = 1274;
constexpr int kWholeText = 1 << 30;
constexpr std::size_t kGroupCount = std::size(kDurationGroups);

// The duration group an edit belongs to, or -1.
int durationGroupOf(PageId page, int id) {
    for (std::size_t i = 0; i < kGroupCount; ++i) {
        const DurationGroup& g = *kDurationGroups[i];
        if (g.page == page && id != 0 &&
            (id == g.days || id == g.hours || id == g.minutes || id == g.seconds))
            return static_cast<int>(i);
    }
    return -1;
}

constexpr const char* kTimeZones[26] = {
    "(GMT-12:00) International dateline, west",
    "(GMT-11:00) Midway Islands, Samoan Islands",
    "(GMT-10:00) Hawaii",
    "(GMT-09:00) Alaska",
    "(GMT-08:00) Pacific Time (USA og Canada); Tijuana",
    "(GMT-07:00) Mountain Time (USA og Canada)",
    "(GMT-06:00) Central time (USA og Canada)",
    "(GMT-05:00) Eastern time (USA og Canada)",
    "(GMT-04:00) Atlantic Time (Canada)",
    "(GMT-03:00) Brasilia",
    "(GMT-02:00) Mid-Atlantic",
    "(GMT-01:00) Azorerne",
    "(GMT) Greenwich Mean Time: Dublin, Edinburgh, Lissabon, London",
    "(GMT+01:00) Amsterdam, Berlin, Bern, Rom, Stockholm, Wien",
    "(GMT+02:00) Athen, Istanbul, Minsk",
    "(GMT+03:00) Mid-East, E Africa",
    "(GMT+04:00) Moscow, St. Petersburg, Volgograd,Abu Dhabi, Muscat",
    "(GMT+05:00) Islamabad, Karachi, Tasjkent",
    "(GMT+06:00) Astana, Dhaka",
    "(GMT+07:00) Bangkok, Hanoi, Djakarta",
    "(GMT+08:00) Beijing, Chongjin, SAR Hongkong",
    "(GMT+09:00) Osaka, Sapporo, Tokyo",
    "(GMT+10:00) Canberra, Melbourne, Sydney",
    "(GMT+11:00) Magadan, Solomon Islands, New Caledonien",
    "(GMT+12:00) Fiji, Kamtjatka, Marshall Islands",
    "(GMT+13:00) Nuku'alofa",
};

struct Limit {
    PageId page;
    int id;
    int characters;
};
// Phone edits admit 15 digits: the field holds "+" and 15 characters, so a
// sixteenth digit would run into the next field.
constexpr Limit kLimits[] = {
    {PageId::Main, 1034, 16},     {PageId::Wake, 1229, 2},      {PageId::Wake, 1230, 2},
    {PageId::Wake, 1231, 2},      {PageId::GPS, 1248, 8},       {PageId::GPS, 1249, 10},
    {PageId::GPS, 1251, 2},       {PageId::GPS, 1253, 2},       {PageId::GPS, 1255, 4},
    {PageId::GPS, 1250, 10},      {PageId::GPS, 1252, 3},       {PageId::GPS, 1254, 2},
    {PageId::GPS, 1256, 4},       {PageId::Internet, 1251, 32}, {PageId::Internet, 1252, 16},
    {PageId::Internet, 1253, 16}, {PageId::Internet, 1250, 26}, {PageId::Internet, 1254, 5},
    {PageId::Internet, 1261, 2},  {PageId::Internet, 1262, 2},  {PageId::Sensors, 1278, 1},
    {PageId::Sensors, 1280, 2},   {PageId::Sensors, 1281, 2},   {PageId::Sensors, 1284, 2},
    {PageId::Sensors, 1282, 2},   {PageId::Sensors, 1283, 2},   {PageId::Sensors, 1264, 2},
    {PageId::Sensors, 1265, 2},   {PageId::Sensors, 1266, 2},   {PageId::Expert, 1278, 2},
    {PageId::Expert, 1281, 2},    {PageId::Expert, 1277, 2},    {PageId::Expert, 1280, 2},
    {PageId::Expert, 1279, 2},    {PageId::Expert, 1284, 3},    {PageId::Expert, 1286, 5},
    {PageId::Expert, 1282, 2},    {PageId::Expert, 1283, 2},
};
constexpr int kPhoneLimit = 15;

struct RadioStart {
    PageId page;
    int first, last, checked;
};
constexpr RadioStart kRadioStarts[] = {
    {PageId::Window, 1991, 1995, 1991},  {PageId::Main, 2001, 2003, 2001},
    {PageId::Main, 2010, 2012, 2010},    {PageId::Main, 1998, 2000, 1998},
    {PageId::GPS, 2030, 2032, 2030},     {PageId::GPS, 1279, 1280, 1279},
    {PageId::GPS, 1281, 1282, 1281},     {PageId::Sensors, 2035, 2039, 2039},
    {PageId::Sensors, 2045, 2047, 2045},
};

// The text up to its first line break, as the platform reads a single line.
std::u32string firstLine(const std::u32string& s) {
    const auto end = s.find_first_of(U"\r\n");
    return end == std::u32string::npos ? s : s.substr(0, end);
}

std::u32string firstChars(const std::u32string& s, int n) {
    return s.size() > static_cast<std::size_t>(n) ? s.substr(0, static_cast<std::size_t>(n)) : s;
}

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// Decimal degrees as typed, in millionths: digits, an optional point and
// fraction; parsing stops at the first other character. Counted in integers,
// so that 1.001985 is 1001985 exactly (the product 1.001985 * 1e6 in doubles
// falls just below and would truncate to 1001984); decimals after the sixth
// are cut. Capped far above any limit.
std::int64_t typedMicroDegrees(const std::u32string& s) {
    std::size_t i = 0;
    std::int64_t whole = 0;
    for (; i < s.size() && isDigit(s[i]); ++i)
        whole = std::min<std::int64_t>(whole * 10 + (s[i] - U'0'), 1000000);
    std::int64_t frac = 0;
    int places = 0;
    if (i < s.size() && s[i] == U'.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            if (places < 6) {
                frac = frac * 10 + (s[i] - U'0');
                ++places;
            }
        }
    }
    for (; places < 6; ++places) frac *= 10;
    return whole * 1000000 + frac;
}

// Signed decimal: an optional sign, then digits; stops at the first other
// character; no digits give 0.
long signedNumber(const std::u32string& s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == U'+' || s[i] == U'-')) negative = s[i++] == U'-';
    long v = 0;
    for (; i < s.size() && isDigit(s[i]); ++i)
        v = std::min(v * 10 + static_cast<long>(s[i] - U'0'), 1000000L);
    return negative ? -v : v;
}

}  // namespace

struct CPageRules::State {
    explicit State(Controls& c) : c(c) {}
    Controls& c;

    struct Typing {
        std::u32string previousText;
        std::size_t previousLength = 0;
    };
    Typing latitude, longitude;
    std::uint16_t savedAlarmMask = 0;
    std::string savedApn[3];
    // Lower bounds still to apply: per duration group the edit last changed
    // (0 for none), and the radius.
    int pendingGroupEdit[kGroupCount] = {};
    bool radiusPending = false;

    std::u32string text(PageId p, int id) const { return utf8ToUtf32(c.text(p, id)); }
    void setText(PageId p, int id, const std::u32string& s) { c.setText(p, id, utf32ToUtf8(s)); }

    void wake(int id, ControlEvent ev);
    void gps(int id, ControlEvent ev);
    void internet(int id, ControlEvent ev);
    void sensors(int id, ControlEvent ev);
    void expert(int id, ControlEvent ev);

    void duration(int group, int id, ControlEvent ev);
    void applyGroupMinimum(int group, int id);
    void radius(ControlEvent ev);
    bool boundNumber(PageId p, int id, int readChars, std::uint32_t lo, std::uint32_t hi,
                     int caret);
    std::u32string keepSignedNumber(PageId p, int id, int width);
    void boundSigned(int id, int width, long lo, long hi);
    void decimalCoordinateEdited(const CoordinateEdits& e, Typing& t, int limit);
    void coordinatePartEdited(const CoordinateEdits& e, int changedId, int degMax);
};

CPageRules::CPageRules(Controls& controls) : state_(std::make_unique<State>(controls)) {}
CPageRules::~CPageRules() = default;

void CPageRules::applyInitialSettings() {
    Controls& c = state_->c;
    for (int id : kPhoneEdits) c.setTextLimit(PageId::Main, id, kPhoneLimit);
    for (const Limit& l : kLimits) c.setTextLimit(l.page, l.id, l.characters);
    for (const RadioStart& r : kRadioStarts) c.checkRadio(r.page, r.first, r.last, r.checked);
    // Range and position go in before the configuration is first shown, so
    // that showing it leaves the slider at the image's level; set afterwards
    // they would show level 1 against the image's own.
    c.setSliderRange(PageId::Sensors, kSlider, 1, 7);
    c.setSliderPosition(PageId::Sensors, kSlider, 7);
    c.setText(PageId::Sensors, kSensitivity,
              std::to_string(8 - c.sliderPosition(PageId::Sensors, kSlider)));
}

void CPageRules::fillTimeZoneList() {
    Controls& c = state_->c;
    // Filled once; a second call must not double the list.
    if (c.comboCount(PageId::Main, 1053) == 0)
        for (const char* zone : kTimeZones) c.addComboItem(PageId::Main, 1053, zone);
    c.setComboSelection(PageId::Main, 1053, 12);
}

void CPageRules::onControlEvent(PageId page, int id, ControlEvent event) {
    if (const int group = durationGroupOf(page, id); group >= 0) {
        state_->duration(group, id, event);
        return;
    }
    switch (page) {
        case PageId::Wake:
            state_->wake(id, event);
            break;
        case PageId::GPS:
            state_->gps(id, event);
            break;
        case PageId::Internet:
            state_->internet(id, event);
            break;
        case PageId::Sensors:
            state_->sensors(id, event);
            break;
        case PageId::Expert:
            state_->expert(id, event);
            break;
        case PageId::Window:
        case PageId::Main:
            break;
    }
}

void CPageRules::applyPendingBounds() {
    State& st = *state_;
    for (std::size_t i = 0; i < kGroupCount; ++i)
        if (st.pendingGroupEdit[i] != 0)
            st.applyGroupMinimum(static_cast<int>(i), st.pendingGroupEdit[i]);
    if (st.radiusPending) st.radius(ControlEvent::FocusLost);
}

void CPageRules::configShown() {
    State& st = *state_;
    st.savedAlarmMask = 0;
    // Switching the automatic APN off brings back what the pages show now.
    for (int i = 0; i < 3; ++i)
        st.savedApn[i] =
            utf32ToUtf8(firstChars(st.text(PageId::Internet, kApnEdits[i]), kApnLimits[i]));
    std::fill(std::begin(st.pendingGroupEdit), std::end(st.pendingGroupEdit), 0);
    st.radiusPending = false;
}

// --- Duration groups -------------------------------------------------------

// The maximum applies while typing; the minimum once the user leaves the edit,
// so a total can pass through small values on its way (10 minutes of waiting
// starts as 1 minute).
void CPageRules::State::duration(int group, int id, ControlEvent ev) {
    const DurationGroup& g = *kDurationGroups[group];
    if (ev == ControlEvent::Changed) {
        if (!c.modified(g.page, id)) return;
        ClampDuration(c, g, id, g.maxTotal, 0, g.atMax);
        if (g.minTotal > 0) pendingGroupEdit[group] = id;
    } else if (ev == ControlEvent::FocusLost && pendingGroupEdit[group] != 0) {
        applyGroupMinimum(group, id);
    }
}

void CPageRules::State::applyGroupMinimum(int group, int id) {
    const DurationGroup& g = *kDurationGroups[group];
    ClampDuration(c, g, id, g.maxTotal, g.minTotal, g.atMax);
    pendingGroupEdit[group] = 0;
}

// --- Wake-up page ----------------------------------------------------------

void CPageRules::State::wake(int id, ControlEvent ev) {
    constexpr PageId P = PageId::Wake;
    if (ev != ControlEvent::Clicked) return;
    if (id == kPeriodBox) {
        // Periodic wake-up and alarms exclude each other: switching the
        // period on puts the alarms away, switching it off brings them back.
        if (c.checked(P, kPeriodBox)) {
            savedAlarmMask = 0;
            for (int i = 0; i < 9; ++i) {
                if (c.checked(P, kAlarmBoxes[i]))
                    savedAlarmMask |= static_cast<std::uint16_t>(1u << i);
                c.setChecked(P, kAlarmBoxes[i], false);
            }
            // A period shown as zero left its edits locked; whoever switches
            // the period on means to set one.
            for (int edit : kPeriodEdits) c.setEnabled(P, edit, true);
        } else {
            for (int i = 0; i < 9; ++i) c.setChecked(P, kAlarmBoxes[i], (savedAlarmMask >> i) & 1u);
        }
        return;
    }
    for (int box : kAlarmBoxes) {
        if (id == box) {
            if (c.checked(P, box) && c.checked(P, kPeriodBox)) c.setChecked(P, kPeriodBox, false);
            return;
        }
    }
}

// --- GPS page --------------------------------------------------------------

// Rewrites a number outside lo..hi as the bound it passed, with the caret at
// `caret`; a number within is left as typed, caret and all. True when the
// text was rewritten.
bool CPageRules::State::boundNumber(PageId p, int id, int readChars, std::uint32_t lo,
                                    std::uint32_t hi, int caret) {
    const std::uint32_t v = leadingNumber(c.text(p, id), readChars);
    const bool rewrite = v > hi || v < lo;
    if (rewrite) {
        c.setText(p, id, std::to_string(v > hi ? hi : lo));
        c.setCaret(p, id, caret);
    }
    c.setModified(p, id, false);
    return rewrite;
}

// The radius: its maximum at once, its minimum when the user is done.
void CPageRules::State::radius(ControlEvent ev) {
    constexpr PageId P = PageId::GPS;
    if (ev == ControlEvent::Changed) {
        if (!c.modified(P, kRadius)) return;
        boundNumber(P, kRadius, 8, 0, kRadiusMax, 1);
        radiusPending = true;
    } else if (ev == ControlEvent::FocusLost && radiusPending) {
        boundNumber(P, kRadius, 8, kRadiusMin, kRadiusMax, 1);
        radiusPending = false;
    }
}

void CPageRules::State::decimalCoordinateEdited(const CoordinateEdits& e, Typing& t, int limit) {
    const PageId P = e.page;
    if (!c.modified(P, e.decimal)) return;
    std::u32string s = firstChars(firstLine(text(P, e.decimal)), 10);
    const std::size_t intDigits = limit < 100 ? 2 : 3;

    // Only the last character is judged: it is the one just typed. A refused
    // one is deleted as a keystroke would, and the character before it is
    // judged in turn, as that deletion's own change would have it judged.
    while (!s.empty()) {
        const std::size_t n = s.size();
        const char32_t last = s.back();
        const bool hasPoint = s.find(U'.') != std::u32string::npos;
        bool refuse = false;
        if (!hasPoint) {
            if (n == 1 && !isDigit(last)) {
                refuse = true;
            } else if (n == intDigits) {
                if (!isDigit(last) && last != U'.') {
                    refuse = true;
                } else {
                    // The whole degrees are in: the point comes by itself.
                    setText(P, e.decimal, s + U'.');
                    c.setCaret(P, e.decimal, static_cast<int>(n + 1));
                    c.setModified(P, e.decimal, false);
                    break;
                }
            }
        } else if (n == 2 || n == 3) {
            refuse = !isDigit(last) && last != U'.';
        } else {
            refuse = !isDigit(last);
        }
        if (!refuse) break;
        s.pop_back();
        setText(P, e.decimal, s);
    }

    // Deleting the point deletes the digit before it too, or the point would
    // come straight back.
    const std::size_t n = s.size();
    if (n > 0 && n < t.previousLength && t.previousText[n] == U'.') {
        const std::u32string cut = s.substr(0, n - 1);
        setText(P, e.decimal, cut);
        c.setCaret(P, e.decimal, static_cast<int>(cut.size()));
        c.setModified(P, e.decimal, false);
    }

    const std::u32string now = firstChars(text(P, e.decimal), 10);
    t.previousText = now;
    t.previousLength = now.size();

    const std::int64_t micro = typedMicroDegrees(now);
    const std::int64_t limitMicro = std::int64_t{limit} * 1000000;
    if (micro >= limitMicro) {
        // At the limit the decimal edit is rewritten too (90.000000).
        showCoordinate(c, e, static_cast<std::int32_t>(limitMicro));
    } else {
        showCoordinateParts(c, e, splitCoordinate(static_cast<std::int32_t>(micro)));
    }
    c.setCaret(P, e.decimal, 10);
    c.setModified(P, e.decimal, false);
}

void CPageRules::State::coordinatePartEdited(const CoordinateEdits& e, int changedId, int degMax) {
    const PageId P = e.page;
    if (!c.modified(P, changedId)) return;
    constexpr std::uint32_t minMax = 59, fracMax = 9999;
    const int degChars = degMax < 100 ? 2 : 3;
    std::uint32_t degrees = 0, minutes = 0, fraction = 0;
    const std::uint32_t v = leadingNumber(c.text(P, changedId), 10);
    int caret = 2;

    auto zeroMinutesAndFraction = [&] {
        c.setText(P, e.minutes, "0");
        c.setText(P, e.fraction, "0");
        minutes = fraction = 0;
    };

    if (changedId == e.degrees) {
        minutes = leadingNumber(c.text(P, e.minutes), 2);
        fraction = leadingNumber(c.text(P, e.fraction), 4);
        if (v >= static_cast<std::uint32_t>(degMax)) {
            degrees = static_cast<std::uint32_t>(degMax);
            c.setText(P, changedId, std::to_string(degMax));
            zeroMinutesAndFraction();
        } else {
            degrees = v;
        }
        if (degrees > 99) caret = 3;
    } else {
        degrees = leadingNumber(c.text(P, e.degrees), degChars);
        // At the largest degree there are no minutes left.
        const bool atMax = degrees == static_cast<std::uint32_t>(degMax);
        if (changedId == e.minutes) {
            fraction = leadingNumber(c.text(P, e.fraction), 4);
            if (atMax) {
                zeroMinutesAndFraction();
            } else if (v > minMax) {
                c.setText(P, changedId, std::to_string(minMax));
                minutes = minMax;
            } else {
                minutes = v;
            }
        } else {
            minutes = leadingNumber(c.text(P, e.minutes), 2);
            caret = 5;
            if (atMax) {
                zeroMinutesAndFraction();
            } else if (v > fracMax) {
                c.setText(P, changedId, std::to_string(fracMax));
                fraction = fracMax;
            } else {
                fraction = v;
            }
        }
    }
    c.setText(P, e.decimal, formatMicroDegrees(joinCoordinate(degrees, minutes, fraction)));
    c.setCaret(P, changedId, caret);
    c.setModified(P, changedId, false);
}

void CPageRules::State::gps(int id, ControlEvent ev) {
    if (id == kRadius) {
        radius(ev);
        return;
    }
    if (ev != ControlEvent::Changed) return;
    switch (id) {
        case 1249:
            decimalCoordinateEdited(kLatitudeEdits, latitude, 90);
            break;
        case 1250:
            decimalCoordinateEdited(kLongitudeEdits, longitude, 180);
            break;
        case 1251:
        case 1253:
        case 1255:
            coordinatePartEdited(kLatitudeEdits, id, 90);
            break;
        case 1252:
        case 1254:
        case 1256:
            coordinatePartEdited(kLongitudeEdits, id, 180);
            break;
        default:
            break;
    }
}

// --- Internet page ---------------------------------------------------------

void CPageRules::State::internet(int id, ControlEvent ev) {
    constexpr PageId P = PageId::Internet;
    if (id == kServerHost && ev == ControlEvent::Changed && c.modified(P, id)) {
        // The colon parts host from port in the stored text: a host takes none.
        const std::u32string typed = text(P, id);
        std::u32string host;
        int caret = c.caret(P, id);
        for (std::size_t i = 0; i < typed.size(); ++i) {
            if (typed[i] != U':')
                host.push_back(typed[i]);
            else if (static_cast<int>(i) < caret)
                --caret;
        }
        if (host.size() != typed.size()) {
            setText(P, id, host);
            c.setCaret(P, id, caret);
        }
        c.setModified(P, id, false);
    } else if (id == kServerPort && ev == ControlEvent::Changed && c.modified(P, id)) {
        boundNumber(P, id, 5, 0, kPortMax, 5);
    } else if (id == kAutoApnBox && ev == ControlEvent::Clicked) {
        if (c.checked(P, kAutoApnBox)) {
            for (int i = 0; i < 3; ++i)
                savedApn[i] = utf32ToUtf8(firstChars(text(P, kApnEdits[i]), kApnLimits[i]));
            for (int edit : kApnEdits) c.setText(P, edit, "");
            for (int edit : kApnEdits) c.setEnabled(P, edit, false);
        } else {
            for (int edit : kApnEdits) c.setEnabled(P, edit, true);
            for (int i = 0; i < 3; ++i) c.setText(P, kApnEdits[i], savedApn[i]);
        }
    }
}

// --- Sensors page ----------------------------------------------------------

void CPageRules::State::sensors(int id, ControlEvent ev) {
    constexpr PageId P = PageId::Sensors;
    if (id == kSlider && ev == ControlEvent::SliderMoved) {
        // The slider runs from 1 at the top to 7 at the bottom; the level
        // reads the other way round.
        c.setText(P, kSensitivity, std::to_string(8 - c.sliderPosition(P, kSlider)));
        return;
    }
    if (ev != ControlEvent::Changed) return;
    switch (id) {
        case kSensitivity: {
            if (!c.modified(P, id)) return;
            std::uint32_t v = leadingNumber(c.text(P, id), 2);
            if (v > 7) v = 7;
            if (v < 1) v = 1;
            c.setSliderPosition(P, kSlider, 8 - static_cast<int>(v));
            c.setText(P, id, std::to_string(8 - c.sliderPosition(P, kSlider)));
            c.setCaret(P, id, 1);
            c.setModified(P, id, false);
            break;
        }
        case kTminEdit:
        case kTmaxEdit: {
            // Degrees Celsius, any sign and length: only what is no number goes.
            if (!c.modified(P, id)) return;
            keepSignedNumber(P, id, kWholeText);
            c.setModified(P, id, false);
            break;
        }
        default:
            break;
    }
}

// --- Expert page -----------------------------------------------------------

// Anything but a sign or a digit is taken out, wherever it was typed; the
// caret stays where the typing was. Returns the text kept.
std::u32string CPageRules::State::keepSignedNumber(PageId p, int id, int width) {
    const std::u32string s = firstChars(firstLine(text(p, id)), width);
    std::u32string kept;
    int caret = c.caret(p, id);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (isDigit(s[i]) || s[i] == U'+' || s[i] == U'-')
            kept.push_back(s[i]);
        else if (static_cast<int>(i) < caret)
            --caret;
    }
    if (kept.size() != s.size()) {
        setText(p, id, kept);
        c.setCaret(p, id, caret);
    }
    return kept;
}

void CPageRules::State::boundSigned(int id, int width, long lo, long hi) {
    constexpr PageId P = PageId::Expert;
    if (!c.modified(P, id)) return;
    const std::u32string kept = keepSignedNumber(P, id, width);
    const long v = signedNumber(kept);
    if (v > hi)
        c.setText(P, id, std::to_string(hi));
    else if (v < lo)
        c.setText(P, id, std::to_string(lo));
    c.setCaret(P, id, width);
    c.setModified(P, id, false);
}

void CPageRules::State::expert(int id, ControlEvent ev) {
    if (ev != ControlEvent::Changed) return;
    switch (id) {
        case 1277:
        case 1278:
        case 1279:
        case 1280:
        case 1281:
            if (c.modified(PageId::Expert, id)) boundNumber(PageId::Expert, id, 2, 1, 30, 2);
            break;
        case 1284:
            boundSigned(id, 3, -99, 99);
            break;
        case 1286:
            boundSigned(id, 5, -1800, 1800);
            break;
        default:
            break;
    }
}

#include "editor/collect_pages.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <limits>
#include <string>

#include "config/cp1251.h"
#include "editor/arithmetic.h"
#include "editor/page_bindings.h"

namespace {

constexpr int kPhoneDigits = 15;       // the field holds "+" and 15 characters
constexpr int kCoordinateChars = 10;   // the decimal coordinate edits
constexpr int kDurationPartChars = 2;  // every duration edit
constexpr std::size_t kServerHostChars = 26;
constexpr std::size_t kServerPortChars = 5;

// The first `count` characters of a UTF-8 text (a lead byte starts one).
std::string_view firstChars(std::string_view utf8, int count) {
    std::size_t i = 0;
    int seen = 0;
    for (; i < utf8.size(); ++i) {
        const bool lead = (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80;
        if (lead && seen++ == count) break;
    }
    return utf8.substr(0, i);
}

// A control's text as CP1251 bytes, at most `width` characters. A text ends
// at a NUL, as the platform's control texts do: past one, the field would
// hide the rest, and the server text its colon and port.
std::string controlBytes(const Controls& c, PageId page, int id, std::size_t width) {
    std::string bytes = Utf8ToCp1251(c.text(page, id));
    bytes.resize(std::min({bytes.size(), width, bytes.find('\0')}));
    return bytes;
}

// Stores a number in its field, saturated to what the field can hold: a
// speed of 300 stays the fastest the tracker knows rather than wrapping to 44.
void storeNumber(DeviceConfig& image, Field f, std::int64_t v) {
    auto fit = [v](std::int64_t lo, std::int64_t hi) { return std::clamp(v, lo, hi); };
    switch (fieldInfo(f).type) {
        case FieldType::U8:
            SetU8(image, f, static_cast<std::uint8_t>(fit(0, 0xFF)));
            break;
        case FieldType::I8:
            SetI8(image, f, static_cast<std::int8_t>(fit(-128, 127)));
            break;
        case FieldType::U16:
            SetU16(image, f, static_cast<std::uint16_t>(fit(0, 0xFFFF)));
            break;
        case FieldType::I32:
            SetI32(image, f,
                   static_cast<std::int32_t>(fit(std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max())));
            break;
        case FieldType::U32:
            SetU32(image, f, static_cast<std::uint32_t>(fit(0, 0xFFFFFFFF)));
            break;
        case FieldType::Text:
        case FieldType::Bytes:
            assert(!"not a number field");
            break;
    }
}

std::int64_t readNumber(const Controls& c, PageId page, int id, int chars) {
    const std::string text = c.text(page, id);
    return parseDecimal(chars > 0 ? firstChars(text, chars) : std::string_view(text));
}

void collectDuration(const Controls& c, DeviceConfig& image, Field f, const DurationGroup& g) {
    auto part = [&](int id) -> std::uint32_t {
        if (id == 0) return 0;
        return static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(readNumber(c, g.page, id, kDurationPartChars), 0, 99));
    };
    const std::uint32_t total =
        joinDuration(part(g.days), part(g.hours), part(g.minutes), part(g.seconds), g.unit);
    // Within the page rules' bounds every total fits; beyond them the longest
    // duration is kept rather than a wrapped, much shorter one.
    SetU16(image, f, static_cast<std::uint16_t>(std::min<std::uint32_t>(total, 0xFFFF)));
}

void collectBinding(const Controls& c, const PageMemory& memory, PageId page, const Binding& b,
                    DeviceConfig& image) {
    switch (b.way) {
        case BindWay::Check:
            if (c.checked(page, b.id)) SetBit(image, b.field, b.bit, true);
            break;
        case BindWay::CheckNonZero:
            storeNumber(image, b.field, c.checked(page, b.id) ? 1 : 0);
            break;
        case BindWay::Number:
            storeNumber(image, b.field, readNumber(c, page, b.id, b.chars) - b.offset);
            break;
        case BindWay::Text:
            SetText(image, b.field, controlBytes(c, page, b.id, fieldInfo(b.field).width));
            break;
        case BindWay::Phone: {
            const std::string digits = controlBytes(c, page, b.id, kPhoneDigits);
            if (!digits.empty()) SetText(image, b.field, "+" + digits);
            break;
        }
        case BindWay::Combo: {
            // No item selected: the list has none for the value shown.
            const int selected = c.comboSelection(page, b.id);
            storeNumber(image, b.field, selected >= 0 ? selected - b.offset : memory.shownTimeZone);
            break;
        }
        case BindWay::TimePicker: {
            const TimeOfDay t = c.time(page, b.id);
            SetU32(image, b.field,
                   static_cast<std::uint32_t>(std::clamp(t.hour, 0, 23) * 256 +
                                              std::clamp(t.minute, 0, 59)));
            break;
        }
        case BindWay::Radio: {
            const int button = c.checkedRadio(page, b.id, b.last);
            storeNumber(image, b.field, button != 0 ? b.values[button - b.id] : b.valueIfNone);
            break;
        }
        case BindWay::Duration:
            collectDuration(c, image, b.field, b.duration);
            break;
    }
}

void collectRows(const Controls& c, const PageMemory& memory, PageId page, DeviceConfig& image) {
    for (const Binding& b : bindingsOf(page).rows) collectBinding(c, memory, page, b, image);
}

void collectNotifications(const Controls& c, DeviceConfig& image) {
    constexpr PageId page = PageId::Main;
    // No choice counts as the first button of each group.
    switch (c.checkedRadio(page, ids::kSmsEveryWakeUp, ids::kSmsOff)) {
        case ids::kSmsAlarmsOnly:
            break;
        case ids::kSmsOff:
            SetBit(image, Field::ModeFlags2, 4, true);
            break;
        default:
            SetBit(image, Field::SysMode, 0, true);
            break;
    }
    switch (c.checkedRadio(page, ids::kCallEveryWakeUp, ids::kCallOff)) {
        case ids::kCallOff:
            break;
        case ids::kCallAlarmsOnly:
            SetBit(image, Field::SysMode, 3, true);
            SetBit(image, Field::ModeFlags2, 0, true);
            break;
        default:
            SetBit(image, Field::SysMode, 3, true);
            break;
    }
}

// Only the decimal edit counts; an empty one is 0 whatever the hemisphere.
void collectZoneCoordinate(const Controls& c, DeviceConfig& image, Field f, int decimalEdit,
                           int negativeButton) {
    const std::string text = c.text(PageId::GPS, decimalEdit);
    const std::string_view shown = firstChars(text, kCoordinateChars);
    if (shown.empty()) return;
    std::int32_t micro = parseMicroDegrees(shown);
    if (c.checked(PageId::GPS, negativeButton)) micro = -micro;
    SetI32(image, f, micro);
}

void collectCoordinateFormat(const Controls& c, DeviceConfig& image) {
    switch (c.checkedRadio(PageId::GPS, ids::kLinksYandex, ids::kLinksGeographic)) {
        case ids::kLinksGeographic:
            break;
        case ids::kLinksGoogle:
            SetBit(image, Field::ModeFlags1, 3, true);
            break;
        default:
            SetBit(image, Field::ModeFlags1, 1, true);
            break;
    }
}

// "host:port"; without a host the port means nothing and the field stays empty.
void collectMonitoringServer(const Controls& c, DeviceConfig& image) {
    const std::string host = controlBytes(c, PageId::Internet, ids::kServerHost, kServerHostChars);
    if (host.empty()) return;
    const std::string port = controlBytes(c, PageId::Internet, ids::kServerPort, kServerPortChars);
    SetText(image, Field::MonServerIP, host + ":" + port);
}

void collectApn(const Controls& c, DeviceConfig& image) {
    constexpr PageId page = PageId::Internet;
    if (c.checked(page, ids::kApnAutomatic)) return;
    for (auto [id, f] : {std::pair{ids::kApnAddress, Field::ApnAddress},
                         std::pair{ids::kApnLogin, Field::ApnLogin},
                         std::pair{ids::kApnPassword, Field::ApnPassword}})
        SetText(image, f, controlBytes(c, page, id, fieldInfo(f).width));
}

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

}  // namespace

std::int64_t parseDecimal(std::string_view text) {
    // Far beyond every field, yet with room to add an offset without overflow.
    constexpr std::int64_t kCap = 1'000'000'000'000'000;
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t v = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) v = std::min(kCap, v * 10 + (text[i] - '0'));
    return negative ? -v : v;
}

std::int32_t parseMicroDegrees(std::string_view text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The number as its significant digits and a power of ten.
    std::string digits;
    long exponent = 0;
    bool anyDigit = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        anyDigit = true;
        if (!digits.empty() || text[i] != '0') digits += text[i];
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            anyDigit = true;
            if (!digits.empty() || text[i] != '0') digits += text[i];
            --exponent;
        }
    }
    if (!anyDigit) return 0;  // atof's rule: "-." or "e5" is no number
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) expNegative = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) {
            long e = 0;
            for (; j < text.size() && isDigit(text[j]); ++j)
                e = std::min(100000L, e * 10 + (text[j] - '0'));
            exponent += expNegative ? -e : e;
        }
    }

    if (digits.empty()) return 0;

    // Millionths of a degree, truncated: shift the point six places right.
    // INT32_MAX has ten digits, so anything longer is beyond every field.
    const long shift = exponent + 6;
    const auto saturated = static_cast<std::int32_t>(negative ? -kMax : kMax);
    if (shift >= 0) {
        if (static_cast<long>(digits.size()) + shift > 10) return saturated;
        digits.append(static_cast<std::size_t>(shift), '0');
    } else if (static_cast<long>(digits.size()) <= -shift) {
        return 0;
    } else {
        digits.resize(digits.size() - static_cast<std::size_t>(-shift));
        if (digits.size() > 10) return saturated;
    }
    std::int64_t magnitude = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    magnitude = std::min(magnitude, kMax);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

void collectPages(const Controls& c, const PageMemory& memory, DeviceConfig& image) {
    ClearConfig(image);
    collectRows(c, memory, PageId::Window, image);

    collectRows(c, memory, PageId::Main, image);
    SetU8(image, Field::GMTFlags, 1);
    collectNotifications(c, image);

    collectRows(c, memory, PageId::Wake, image);

    collectRows(c, memory, PageId::GPS, image);
    collectZoneCoordinate(c, image, Field::ZoneLatitude, kLatitudeEdits.decimal, ids::kSouth);
    collectZoneCoordinate(c, image, Field::ZoneLongitude, kLongitudeEdits.decimal, ids::kWest);
    collectCoordinateFormat(c, image);

    collectRows(c, memory, PageId::Internet, image);
    collectMonitoringServer(c, image);
    collectApn(c, image);

    collectRows(c, memory, PageId::Sensors, image);
    collectRows(c, memory, PageId::Expert, image);
}

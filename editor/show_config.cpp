#include "editor/show_config.h"

#include <cstdint>
#include <string>

#include "config/cp1251.h"
#include "config/models.h"
#include "editor/arithmetic.h"
#include "editor/page_bindings.h"

namespace {

constexpr std::size_t kPhoneChars = 15;  // the field holds "+" and 15 characters

// Unsigned 32-bit fields are shown as the unsigned number they hold.
std::int64_t fieldValue(const DeviceConfig& image, Field f) {
    if (fieldInfo(f).type == FieldType::U32) return GetU32(image, f);
    return GetNumber(image, f);
}

void showNumber(Controls& c, PageId page, int id, std::int64_t value) {
    c.setText(page, id, std::to_string(value));
}

void showCheck(Controls& c, PageId page, int id, bool on) {
    c.setEnabled(page, id, true);
    c.setChecked(page, id, on);
}

void showRadio(Controls& c, PageId page, const Binding& b, int value) {
    const int count = b.last - b.id + 1;
    for (int i = 0; i < count; ++i) {
        if (b.values[i] == value) {
            c.checkRadio(page, b.id, b.last, b.id + i);
            return;
        }
    }
    if (b.buttonIfOther != 0) c.checkRadio(page, b.id, b.last, b.buttonIfOther);
}

void showDuration(Controls& c, const DurationGroup& g, std::uint16_t total) {
    DurationParts parts = splitDuration(total, g.unit);
    // A total that needs a unit the page has no edit for would come back
    // wrapped (an hour and 40 s as 1:40); the group's largest value is the
    // nearest the page can hold.
    if ((g.days == 0 && parts.days != 0) || (g.hours == 0 && parts.hours != 0)) parts = g.atMax;
    if (g.days != 0) showNumber(c, g.page, g.days, parts.days);
    if (g.hours != 0) showNumber(c, g.page, g.hours, parts.hours);
    if (g.minutes != 0) showNumber(c, g.page, g.minutes, parts.minutes);
    if (g.seconds != 0) showNumber(c, g.page, g.seconds, parts.seconds);
}

void showBinding(Controls& c, PageId page, const Binding& b, const DeviceConfig& image,
                 PageMemory& memory) {
    switch (b.way) {
        case BindWay::Check:
            showCheck(c, page, b.id, GetBit(image, b.field, b.bit));
            break;
        case BindWay::CheckNonZero:
            showCheck(c, page, b.id, GetNumber(image, b.field) != 0);
            break;
        case BindWay::Number:
            showNumber(c, page, b.id, fieldValue(image, b.field) + b.offset);
            break;
        case BindWay::Text:
            c.setText(page, b.id, Cp1251ToUtf8(GetText(image, b.field)));
            break;
        case BindWay::Phone: {
            // The field holds "+" and the digits; the edit holds the digits.
            // A number stored without its "+" keeps every character.
            std::string phone = GetText(image, b.field);
            if (!phone.empty() && phone.front() == '+') phone.erase(0, 1);
            if (phone.size() > kPhoneChars) phone.resize(kPhoneChars);
            c.setText(page, b.id, Cp1251ToUtf8(phone));
            break;
        }
        case BindWay::Combo:
            memory.shownTimeZone = GetNumber(image, b.field);
            c.setEnabled(page, b.id, true);
            c.setComboSelection(page, b.id, memory.shownTimeZone + b.offset);
            break;
        case BindWay::TimePicker: {
            const std::uint32_t v = GetU32(image, b.field);
            const int hour = static_cast<int>((v >> 8) & 0xFF);
            const int minute = static_cast<int>(v & 0xFF);
            // Not a time of day: the picker keeps what it showed.
            if (hour <= 23 && minute <= 59) c.setTime(page, b.id, TimeOfDay{hour, minute});
            break;
        }
        case BindWay::Radio:
            showRadio(c, page, b, GetNumber(image, b.field));
            break;
        case BindWay::Duration:
            showDuration(c, b.duration, GetU16(image, b.field));
            break;
    }
}

void showRows(Controls& c, PageId page, const DeviceConfig& image, PageMemory& memory) {
    for (const Binding& b : bindingsOf(page).rows) showBinding(c, page, b, image, memory);
}

// Pages whose rows remember nothing.
void showRows(Controls& c, PageId page, const DeviceConfig& image) {
    PageMemory unused;
    showRows(c, page, image, unused);
}

// SMS: SysMode bit 0 / ModeFlags2 bit 4. Both set is no choice of the page.
void showSmsNotification(Controls& c, const DeviceConfig& image) {
    const bool every = GetBit(image, Field::SysMode, 0);
    const bool off = GetBit(image, Field::ModeFlags2, 4);
    int button = 0;
    if (every && !off) button = ids::kSmsEveryWakeUp;
    if (!every && !off) button = ids::kSmsAlarmsOnly;
    if (!every && off) button = ids::kSmsOff;
    if (button != 0) c.checkRadio(PageId::Main, ids::kSmsEveryWakeUp, ids::kSmsOff, button);
}

// Short call: SysMode bit 3 / ModeFlags2 bit 0. Only bit 0 set is no choice.
void showCallNotification(Controls& c, const DeviceConfig& image) {
    const bool on = GetBit(image, Field::SysMode, 3);
    const bool alarms = GetBit(image, Field::ModeFlags2, 0);
    int button = 0;
    if (on && !alarms) button = ids::kCallEveryWakeUp;
    if (on && alarms) button = ids::kCallAlarmsOnly;
    if (!on && !alarms) button = ids::kCallOff;
    if (button != 0) c.checkRadio(PageId::Main, ids::kCallEveryWakeUp, ids::kCallOff, button);
}

// The edits show magnitudes; the hemisphere buttons carry the sign.
void showZoneCoordinate(Controls& c, const CoordinateEdits& edits, std::int32_t micro,
                        int positiveButton, int negativeButton) {
    showCoordinate(c, edits, micro);
    c.checkRadio(PageId::GPS, positiveButton, negativeButton,
                 micro < 0 ? negativeButton : positiveButton);
}

// Yandex links win when both link bits are set.
void showCoordinateFormat(Controls& c, const DeviceConfig& image) {
    int button = ids::kLinksGeographic;
    if (GetBit(image, Field::ModeFlags1, 1))
        button = ids::kLinksYandex;
    else if (GetBit(image, Field::ModeFlags1, 3))
        button = ids::kLinksGoogle;
    c.checkRadio(PageId::GPS, ids::kLinksYandex, ids::kLinksGeographic, button);
}

// "host:port"; a field without a colon is all host. Split at the last colon,
// so a host that holds one (an IPv6 address, say) comes back whole.
void showMonitoringServer(Controls& c, const DeviceConfig& image) {
    const std::string server = GetText(image, Field::MonServerIP);
    const auto colon = server.rfind(':');
    const std::string host = server.substr(0, colon);
    const std::string port = colon == std::string::npos ? std::string() : server.substr(colon + 1);
    c.setText(PageId::Internet, ids::kServerHost, Cp1251ToUtf8(host));
    c.setText(PageId::Internet, ids::kServerPort, Cp1251ToUtf8(port));
}

// An empty APN address means the tracker finds the APN itself.
void showApn(Controls& c, const DeviceConfig& image) {
    constexpr PageId page = PageId::Internet;
    c.setText(page, ids::kApnAddress, Cp1251ToUtf8(GetText(image, Field::ApnAddress)));
    c.setText(page, ids::kApnLogin, Cp1251ToUtf8(GetText(image, Field::ApnLogin)));
    c.setText(page, ids::kApnPassword, Cp1251ToUtf8(GetText(image, Field::ApnPassword)));
    const bool automatic = GetText(image, Field::ApnAddress).empty();
    showCheck(c, page, ids::kApnAutomatic, automatic);
    for (int id : {ids::kApnAddress, ids::kApnLogin, ids::kApnPassword})
        c.setEnabled(page, id, !automatic);
}

}  // namespace

void showPresetChoice(Controls& c, DeviceConfig& image, int editedModel) {
    const bool tracker = modelHasTrackerMode(editedModel);
    c.setEnabled(PageId::Window, ids::kPresetTracker, tracker);
    if (!tracker && GetU8(image, Field::LastCmd) == 4) SetU8(image, Field::LastCmd, 0);
    showRows(c, PageId::Window, image);
}

void showMainPage(Controls& c, const DeviceConfig& image, PageMemory& memory) {
    showRows(c, PageId::Main, image, memory);
    showSmsNotification(c, image);
    showCallNotification(c, image);
}

void showWakePage(Controls& c, const DeviceConfig& image) {
    constexpr PageId page = PageId::Wake;
    showRows(c, page, image);
    // Periodic wake-up is on when no alarm is active. The box stays enabled
    // whatever the period, or a zero period could never be switched on again.
    showCheck(c, page, ids::kPeriodActive, GetU16(image, Field::WakeEnableFlags) == 0);
    const bool period = GetU16(image, Field::WakeupPeriod) != 0;
    for (int id : {ids::kPeriodDays, ids::kPeriodHours, ids::kPeriodMinutes})
        c.setEnabled(page, id, period);
}

void showGpsPage(Controls& c, const DeviceConfig& image) {
    showRows(c, PageId::GPS, image);
    showZoneCoordinate(c, kLatitudeEdits, GetI32(image, Field::ZoneLatitude), ids::kNorth,
                       ids::kSouth);
    showZoneCoordinate(c, kLongitudeEdits, GetI32(image, Field::ZoneLongitude), ids::kEast,
                       ids::kWest);
    showCoordinateFormat(c, image);
}

void showInternetPage(Controls& c, const DeviceConfig& image) {
    showMonitoringServer(c, image);
    showRows(c, PageId::Internet, image);
    // Adaptive track building only makes sense in the Tracker mode.
    c.setEnabled(PageId::Internet, ids::kAdaptiveTrack, GetU8(image, Field::LastCmd) == 4);
    showApn(c, image);
}

void showSensorsPage(Controls& c, const DeviceConfig& image) {
    showRows(c, PageId::Sensors, image);
    // The slider runs from 1 (most sensitive, level 7) down to 7 (level 1).
    c.setSliderPosition(PageId::Sensors, ids::kSensitivitySlider,
                        8 - static_cast<int>(GetU8(image, Field::VibrParam)));
}

void showExpertPage(Controls& c, const DeviceConfig& image) {
    showRows(c, PageId::Expert, image);
}

void showConfig(Controls& c, DeviceConfig& image, int editedModel, PageMemory& memory) {
    showPresetChoice(c, image, editedModel);
    showMainPage(c, image, memory);
    showWakePage(c, image);
    showGpsPage(c, image);
    showInternetPage(c, image);
    showSensorsPage(c, image);
    showExpertPage(c, image);
}

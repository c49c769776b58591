#include "editor/arithmetic.h"

#include <cstdio>
#include <cstdlib>

#include "editor/utf8_text.h"

namespace {

std::string decimal(long long v) {
    return std::to_string(v);
}

}  // namespace

std::uint32_t leadingNumber(std::string_view utf8, int maxChars) {
    std::uint64_t v = 0;
    int taken = 0;
    for (char ch : utf8) {
        if (taken >= maxChars || ch < '0' || ch > '9') break;
        v = v * 10 + static_cast<unsigned>(ch - '0');
        if (v > 0xFFFFFFFFu) v = 0xFFFFFFFFu;
        ++taken;
    }
    return static_cast<std::uint32_t>(v);
}

std::string formatMicroDegrees(std::int64_t micro) {
    const std::uint64_t a = micro < 0 ? static_cast<std::uint64_t>(-micro) : micro;
    // Always a point, whatever the locale; six decimals as "%f" gives them.
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%06llu", micro < 0 ? "-" : "",
                  static_cast<unsigned long long>(a / 1000000),
                  static_cast<unsigned long long>(a % 1000000));
    return text;
}

DurationParts splitDuration(std::uint32_t total, DurationUnit unit) {
    // Every duration field of the image is 16 bits wide.
    const std::uint32_t t = total & 0xFFFFu;
    DurationParts p;
    p.total = total;
    switch (unit) {
        case DurationUnit::Seconds: {
            const std::uint32_t m = t / 60, h = m / 60;
            p.seconds = static_cast<std::uint16_t>(t % 60);
            p.minutes = static_cast<std::uint16_t>(m % 60);
            p.days = static_cast<std::uint16_t>(h / 24);
            p.hours = static_cast<std::uint16_t>(h % 24);
            break;
        }
        case DurationUnit::Minutes: {
            const std::uint32_t h = t / 60;
            p.minutes = static_cast<std::uint16_t>(t % 60);
            p.days = static_cast<std::uint16_t>(h / 24);
            p.hours = static_cast<std::uint16_t>(h % 24);
            break;
        }
        case DurationUnit::Hours:
            p.days = static_cast<std::uint16_t>(t / 24);
            p.hours = static_cast<std::uint16_t>(t % 24);
            break;
    }
    return p;
}

std::uint32_t joinDuration(std::uint32_t days, std::uint32_t hours, std::uint32_t minutes,
                           std::uint32_t seconds, DurationUnit unit) {
    if (unit == DurationUnit::Seconds)
        return days * 86400u + hours * 3600u + minutes * 60u + seconds;
    if (unit == DurationUnit::Minutes) return days * 1440u + hours * 60u + minutes;
    return days * 24u + hours;
}

CoordinateParts splitCoordinate(std::int32_t micro) {
    CoordinateParts p;
    p.micro = micro;
    if (micro == 0) return p;
    // 64 bits, so that the most negative value has a magnitude too.
    const std::int64_t m = micro;
    const std::int64_t deg = m / 1000000;  // toward zero: the sign of micro
    const std::uint64_t r = static_cast<std::uint64_t>(std::llabs(m) - std::llabs(deg) * 1000000);
    const std::uint64_t t = r * 6 / 10;
    p.degrees = static_cast<std::int16_t>(deg);
    p.minutes = static_cast<std::uint8_t>(t / 10000);
    p.fraction = static_cast<std::uint32_t>(t % 10000);
    return p;
}

std::int32_t joinCoordinate(std::uint32_t degrees, std::uint32_t minutes, std::uint32_t fraction) {
    const std::uint64_t micro =
        std::uint64_t{degrees} * 1000000u + (std::uint64_t{minutes} * 10000u + fraction) * 10u / 6u;
    // Parts no edit can hold must not wrap into a negative coordinate.
    return micro > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<std::int32_t>(micro);
}

void showCoordinate(Controls& c, const CoordinateEdits& e, std::int32_t micro) {
    const std::int64_t m = micro;
    c.setText(e.page, e.decimal, formatMicroDegrees(m < 0 ? -m : m));
    CoordinateParts p = splitCoordinate(micro);
    p.degrees = static_cast<std::int16_t>(p.degrees < 0 ? -p.degrees : p.degrees);
    showCoordinateParts(c, e, p);
}

void showCoordinateParts(Controls& c, const CoordinateEdits& e, const CoordinateParts& parts) {
    c.setText(e.page, e.degrees, decimal(parts.degrees));
    c.setText(e.page, e.minutes, decimal(parts.minutes));
    c.setText(e.page, e.fraction, decimal(parts.fraction));
}

void ClampDuration(Controls& c, const DurationGroup& g, int changedId, std::uint32_t maxTotal,
                   std::uint32_t minTotal, const DurationParts& atMax) {
    const PageId pg = g.page;
    const bool hasSeconds = g.seconds != 0;
    std::uint32_t days = 0, hours = 0, minutes = 0, seconds = 0;
    if (g.days) days = leadingNumber(c.text(pg, g.days), 2);
    if (g.hours) {
        hours = leadingNumber(c.text(pg, g.hours), 2);
        if (hours >= 24) c.setText(pg, g.hours, "23");
    }
    if (g.minutes) {
        minutes = leadingNumber(c.text(pg, g.minutes), 2);
        if (minutes >= 60) c.setText(pg, g.minutes, "59");
    }
    if (hasSeconds) {
        seconds = leadingNumber(c.text(pg, g.seconds), 2);
        if (seconds >= 60) c.setText(pg, g.seconds, "59");
    }
    // The total uses the numbers as typed, not as just bounded.
    const std::uint32_t total = joinDuration(
        days, hours, minutes, seconds, hasSeconds ? DurationUnit::Seconds : DurationUnit::Minutes);

    if (total > maxTotal) {
        if (g.days) c.setText(pg, g.days, decimal(atMax.days));
        if (g.hours) c.setText(pg, g.hours, decimal(atMax.hours));
        if (g.minutes) c.setText(pg, g.minutes, decimal(atMax.minutes));
        if (hasSeconds) c.setText(pg, g.seconds, decimal(atMax.seconds));
    } else if (total < minTotal) {
        if (g.days) c.setText(pg, g.days, "0");
        if (g.hours) c.setText(pg, g.hours, "0");
        if (hasSeconds) {
            std::uint32_t rest = minTotal;
            if (g.minutes) {
                c.setText(pg, g.minutes, decimal(minTotal / 60));
                rest = minTotal % 60;
            }
            c.setText(pg, g.seconds, decimal(rest));
        } else if (g.minutes) {
            c.setText(pg, g.minutes, decimal(minTotal));
        }
    }
    c.setCaret(pg, changedId, 2);
    c.setModified(pg, changedId, false);
}

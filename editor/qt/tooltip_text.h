// A hint (editor/control_hints.h) as a Qt tooltip shows it.
#pragma once

#include <QString>

// A plain-text tooltip breaks at "\n" and never wraps by itself; the carriage
// return would only show as a stray glyph.
inline QString tooltipText(const char* hint) {
    QString text = QString::fromUtf8(hint);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

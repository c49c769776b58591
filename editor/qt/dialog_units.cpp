#include "editor/qt/dialog_units.h"

#include <QFontMetrics>
#include <cmath>

DialogUnits dialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The average width of the 52 Latin letters, rounded to whole pixels.
    const int letters =
        fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(letters / 26 + 1) / 2, fm.height()};
}

QSize DialogUnits::toPixels(int width, int height) const {
    return QSize(static_cast<int>(std::lround(width * baseX / 4.0)),
                 static_cast<int>(std::lround(height * baseY / 8.0)));
}

// Template sizes in dialog units, turned into pixels through a font's
// metrics as the platform's dialog manager does, so the windows keep their
// proportions at any font size and DPI.
#pragma once

#include <QFont>
#include <QSize>

struct DialogUnits {
    int baseX;  // average character width
    int baseY;  // character height
    // One horizontal unit is baseX / 4 pixels, one vertical unit baseY / 8.
    QSize toPixels(int width, int height) const;
};

DialogUnits dialogUnits(const QFont& font);
